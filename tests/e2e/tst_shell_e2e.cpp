// The real program on a private Xvfb, driven from outside the way a user would: xdotool for the
// pointer, the X server itself for what is shown, the database file for what is kept.

#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <optional>
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
constexpr int kWaitMs = 20000;  // generous: a loaded machine may start Qt slowly
constexpr int kTrayMenuLift = 252;

// Client points of the main window.
const QPoint kCloseButton(336, 14);
const QPoint kBackButton(20, 16);
const QRect kHeaderLeft(0, 0, 180, 26);  // logo and name at home, back arrow and title on a page
// The exit question's buttons (86x32 at 29,152 and 127,152): their centres.
const QPoint kConfirmYes(29 + 43, 152 + 16);
const QPoint kConfirmNo(127 + 43, 152 + 16);

struct WindowInfo {
    unsigned long id = 0;
    QRect rect;  // in screen coordinates
};

// Xlib's default handler exits the process; a window that went away is an answer here.
int IgnoreXErrors(Display*, XErrorEvent*) {
    return 0;
}

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using XConnection = std::unique_ptr<Display, DisplayCloser>;

XConnection Connect(const QByteArray& display) {
    return XConnection(XOpenDisplay(display.constData()));
}

// True when every gamma-capable CRTC (and at least one) carries `ramp`.
bool CrtcsCarry(const QByteArray& display, const GammaRamp& ramp) {
    const std::vector<Channels> crtcs = ReadCrtcGammas(display.constData());
    if (crtcs.empty()) return false;
    for (const Channels& crtc : crtcs) {
        const int size = static_cast<int>(crtc[0].size());
        if (crtc[0] != ResampleChannel(ramp.red, size) ||
            crtc[1] != ResampleChannel(ramp.green, size) ||
            crtc[2] != ResampleChannel(ramp.blue, size))
            return false;
    }
    return true;
}

bool IsOverrideRedirect(const QByteArray& display, unsigned long window) {
    XConnection connection = Connect(display);
    XWindowAttributes attributes{};
    return connection && XGetWindowAttributes(connection.get(), window, &attributes) != 0 &&
           attributes.override_redirect;
}

unsigned long FocusedWindow(const QByteArray& display) {
    XConnection connection = Connect(display);
    if (!connection) return 0;
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(connection.get(), &focus, &revert);
    return focus;
}

QString ColourAt(const QImage& image, const QPoint& p) {
    return image.valid(p) ? QColor(image.pixel(p)).name() : QStringLiteral("outside");
}

// One case's world: a private X server, fresh per-user folders, optionally an XEmbed tray panel,
// and the program's runs. Everything it started ends with it.
class Desk {
  public:
    Desk() = default;
    Desk(const Desk&) = delete;
    Desk& operator=(const Desk&) = delete;

    ~Desk() {
        for (auto& program : programs_) {
            const bool failed = QTest::currentTestFailed();
            if (program->state() != QProcess::NotRunning) {
                ::kill(static_cast<pid_t>(program->processId()), SIGTERM);
                if (!program->waitForFinished(5000)) program->kill();
                program->waitForFinished(5000);
            }
            // What the program said helps to see why a case failed.
            if (failed) qWarning("program output:\n%s", program->readAll().constData());
        }
        if (tray_) {
            tray_->terminate();
            tray_->waitForFinished(5000);
        }
    }

    bool Start(QString* error, bool withTray = false) {
        if (!root_.isValid()) {
            *error = "no temporary folder";
            return false;
        }
        for (const char* sub : {"data", "config", "runtime", "tool-runtime"}) {
            if (!QDir(root_.path()).mkpath(sub) ||
                ::chmod(QFile::encodeName(root_.filePath(sub)).constData(), 0700) != 0) {
                *error = QStringLiteral("cannot make ") + sub;
                return false;
            }
        }
        if (!xvfb_.Start(error)) return false;
        if (withTray && !StartTray(error)) return false;
        return true;
    }

    QByteArray Display() const { return xvfb_.Display(); }
    QString DataHome() const { return root_.filePath("data"); }
    QString DatabasePath() const { return DataHome() + "/VitaCompanion/DataSet.db"; }
    QString RuntimeFolder() const { return root_.filePath("runtime"); }

    // The program's world: this desk's folders and display, and no session bus, so the tray is
    // the XEmbed one.
    QProcessEnvironment ProgramEnvironment() const {
        QProcessEnvironment env = ToolEnvironment();
        env.insert("XDG_DATA_HOME", DataHome());
        env.insert("XDG_CONFIG_HOME", root_.filePath("config"));
        env.insert("XDG_RUNTIME_DIR", RuntimeFolder());
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + root_.filePath("no-bus"));
        return env;
    }

    // Starts the program; the desk ends it should the case not.
    QProcess& StartProgram() {
        programs_.push_back(std::make_unique<QProcess>());
        QProcess& program = *programs_.back();
        program.setProcessEnvironment(ProgramEnvironment());
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(kProgram, QStringList());
        program.waitForStarted(kWaitMs);
        return program;
    }

    // xdotool's standard output; null when it failed (a search that finds nothing fails too).
    QByteArray Xdotool(const QStringList& arguments) const {
        QProcess xdotool;
        xdotool.setProcessEnvironment(ToolEnvironment());
        xdotool.start("xdotool", arguments);
        if (!xdotool.waitForFinished(kWaitMs) || xdotool.exitCode() != 0) return QByteArray();
        QByteArray out = xdotool.readAllStandardOutput();
        return out.isNull() ? QByteArray("") : out;
    }

    void MoveTo(const QPoint& screen) const {
        Xdotool({"mousemove", QString::number(screen.x()), QString::number(screen.y())});
    }
    // Moves there first: X delivers a click where the pointer is.
    void Click(const QPoint& screen, int button = 1, int count = 1) const {
        Xdotool({"mousemove", QString::number(screen.x()), QString::number(screen.y()), "click",
                 "--repeat", QString::number(count), "--delay", "100", QString::number(button)});
    }

    // Visible (viewable) windows found by an xdotool search, with their geometry.
    QList<WindowInfo> VisibleWindows(const QStringList& searchTerms) const {
        const QByteArray out = Xdotool(QStringList{"search", "--onlyvisible"} + searchTerms +
                                       QStringList{"getwindowgeometry", "--shell", "%@"});
        QList<WindowInfo> windows;
        for (const QByteArray& line : out.split('\n')) {
            const int eq = line.indexOf('=');
            if (eq < 0) continue;
            const QByteArray key = line.left(eq);
            const int value = line.mid(eq + 1).toInt();
            if (key == "WINDOW") windows.append({line.mid(eq + 1).toULong(), QRect()});
            if (windows.isEmpty()) continue;
            QRect& r = windows.last().rect;
            if (key == "X") r.moveLeft(value);
            if (key == "Y") r.moveTop(value);
            if (key == "WIDTH") r.setWidth(value);
            if (key == "HEIGHT") r.setHeight(value);
        }
        return windows;
    }
    QList<WindowInfo> TitledWindows() const {
        return VisibleWindows({"--name", "^" + kTitle + "$"});
    }
    QList<WindowInfo> ProgramWindows(const QProcess& program) const {
        // --all: the pid and the (match-everything) name must both hold, not either.
        return VisibleWindows(
            {"--all", "--pid", QString::number(program.processId()), "--name", ""});
    }
    std::optional<WindowInfo> MainWindow() const {
        for (const WindowInfo& w : TitledWindows())
            if (w.rect.size() == kMainSize) return w;
        return std::nullopt;
    }
    std::optional<WindowInfo> WaitForMainWindow() const {
        const QDeadlineTimer deadline(kWaitMs);
        while (!deadline.hasExpired()) {
            if (auto w = MainWindow()) return w;
            QTest::qWait(50);
        }
        return std::nullopt;
    }

    // What the screen shows in `rect`, through the grab tool.
    QImage Grab(const QRect& rect) const {
        QProcess grab;
        grab.setProcessEnvironment(ToolEnvironment());
        const QString file = root_.filePath("grab.png");
        QFile::remove(file);
        grab.start(kGrabTool, {file, QString::number(rect.x()), QString::number(rect.y()),
                               QString::number(rect.width()), QString::number(rect.height())});
        if (!grab.waitForFinished(kWaitMs) || grab.exitCode() != 0) return QImage();
        return QImage(file);
    }

    // The tray panel's icon of `program`: its one small viewable window.
    std::optional<WindowInfo> TrayIconOf(const QProcess& program) const {
        for (const WindowInfo& w : ProgramWindows(program))
            if (w.rect.width() <= 48 && w.rect.height() <= 48) return w;
        return std::nullopt;
    }

  private:
    QProcessEnvironment ToolEnvironment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("WAYLAND_DISPLAY");
        env.remove("DBUS_SESSION_BUS_ADDRESS");
        env.remove("XAUTHORITY");
        env.insert("DISPLAY", QString::fromLatin1(Display()));
        env.insert("XDG_RUNTIME_DIR", root_.filePath("tool-runtime"));
        return env;
    }

    // An XEmbed tray panel along the bottom edge, where the tray menu has room above the pointer.
    bool StartTray(QString* error) {
        tray_ = std::make_unique<QProcess>();
        tray_->setProcessEnvironment(ToolEnvironment());
        tray_->setStandardOutputFile(QProcess::nullDevice());
        tray_->setStandardErrorFile(QProcess::nullDevice());
        tray_->start("trayer", {"--edge", "bottom", "--align", "right", "--widthtype", "pixel",
                                "--width", "100", "--height", "24"});
        if (!tray_->waitForStarted(kWaitMs)) {
            *error = "trayer could not be started; is trayer installed?";
            return false;
        }
        // The panel is ready once it owns the tray selection of screen 0.
        XConnection connection = Connect(Display());
        const QDeadlineTimer deadline(kWaitMs);
        while (connection) {
            const Atom tray = XInternAtom(connection.get(), "_NET_SYSTEM_TRAY_S0", False);
            if (XGetSelectionOwner(connection.get(), tray) != 0UL) return true;
            if (deadline.hasExpired()) break;
            QTest::qWait(50);
        }
        *error = "trayer took no tray selection";
        return false;
    }

    QTemporaryDir root_;
    XvfbServer xvfb_;
    std::unique_ptr<QProcess> tray_;
    std::vector<std::unique_ptr<QProcess>> programs_;
};

// Writes the filter settings the program will find, through the program's own store.
bool StoreFilter(const Desk& desk, bool on, int percent) {
    qputenv("XDG_DATA_HOME", QFile::encodeName(desk.DataHome()));
    if (!SettingsStore::OpenSettings()) return false;
    SettingsStore::StorePercent(percent);
    SettingsStore::StoreEyeProtectOn(on);
    SettingsStore::CloseSettings();
    return true;
}

// The names of the tables in the enciphered database, read with the program's key.
QStringList TableNames(const QString& path) {
    DatabaseSession session;
    QStringList names;
    if (session.Open(QFile::encodeName(path).toStdString(), SettingsStore::kDatabaseKey) != 0)
        return names;
    ResultSet rows;
    if (session.QueryRows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name",
                          rows) != 0)
        return names;
    while (const ResultSet::Row* row = rows.NextRow())
        names << QString::fromStdString(row->front());
    return names;
}

bool EndsWith(const QStringList& names, const QString& suffix) {
    for (const QString& name : names)
        if (name.endsWith(suffix)) return true;
    return false;
}

// Sends `signal` and waits for the program to end; false when it does not.
bool EndWith(QProcess& program, int signal) {
    ::kill(static_cast<pid_t>(program.processId()), signal);
    return program.waitForFinished(kWaitMs);
}

}  // namespace

class TestShellE2e : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void windowAppearsCentred();
    void databaseIsEnciphered();
    void secondStartShowsFirst_data();
    void secondStartShowsFirst();
    void tilesSwitchViews_data();
    void tilesSwitchViews();
    void storedFilterIsApplied_data();
    void storedFilterIsApplied();
    void signalsEndCleanly_data();
    void signalsEndCleanly();
    void corruptDatabaseIsLeftAlone();
    void trayDoubleClickShowsWindow();
    void trayMenuExit_data();
    void trayMenuExit();
};

void TestShellE2e::initTestCase() {
    XSetErrorHandler(IgnoreXErrors);
    QVERIFY2(QFile::exists(kProgram), qPrintable(kProgram));
    QVERIFY2(QFile::exists(kGrabTool), qPrintable(kGrabTool));
}

void TestShellE2e::windowAppearsCentred() {
    Desk desk;
    QString error;
    QVERIFY2(desk.Start(&error), qPrintable(error));
    desk.StartProgram();

    QTRY_VERIFY_WITH_TIMEOUT(!desk.TitledWindows().isEmpty(), kWaitMs);
    const QList<WindowInfo> windows = desk.TitledWindows();
    QCOMPARE(windows.size(), 1);
    const QByteArray screen = desk.Xdotool({"getdisplaygeometry"});
    const QList<QByteArray> size = screen.trimmed().split(' ');
    QCOMPARE(size.size(), 2);
    const QSize screenSize(size[0].toInt(), size[1].toInt());
    QCOMPARE(screenSize, QSize(1024, 768));
    const QPoint centred((screenSize.width() - kMainSize.width()) / 2,
                         (screenSize.height() - kMainSize.height()) / 2);
    QCOMPARE(windows[0].rect, QRect(centred, kMainSize));
}

void TestShellE2e::databaseIsEnciphered() {
    Desk desk;
    QString error;
    QVERIFY2(desk.Start(&error), qPrintable(error));
    QProcess& program = desk.StartProgram();
    QVERIFY(desk.WaitForMainWindow());
    QVERIFY(QFile::exists(desk.DatabasePath()));
    QVERIFY(EndWith(program, SIGTERM));
    QCOMPARE(program.exitCode(), 0);

    QFile file(desk.DatabasePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray head = file.read(16);
    QCOMPARE(head.size(), 16);
    QVERIFY2(head != QByteArray("SQLite format 3\0", 16), "the file is plain SQLite");
    file.close();

    // Without the key the engine sees no database at all.
    sqlite3* plain = nullptr;
    const QByteArray path = QFile::encodeName(desk.DatabasePath());
    QCOMPARE(sqlite3_open_v2(path.constData(), &plain, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    const int plainRead =
        sqlite3_exec(plain, "SELECT name FROM sqlite_master", nullptr, nullptr, nullptr);
    sqlite3_close(plain);
    QCOMPARE(plainRead, SQLITE_NOTADB);

    QCOMPARE(TableNames(desk.DatabasePath()), QStringList({"DataSet", "DrinkWaterRecord"}));
    qputenv("XDG_DATA_HOME", QFile::encodeName(desk.DataHome()));
    QVERIFY(SettingsStore::OpenSettings());
    SettingsStore::CloseSettings();
}

void TestShellE2e::secondStartShowsFirst_data() {
    QTest::addColumn<bool>("hideFirst");
    QTest::newRow("first visible") << false;
    QTest::newRow("first hidden by its close button") << true;
}

void TestShellE2e::secondStartShowsFirst() {
    QFETCH(bool, hideFirst);
    Desk desk;
    QString error;
    QVERIFY2(desk.Start(&error), qPrintable(error));
    desk.StartProgram();
    const std::optional<WindowInfo> main = desk.WaitForMainWindow();
    QVERIFY(main);
    if (hideFirst) {
        desk.Click(main->rect.topLeft() + kCloseButton);
        QTRY_VERIFY_WITH_TIMEOUT(desk.TitledWindows().isEmpty(), kWaitMs);
    }

    // Every window mapped on the screen from here on is reported to this connection.
    XConnection watch = Connect(desk.Display());
    QVERIFY(watch);
    XSelectInput(watch.get(), DefaultRootWindow(watch.get()), SubstructureNotifyMask);
    XSync(watch.get(), False);

    QProcess second;
    second.setProcessEnvironment(desk.ProgramEnvironment());
    second.setProcessChannelMode(QProcess::MergedChannels);
    second.start(kProgram, QStringList());
    QVERIFY(second.waitForFinished(kWaitMs));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 1);

    QTRY_VERIFY_WITH_TIMEOUT(desk.MainWindow().has_value(), kWaitMs);
    QCOMPARE(desk.MainWindow()->id, main->id);
    QCOMPARE(desk.TitledWindows().size(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(FocusedWindow(desk.Display()), main->id, kWaitMs);

    XSync(watch.get(), False);
    std::set<unsigned long> mapped;
    while (XPending(watch.get()) > 0) {
        XEvent event;
        XNextEvent(watch.get(), &event);
        if (event.type == MapNotify) mapped.insert(event.xmap.window);
    }
    // Only the first instance's own window may have come up, and only when it was hidden.
    const std::set<unsigned long> expected =
        hideFirst ? std::set<unsigned long>{main->id} : std::set<unsigned long>{};
    QCOMPARE(mapped, expected);
}

void TestShellE2e::tilesSwitchViews_data() {
    QTest::addColumn<QPoint>("spot");  // tile art at home, page background on the page
    QTest::newRow("eye protection") << QPoint(60, 150);
    QTest::newRow("drink now") << QPoint(250, 150);
    QTest::newRow("relax") << QPoint(100, 330);
}

void TestShellE2e::tilesSwitchViews() {
    QFETCH(QPoint, spot);
    Desk desk;
    QString error;
    QVERIFY2(desk.Start(&error), qPrintable(error));
    desk.StartProgram();
    const std::optional<WindowInfo> main = desk.WaitForMainWindow();
    QVERIFY(main);
    const QRect frame = main->rect;
    desk.MoveTo(QPoint(0, 0));  // no tile hovered in the home picture

    // The home picture once the window has painted it and it holds still.
    QImage home;
    QImage previous;
    QTRY_VERIFY_WITH_TIMEOUT(
        (previous = home, home = desk.Grab(frame), !home.isNull() && home == previous), kWaitMs);
    QVERIFY2(ColourAt(home, spot) != kPageBackground, "the spot shows no tile art at home");

    desk.Click(frame.topLeft() + spot);
    QImage page;
    QTRY_COMPARE_WITH_TIMEOUT((page = desk.Grab(frame), ColourAt(page, spot)), kPageBackground,
                              kWaitMs);
    // The page covers all three tiles, not only the one clicked.
    for (const QPoint& p : {QPoint(60, 150), QPoint(250, 150), QPoint(100, 330)})
        QCOMPARE(ColourAt(page, p), kPageBackground);
    QVERIFY2(page.copy(kHeaderLeft) != home.copy(kHeaderLeft),
             "the header still shows the logo on the page");

    // The back button sits where the logo was; clicking there leads home again.
    desk.Click(frame.topLeft() + kBackButton);
    QImage back;
    QTRY_VERIFY_WITH_TIMEOUT((back = desk.Grab(frame), back == home), kWaitMs);
}

void TestShellE2e::storedFilterIsApplied_data() {
    QTest::addColumn<bool>("on");
    QTest::addColumn<int>("percent");
    QTest::newRow("on at 30%") << true << 30;
    QTest::newRow("on at 100%") << true << 100;
    QTest::newRow("off with 30% stored") << false << 30;
}

void TestShellE2e::storedFilterIsApplied() {
    QFETCH(bool, on);
    QFETCH(int, percent);
    Desk desk;
    QString error;
    QVERIFY2(desk.Start(&error), qPrintable(error));
    QVERIFY(StoreFilter(desk, on, percent));
    const std::vector<Channels> before = ReadCrtcGammas(desk.Display().constData());
    QVERIFY2(!before.empty(), "no CRTC with a gamma ramp: nothing would be checked");
    desk.StartProgram();
    QVERIFY(desk.WaitForMainWindow());

    if (on) {
        QTRY_VERIFY_WITH_TIMEOUT(CrtcsCarry(desk.Display(), BuildGammaRamp(percent)), kWaitMs);
    } else {
        // The filter is loaded before the window shows, so by now anything loaded is visible;
        // the server's own identity ramp has to be left as it was.
        QVERIFY(ReadCrtcGammas(desk.Display().constData()) == before);
    }
}

void TestShellE2e::signalsEndCleanly_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TestShellE2e::signalsEndCleanly() {
    QFETCH(int, signal);
    Desk desk;
    QString error;
    QVERIFY2(desk.Start(&error), qPrintable(error));
    QVERIFY(StoreFilter(desk, true, 30));
    QProcess& program = desk.StartProgram();
    QVERIFY(desk.WaitForMainWindow());
    QTRY_VERIFY_WITH_TIMEOUT(CrtcsCarry(desk.Display(), BuildGammaRamp(30)), kWaitMs);
    const QStringList running =
        QDir(desk.RuntimeFolder())
            .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    QVERIFY2(EndsWith(running, ".lock") && EndsWith(running, ".socket"),
             qPrintable(running.join(' ')));

    QVERIFY(EndWith(program, signal));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(CrtcsCarry(desk.Display(), IdentityGammaRamp()));
    for (const QString& name : running)
        QVERIFY2(!QFileInfo::exists(desk.RuntimeFolder() + '/' + name), qPrintable(name));

    QCOMPARE(TableNames(desk.DatabasePath()), QStringList({"DataSet", "DrinkWaterRecord"}));
    qputenv("XDG_DATA_HOME", QFile::encodeName(desk.DataHome()));
    QVERIFY(SettingsStore::OpenSettings());
    const bool storedOn = SettingsStore::GetEyeProtectOn();
    const int storedPercent = SettingsStore::GetPercent();
    SettingsStore::CloseSettings();
    QVERIFY(storedOn);
    QCOMPARE(storedPercent, 30);
}

void TestShellE2e::corruptDatabaseIsLeftAlone() {
    Desk desk;
    QString error;
    QVERIFY2(desk.Start(&error), qPrintable(error));
    QVERIFY(QDir().mkpath(QFileInfo(desk.DatabasePath()).path()));
    QByteArray noise(8192, '\0');
    for (char& byte : noise) byte = static_cast<char>(QRandomGenerator::global()->bounded(256));
    QFile file(desk.DatabasePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(noise), noise.size());
    file.close();

    QProcess& program = desk.StartProgram();
    QVERIFY(desk.WaitForMainWindow());
    QVERIFY(EndWith(program, SIGTERM));
    QCOMPARE(program.exitCode(), 0);

    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY2(file.readAll() == noise, "the unreadable database was changed");
}

void TestShellE2e::trayDoubleClickShowsWindow() {
    Desk desk;
    QString error;
    QVERIFY2(desk.Start(&error, true), qPrintable(error));
    QProcess& program = desk.StartProgram();
    const std::optional<WindowInfo> main = desk.WaitForMainWindow();
    QVERIFY(main);
    QTRY_VERIFY_WITH_TIMEOUT(desk.TrayIconOf(program).has_value(), kWaitMs);
    const QPoint icon = desk.TrayIconOf(program)->rect.center();

    desk.Click(main->rect.topLeft() + kCloseButton);
    QTRY_VERIFY_WITH_TIMEOUT(!desk.MainWindow(), kWaitMs);
    desk.Click(icon, 1, 2);
    QTRY_VERIFY_WITH_TIMEOUT(desk.MainWindow().has_value(), kWaitMs);
    QCOMPARE(desk.MainWindow()->rect, main->rect);
}

void TestShellE2e::trayMenuExit_data() {
    QTest::addColumn<QPoint>("answer");
    QTest::addColumn<bool>("quits");
    QTest::newRow("yes") << kConfirmYes << true;
    QTest::newRow("no") << kConfirmNo << false;
}

void TestShellE2e::trayMenuExit() {
    QFETCH(QPoint, answer);
    QFETCH(bool, quits);
    Desk desk;
    QString error;
    QVERIFY2(desk.Start(&error, true), qPrintable(error));
    QVERIFY(StoreFilter(desk, true, 30));  // so that quitting visibly removes the filter
    QProcess& program = desk.StartProgram();
    const std::optional<WindowInfo> main = desk.WaitForMainWindow();
    QVERIFY(main);
    QTRY_VERIFY_WITH_TIMEOUT(desk.TrayIconOf(program).has_value(), kWaitMs);
    const WindowInfo icon = *desk.TrayIconOf(program);
    const QPoint pointer = icon.rect.center();

    desk.Click(pointer, 3);
    std::optional<WindowInfo> menu;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            for (const WindowInfo& w : desk.ProgramWindows(program))
                if (w.id != main->id && w.id != icon.id) menu = w;
            return menu.has_value();
        }(),
        kWaitMs);
    QVERIFY(IsOverrideRedirect(desk.Display(), menu->id));
    QCOMPARE(menu->rect.top(), pointer.y() - kTrayMenuLift);
    QVERIFY(menu->rect.bottom() < pointer.y());

    // "退出" is the last item: 28 px high above the menu's 4 px bottom inset.
    desk.Click(QPoint(menu->rect.center().x(), menu->rect.bottom() + 1 - 4 - 14));
    // The question carries its title only as _NET_WM_NAME, which a name search does not read.
    const auto findQuestion = [&]() -> std::optional<WindowInfo> {
        for (const WindowInfo& w : desk.ProgramWindows(program))
            if (w.rect.size() == kConfirmSize) return w;
        return std::nullopt;
    };
    QTRY_VERIFY_WITH_TIMEOUT(findQuestion().has_value(), kWaitMs);
    const WindowInfo question = *findQuestion();
    desk.Click(question.rect.topLeft() + answer);

    if (quits) {
        QVERIFY(program.waitForFinished(kWaitMs));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(CrtcsCarry(desk.Display(), IdentityGammaRamp()));
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(!findQuestion(), kWaitMs);
        // Still serving the user: a quit queued by the answer would end it before this click.
        const QPoint spot(60, 150);
        desk.Click(main->rect.topLeft() + spot);
        QTRY_COMPARE_WITH_TIMEOUT(ColourAt(desk.Grab(main->rect), spot), kPageBackground, kWaitMs);
        QCOMPARE(program.state(), QProcess::Running);
        QVERIFY(desk.TrayIconOf(program).has_value());
        QVERIFY(CrtcsCarry(desk.Display(), BuildGammaRamp(30)));
    }
}

QTEST_GUILESS_MAIN(TestShellE2e)
#include "tst_shell_e2e.moc"
