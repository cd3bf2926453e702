// The real program on a private Xvfb, driven from outside the way a user would: xdotool for the
// pointer, the X server itself for what is shown, the database file for what is kept.

#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <QtTest>
#include <algorithm>
#include <memory>
#include <optional>
#include <ranges>
#include <set>
#include <vector>

#include "data/database_session.h"
#include "data/settings_store.h"
#include "eye/gamma_ramp.h"
#include "tests/support/xvfb_server.h"

// Last: Xlib defines macros (Bool, Status, None...) that clash with Qt's own names.
#include "tests/support/crtc_gamma.h"

namespace {

const QString kProgram = QStringLiteral(VITA_PROGRAM);
const QString kGrabTool = QStringLiteral(VITA_GRAB_TOOL);
const QString kTitle = QStringLiteral("悦息伙伴");
const QSize kMainSize(350, 450);
const QSize kConfirmSize(240, 240);
const QString kPageBackground = QStringLiteral("#f7ffff");
const QStringList kTables = {"DataSet", "DrinkWaterRecord"};
constexpr int kWaitMs = 20000;  // generous: a loaded machine may start Qt slowly
constexpr int kTrayMenuLift = 252;

// Client points of the main window.
const QPoint kCloseButton(336, 14);
const QPoint kBackButton(20, 16);
const QRect kHeaderLeft(0, 0, 180, 26);  // logo and name at home, back arrow and title on a page
const QPoint kEyeTile(60, 150), kDrinkTile(250, 150), kRelaxTile(100, 330);
// The exit question's buttons (86x32 at 29,152 and 127,152): their centres.
const QPoint kConfirmYes(29 + 43, 152 + 16);
const QPoint kConfirmNo(127 + 43, 152 + 16);

struct WindowInfo {
    unsigned long id = 0;
    QRect rect;  // in screen coordinates
};

struct StoredFilter {
    bool on = false;
    int percent = 0;
};

// Xlib's default handler exits the process; a window that went away is an answer here.
int IgnoreXErrors(Display*, XErrorEvent*) {
    return 0;
}

// The first true answer `find` gives within the wait; an empty one when none came.
template <typename Find>
auto WaitFor(Find find) -> decltype(find()) {
    const QDeadlineTimer deadline(kWaitMs);
    while (true) {
        if (auto found = find()) return found;
        if (deadline.hasExpired()) return {};
        QTest::qWait(50);
    }
}

template <typename Fits>
std::optional<WindowInfo> First(const QList<WindowInfo>& windows, Fits fits) {
    for (const WindowInfo& w : windows)
        if (fits(w)) return w;
    return std::nullopt;
}

QString ColourAt(const QImage& image, const QPoint& p) {
    return image.valid(p) ? QColor(image.pixel(p)).name() : QStringLiteral("outside");
}

// Read with the program's key.
QStringList TableNames(const QString& path) {
    DatabaseSession session;
    QStringList names;
    ResultSet rows;
    if (session.Open(QFile::encodeName(path).toStdString(), SettingsStore::kDatabaseKey) != 0 ||
        session.QueryRows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name",
                          rows) != 0)
        return names;
    while (const ResultSet::Row* row = rows.NextRow())
        names << QString::fromStdString(row->front());
    return names;
}

// One case's world: a private X server, fresh per-user folders, optionally an XEmbed tray panel,
// and the program's runs. Everything it started ends with it.
class Desk {
  public:
    ~Desk() {
        for (auto& child : children_ | std::views::reverse) {
            if (child->state() != QProcess::NotRunning) {
                ::kill(static_cast<pid_t>(child->processId()), SIGTERM);
                if (!child->waitForFinished(5000)) child->kill();
            }
            if (QTest::currentTestFailed())
                qWarning("%s said:\n%s", qPrintable(child->program()), child->readAll().data());
        }
    }

    // Starts the X server (with a tray panel when asked), stores `filter` when given, starts the
    // program and waits for its main window. False with Failure() set when a step fails.
    bool Open(bool withTray = false, std::optional<StoredFilter> filter = std::nullopt) {
        for (const char* sub : {"data", "config", "runtime", "tool-runtime"}) {
            if (!root_.isValid() || !QDir(root_.path()).mkpath(sub) ||
                ::chmod(QFile::encodeName(root_.filePath(sub)).constData(), 0700) != 0)
                return Fail(QStringLiteral("cannot make ") + sub);
        }
        QString error;
        if (!xvfb_.Start(&error)) return Fail(error);
        x_.reset(XOpenDisplay(Display().constData()));
        if (!x_) return Fail("no connection to " + Display());
        initialGammas_ = Gammas();
        if (withTray) {
            // Along the bottom edge, where the tray menu has room above the pointer; ready once
            // it owns the tray selection of screen 0.
            Launch("trayer", {"--edge", "bottom", "--align", "right", "--widthtype", "pixel",
                              "--width", "100", "--height", "24"});
            const Atom selection = XInternAtom(X(), "_NET_SYSTEM_TRAY_S0", False);
            if (!WaitFor([&] { return XGetSelectionOwner(X(), selection) != 0UL; }))
                return Fail("trayer took no tray selection; is trayer installed?");
        }
        if (filter && !Filter(filter)) return Fail("the filter could not be stored");
        program_ = &StartProgram();
        const std::optional<WindowInfo> main = WaitFor([this] { return MainWindow(); });
        if (!main) return Fail("no main window came up");
        main_ = *main;
        return true;
    }
    const char* Failure() const { return failure_.constData(); }

    QByteArray Display() const { return xvfb_.Display(); }
    ::Display* X() const { return x_.get(); }
    QString DatabasePath() const { return root_.filePath("data/VitaCompanion/DataSet.db"); }
    QString RuntimeFolder() const { return root_.filePath("runtime"); }
    QProcess& Program() const { return *program_; }
    const WindowInfo& Main() const { return main_; }
    QProcess& StartProgram() { return Launch(kProgram, {}, true); }

    const std::vector<Channels>& InitialGammas() const { return initialGammas_; }
    std::vector<Channels> Gammas() const { return ReadCrtcGammas(Display().constData()); }
    // True when every gamma-capable CRTC (and at least one) carries `ramp`.
    bool Carries(const GammaRamp& ramp) const {
        const std::vector<Channels> crtcs = Gammas();
        return !crtcs.empty() && std::ranges::all_of(crtcs, [&](const Channels& crtc) {
            const int size = static_cast<int>(crtc[0].size());
            return crtc == Channels{ResampleChannel(ramp.red, size),
                                    ResampleChannel(ramp.green, size),
                                    ResampleChannel(ramp.blue, size)};
        });
    }

    // Through the program's own store: writes `store` when given, then reads back what is kept;
    // nullopt when the store cannot open the database.
    std::optional<StoredFilter> Filter(std::optional<StoredFilter> store = std::nullopt) const {
        qputenv("XDG_DATA_HOME", QFile::encodeName(root_.filePath("data")));
        if (!SettingsStore::OpenSettings()) return std::nullopt;
        if (store) {
            SettingsStore::StorePercent(store->percent);
            SettingsStore::StoreEyeProtectOn(store->on);
        }
        const StoredFilter kept{SettingsStore::GetEyeProtectOn(), SettingsStore::GetPercent()};
        SettingsStore::CloseSettings();
        return kept;
    }

    // A tool's standard output; empty when it failed (an xdotool search that finds nothing too).
    QByteArray RunTool(const QString& tool, const QStringList& arguments) const {
        QProcess process;
        process.setProcessEnvironment(Environment(false));
        process.start(tool, arguments);
        const bool ran = process.waitForFinished(kWaitMs) && process.exitCode() == 0;
        return ran ? process.readAllStandardOutput() : QByteArray();
    }
    QByteArray Xdotool(const QStringList& arguments) const { return RunTool("xdotool", arguments); }
    // Moves there first: X delivers a click where the pointer is.
    void Click(const QPoint& screen, int button = 1, int count = 1) const {
        Xdotool({"mousemove", QString::number(screen.x()), QString::number(screen.y()), "click",
                 "--repeat", QString::number(count), "--delay", "100", QString::number(button)});
    }
    QImage Grab(const QRect& rect) const {
        const QString file = root_.filePath("grab.png");
        QFile::remove(file);
        RunTool(kGrabTool, {file, QString::number(rect.x()), QString::number(rect.y()),
                            QString::number(rect.width()), QString::number(rect.height())});
        return QImage(file);
    }

    // Viewable windows of an xdotool search; with no terms, the program's own.
    QList<WindowInfo> Windows(QStringList search = {}) const {
        // --all: the pid and the (match-everything) name must both hold, not either.
        if (search.isEmpty())
            search = {"--all", "--pid", QString::number(program_->processId()), "--name", ""};
        const QString out = Xdotool(QStringList{"search", "--onlyvisible"} + search +
                                    QStringList{"getwindowgeometry", "--shell", "%@"});
        static const QRegularExpression shell(
            R"(WINDOW=(\d+)\nX=(-?\d+)\nY=(-?\d+)\nWIDTH=(\d+)\nHEIGHT=(\d+))");
        QList<WindowInfo> windows;
        for (const QRegularExpressionMatch& m : shell.globalMatch(out)) {
            const auto at = [&m](int i) { return m.captured(i).toInt(); };
            windows.append({m.captured(1).toULong(), QRect(at(2), at(3), at(4), at(5))});
        }
        return windows;
    }
    QList<WindowInfo> TitledWindows() const { return Windows({"--name", "^" + kTitle + "$"}); }
    std::optional<WindowInfo> MainWindow() const {
        return First(TitledWindows(),
                     [](const WindowInfo& w) { return w.rect.size() == kMainSize; });
    }
    // The tray panel's icon of the program: its one small viewable window.
    std::optional<WindowInfo> TrayIcon() const {
        return First(Windows(), [](const WindowInfo& w) {
            return w.rect.width() <= 48 && w.rect.height() <= 48;
        });
    }
    unsigned long FocusedWindow() const {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(X(), &focus, &revert);
        return focus;
    }

  private:
    bool Fail(const QString& what) {
        failure_ = what.toLocal8Bit();
        return false;
    }

    // The program's own folders, and no session bus so that its tray is the XEmbed one.
    QProcessEnvironment Environment(bool forProgram) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("WAYLAND_DISPLAY");
        env.remove("XAUTHORITY");
        env.insert("DISPLAY", QString::fromLatin1(Display()));
        env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + root_.filePath("no-bus"));
        env.insert("XDG_RUNTIME_DIR", root_.filePath(forProgram ? "runtime" : "tool-runtime"));
        if (forProgram) {
            env.insert("XDG_DATA_HOME", root_.filePath("data"));
            env.insert("XDG_CONFIG_HOME", root_.filePath("config"));
            env.insert("QT_QPA_PLATFORM", "xcb");
        }
        return env;
    }

    QProcess& Launch(const QString& executable, const QStringList& arguments,
                     bool isProgram = false) {
        QProcess& child = *children_.emplace_back(std::make_unique<QProcess>());
        child.setProcessEnvironment(Environment(isProgram));
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(executable, arguments);
        child.waitForStarted(kWaitMs);
        return child;
    }

    QTemporaryDir root_;
    XvfbServer xvfb_;
    // After xvfb_, so closed before the server ends.
    std::unique_ptr<::Display, int (*)(::Display*)> x_{nullptr, XCloseDisplay};
    std::vector<Channels> initialGammas_;
    std::vector<std::unique_ptr<QProcess>> children_;  // the tray panel, then the program's runs
    QProcess* program_ = nullptr;
    WindowInfo main_;
    QByteArray failure_;
};

}  // namespace

class TestShellE2e : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void firstStart_data();
    void firstStart();
    void windowComesBack_data();
    void windowComesBack();
    void tilesSwitchViews_data();
    void tilesSwitchViews();
    void filterAndWaysOut_data();
    void filterAndWaysOut();
};

void TestShellE2e::initTestCase() {
    XSetErrorHandler(IgnoreXErrors);
    QVERIFY2(QFile::exists(kProgram), qPrintable(kProgram));
    QVERIFY2(QFile::exists(kGrabTool), qPrintable(kGrabTool));
}

void TestShellE2e::firstStart_data() {
    QTest::addColumn<QByteArray>("found");  // the database file before the start; null: none
    QByteArray noise(8192, '\0');
    for (char& byte : noise) byte = static_cast<char>(QRandomGenerator::global()->bounded(256));
    QTest::newRow("fresh folders") << QByteArray();
    QTest::newRow("unreadable database") << noise;
}

void TestShellE2e::firstStart() {
    QFETCH(QByteArray, found);
    Desk desk;
    if (!found.isNull()) {
        QVERIFY(QDir().mkpath(QFileInfo(desk.DatabasePath()).path()));
        QFile file(desk.DatabasePath());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(found) == found.size());
    }
    QVERIFY2(desk.Open(), desk.Failure());
    QCOMPARE(desk.Xdotool({"getdisplaygeometry"}), QByteArray("1024 768\n"));
    QCOMPARE(desk.TitledWindows().size(), 1);
    QCOMPARE(desk.Main().rect, QRect(QPoint(1024 - 350, 768 - 450) / 2, kMainSize));
    QVERIFY(QFile::exists(desk.DatabasePath()));
    ::kill(static_cast<pid_t>(desk.Program().processId()), SIGTERM);
    QVERIFY(desk.Program().waitForFinished(kWaitMs));
    QCOMPARE(desk.Program().exitCode(), 0);

    QFile file(desk.DatabasePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray kept = file.readAll();
    if (!found.isNull()) {
        QVERIFY2(kept == found, "the unreadable database was changed");
        return;
    }
    QVERIFY(kept.size() >= 16);
    QVERIFY2(!kept.startsWith(QByteArray("SQLite format 3\0", 16)), "the file is plain SQLite");
    // Without the key the engine sees no database at all.
    sqlite3* plain = nullptr;
    const QByteArray path = QFile::encodeName(desk.DatabasePath());
    QCOMPARE(sqlite3_open_v2(path.constData(), &plain, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    const int plainRead =
        sqlite3_exec(plain, "SELECT name FROM sqlite_master", nullptr, nullptr, nullptr);
    sqlite3_close(plain);
    QCOMPARE(plainRead, SQLITE_NOTADB);
    QCOMPARE(TableNames(desk.DatabasePath()), kTables);
    QVERIFY(desk.Filter());
}

void TestShellE2e::windowComesBack_data() {
    QTest::addColumn<bool>("hideFirst");
    QTest::addColumn<bool>("byTray");  // a double click on the tray icon instead of a second start
    QTest::newRow("second start, window shown") << false << false;
    QTest::newRow("second start, window hidden by its close button") << true << false;
    QTest::newRow("tray double click, window hidden") << true << true;
}

void TestShellE2e::windowComesBack() {
    QFETCH(bool, hideFirst);
    QFETCH(bool, byTray);
    Desk desk;
    QVERIFY2(desk.Open(byTray), desk.Failure());
    const WindowInfo main = desk.Main();
    const auto icon = byTray ? WaitFor([&] { return desk.TrayIcon(); }) : std::nullopt;
    QVERIFY(icon || !byTray);
    if (hideFirst) {
        desk.Click(main.rect.topLeft() + kCloseButton);
        QTRY_VERIFY_WITH_TIMEOUT(desk.TitledWindows().isEmpty(), kWaitMs);
    }
    // Every window mapped on the screen from here on is reported to the desk's connection.
    XSelectInput(desk.X(), DefaultRootWindow(desk.X()), SubstructureNotifyMask);
    XSync(desk.X(), False);

    if (byTray) {
        desk.Click(icon->rect.center(), 1, 2);
    } else {
        QProcess& second = desk.StartProgram();
        QVERIFY(second.waitForFinished(kWaitMs));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 1);
    }
    const std::optional<WindowInfo> shown = WaitFor([&] { return desk.MainWindow(); });
    QVERIFY(shown);
    QCOMPARE(shown->id, main.id);
    QCOMPARE(shown->rect, main.rect);
    QCOMPARE(desk.TitledWindows().size(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(desk.FocusedWindow(), main.id, kWaitMs);
    if (byTray) return;  // the icon's tooltip may come up over the panel

    XSync(desk.X(), False);
    std::set<unsigned long> mapped;
    for (XEvent event; XPending(desk.X()) > 0;) {
        XNextEvent(desk.X(), &event);
        if (event.type == MapNotify) mapped.insert(event.xmap.window);
    }
    // Only the first instance's own window may have come up, and only when it was hidden.
    QCOMPARE(mapped, hideFirst ? std::set<unsigned long>{main.id} : std::set<unsigned long>{});
}

void TestShellE2e::tilesSwitchViews_data() {
    QTest::addColumn<QPoint>("spot");  // tile art at home, page background on the page
    QTest::newRow("eye protection") << kEyeTile;
    QTest::newRow("drink now") << kDrinkTile;
    QTest::newRow("relax") << kRelaxTile;
}

void TestShellE2e::tilesSwitchViews() {
    QFETCH(QPoint, spot);
    Desk desk;
    QVERIFY2(desk.Open(), desk.Failure());
    const QRect frame = desk.Main().rect;
    desk.Xdotool({"mousemove", "0", "0"});  // no tile hovered in the home picture

    // The home picture once the window has painted it and it holds still.
    QImage home, previous, page, back;
    QTRY_VERIFY_WITH_TIMEOUT(
        (previous = home, home = desk.Grab(frame), !home.isNull() && home == previous), kWaitMs);
    QVERIFY2(ColourAt(home, spot) != kPageBackground, "the spot shows no tile art at home");

    desk.Click(frame.topLeft() + spot);
    QTRY_COMPARE_WITH_TIMEOUT((page = desk.Grab(frame), ColourAt(page, spot)), kPageBackground,
                              kWaitMs);
    // The page covers all three tiles, not only the one clicked.
    for (const QPoint& p : {kEyeTile, kDrinkTile, kRelaxTile})
        QCOMPARE(ColourAt(page, p), kPageBackground);
    QVERIFY2(page.copy(kHeaderLeft) != home.copy(kHeaderLeft),
             "the header still shows the logo on the page");

    // The back button sits where the logo was; clicking there leads home again.
    desk.Click(frame.topLeft() + kBackButton);
    QTRY_VERIFY_WITH_TIMEOUT((back = desk.Grab(frame), back == home), kWaitMs);
}

// A run from its start, with the stored filter put on the screen, to its end.
void TestShellE2e::filterAndWaysOut_data() {
    QTest::addColumn<bool>("on");
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("signal");  // 0: the tray menu's "退出", then `answer` to the question
    QTest::addColumn<QPoint>("answer");
    QTest::newRow("on at 30%, SIGTERM") << true << 30 << int(SIGTERM) << QPoint();
    QTest::newRow("on at 100%, SIGINT") << true << 100 << int(SIGINT) << QPoint();
    QTest::newRow("off with 30% stored, SIGHUP") << false << 30 << int(SIGHUP) << QPoint();
    QTest::newRow("on at 30%, SIGHUP") << true << 30 << int(SIGHUP) << QPoint();
    QTest::newRow("on at 30%, tray menu, yes") << true << 30 << 0 << kConfirmYes;
    QTest::newRow("on at 30%, tray menu, no: keeps running") << true << 30 << 0 << kConfirmNo;
}

void TestShellE2e::filterAndWaysOut() {
    QFETCH(bool, on);
    QFETCH(int, percent);
    QFETCH(int, signal);
    QFETCH(QPoint, answer);
    Desk desk;
    QVERIFY2(desk.Open(signal == 0, StoredFilter{on, percent}), desk.Failure());
    QProcess& program = desk.Program();
    QVERIFY2(!desk.InitialGammas().empty(), "no CRTC with a gamma ramp: nothing would be checked");
    if (on) {
        QTRY_VERIFY_WITH_TIMEOUT(desk.Carries(BuildGammaRamp(percent)), kWaitMs);
    } else {
        // Loaded before the window shows, so by now anything loaded is visible: the server's own
        // identity ramp has to be left as it was.
        QVERIFY(desk.Gammas() == desk.InitialGammas());
    }
    const QStringList running =
        QDir(desk.RuntimeFolder())
            .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    QVERIFY2(!running.filter(QRegularExpression(R"(\.lock$)")).isEmpty() &&
                 !running.filter(QRegularExpression(R"(\.socket$)")).isEmpty(),
             qPrintable(running.join(' ')));
    if (signal != 0) {
        ::kill(static_cast<pid_t>(program.processId()), signal);
    } else {
        const std::optional<WindowInfo> icon = WaitFor([&] { return desk.TrayIcon(); });
        QVERIFY(icon);
        const QPoint pointer = icon->rect.center();
        desk.Click(pointer, 3);
        const std::optional<WindowInfo> menu = WaitFor([&] {
            return First(desk.Windows(), [&](const WindowInfo& w) {
                return w.id != desk.Main().id && w.id != icon->id;
            });
        });
        QVERIFY(menu);
        XWindowAttributes attributes{};
        QVERIFY(XGetWindowAttributes(desk.X(), menu->id, &attributes) &&
                attributes.override_redirect);
        QCOMPARE(menu->rect.top(), pointer.y() - kTrayMenuLift);
        QVERIFY(menu->rect.bottom() < pointer.y());

        // "退出" is the last item: 28 px high above the menu's 4 px bottom inset.
        desk.Click(QPoint(menu->rect.center().x(), menu->rect.bottom() + 1 - 4 - 14));
        // The question carries its title only as _NET_WM_NAME, which a name search does not read.
        const auto question = [&] {
            return First(desk.Windows(),
                         [](const WindowInfo& w) { return w.rect.size() == kConfirmSize; });
        };
        const std::optional<WindowInfo> asked = WaitFor(question);
        QVERIFY(asked);
        desk.Click(asked->rect.topLeft() + answer);
        if (answer == kConfirmNo) {
            QTRY_VERIFY_WITH_TIMEOUT(!question(), kWaitMs);
            // Still serving the user: a quit queued by the answer would end it before this click.
            desk.Click(desk.Main().rect.topLeft() + kEyeTile);
            QTRY_COMPARE_WITH_TIMEOUT(ColourAt(desk.Grab(desk.Main().rect), kEyeTile),
                                      kPageBackground, kWaitMs);
            QCOMPARE(program.state(), QProcess::Running);
            QVERIFY(desk.TrayIcon().has_value());
            QVERIFY(desk.Carries(BuildGammaRamp(percent)));
            return;
        }
    }
    QVERIFY(program.waitForFinished(kWaitMs));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(desk.Carries(IdentityGammaRamp()));
    for (const QString& name : running)
        QVERIFY2(!QFileInfo::exists(desk.RuntimeFolder() + '/' + name), qPrintable(name));
    QCOMPARE(TableNames(desk.DatabasePath()), kTables);
    const std::optional<StoredFilter> stored = desk.Filter();
    QVERIFY(stored);
    QCOMPARE(stored->on, on);
    QCOMPARE(stored->percent, percent);
}

QTEST_GUILESS_MAIN(TestShellE2e)
#include "tst_shell_e2e.moc"
