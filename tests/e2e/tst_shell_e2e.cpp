// The real program on a private Xvfb, driven from outside the way a user would: xdotool for the
// pointer, the X server itself for what is shown, the database file for what is kept.

#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <set>

#include "data/database_session.h"
#include "tests/e2e/desk.h"

namespace {

using namespace e2e;

const QSize kConfirmSize(240, 240);
const QStringList kTables = {"DataSet", "DrinkWaterRecord"};
constexpr int kTrayMenuLift = 252;

// Client points of the main window.
const QPoint kCloseButton(336, 14);
const QPoint kBackButton(20, 16);
const QRect kHeaderLeft(0, 0, 180, 26);  // logo and name at home, back arrow and title on a page
const QPoint kEyeTile(60, 150), kDrinkTile(250, 150), kRelaxTile(100, 330);
const QPoint kDrinkNowButton(140, 358);  // "立即喝水" on the drink-now page, a blank after a drink
// The exit question's buttons (86x32 at 29,152 and 127,152): their centres.
const QPoint kConfirmYes(29 + 43, 152 + 16);
const QPoint kConfirmNo(127 + 43, 152 + 16);

// The abstract names bound on this machine that look like an instance's, by socket inode (listed
// in /proc/net/unix with a leading '@').
QMap<QByteArray, QByteArray> InstanceSockets() {
    QMap<QByteArray, QByteArray> names;
    QFile table("/proc/net/unix");
    if (!table.open(QIODevice::ReadOnly)) return names;
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() == 8 && fields[7].startsWith("@/vita-companion/"))
            names.insert(fields[6], fields[7]);
    }
    return names;
}

// The instance name the process `pid` listens on; empty when it holds none.
QByteArray InstanceName(qint64 pid) {
    const QMap<QByteArray, QByteArray> sockets = InstanceSockets();
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString& fd : fds.entryList(QDir::System)) {
        // "socket:[inode]", which Qt reads as a path relative to the folder.
        QByteArray target = QFile::encodeName(QFile::symLinkTarget(fds.filePath(fd)));
        target = target.mid(target.lastIndexOf('/') + 1);
        if (target.startsWith("socket:[") && target.endsWith(']')) {
            const QByteArray inode = target.mid(8, target.size() - 9);
            if (sockets.contains(inode)) return sockets.value(inode);
        }
    }
    return {};
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

// The controls Tab gives the focus to, one Tab each, as the program's debug trace names them.
QStringList TabWalk(Desk& desk, int tabs) {
    QStringList visited;
    desk.Program().readAll();  // what came before the walk
    QByteArray said;
    for (int i = 0; i < tabs; ++i) {
        desk.Xdotool({"key", "Tab"});
        const bool moved = WaitFor([&] {
            said += desk.Program().readAll();
            return said.contains('\n') && said.contains("focus: ");
        });
        if (!moved) break;
        const QList<QByteArray> lines = said.trimmed().split('\n');
        visited << QString::fromUtf8(lines.last().mid(lines.last().indexOf("focus: ") + 7));
        said.clear();
    }
    return visited;
}

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
    void keyboardWalk();
    void busyDatabaseNeverFreezes();
    void filterAndWaysOut_data();
    void filterAndWaysOut();
    void unbuildableMainWindow_data();
    void unbuildableMainWindow();
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
    // The second start's environment where it differs: one instance per user and display,
    // however the display is written and whatever the folders say. "@" is the desk's display.
    QTest::addColumn<QStringList>("secondVariables");  // name, value, name, value...; null: unset
    QTest::newRow("second start, window shown") << false << false << QStringList();
    QTest::newRow("second start, window hidden by its close button")
        << true << false << QStringList();
    QTest::newRow("tray double click, window hidden") << true << true << QStringList();
    QTest::newRow("second start naming the screen")
        << false << false << QStringList{"DISPLAY", "@.0"};
    QTest::newRow("second start without a runtime folder")
        << true << false << QStringList{"XDG_RUNTIME_DIR", QString()};
    QTest::newRow("second start with another temporary folder")
        << false << false << QStringList{"TMPDIR", "/var/tmp"};
}

void TestShellE2e::windowComesBack() {
    QFETCH(bool, hideFirst);
    QFETCH(bool, byTray);
    QFETCH(QStringList, secondVariables);
    Desk desk;
    // Hidden by its close button only where a tray can bring it back.
    QVERIFY2(desk.Open(byTray || hideFirst), desk.Failure());
    for (qsizetype i = 0; i + 1 < secondVariables.size(); i += 2) {
        QString value = secondVariables[i + 1];
        desk.SetProgramVariable(secondVariables[i],
                                value.isNull() ? value : value.replace('@', desk.Display()));
    }
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
    // The page covers all three tiles, not only the one clicked (its own pictures may lie where
    // another tile was).
    for (const QPoint& p : {kEyeTile, kDrinkTile, kRelaxTile})
        QVERIFY2(ColourAt(page, p) != ColourAt(home, p), qPrintable(ColourAt(page, p)));
    QVERIFY2(page.copy(kHeaderLeft) != home.copy(kHeaderLeft),
             "the header still shows the logo on the page");

    // The back button sits where the logo was; clicking there leads home again.
    desk.Click(frame.topLeft() + kBackButton);
    QTRY_VERIFY_WITH_TIMEOUT((back = desk.Grab(frame), back == home), kWaitMs);
}

// A run from its start, with the stored filter put on the screen, to its end.
// Keyboard alone: Tab visits only what can be seen, at home (the drink tile's own buttons
// included) and on a page, and the control it reaches shows it.
void TestShellE2e::keyboardWalk() {
    Desk desk;
    desk.SetProgramVariable("QT_LOGGING_RULES", "vita.ui.debug=true");
    QVERIFY2(desk.Open(), desk.Failure());
    const QPoint origin = desk.Main().rect.topLeft();
    desk.Xdotool({"mousemove", QString::number(origin.x() + 200), QString::number(origin.y() + 13),
                  "windowfocus", QString::number(desk.Main().id)});
    // The drink tile's left edge: the mark is two green pixels, then one white one.
    const QPoint markEdge = origin + QPoint(178, 130);
    const auto mark = [&] {
        const QImage edge = desk.Grab(QRect(markEdge, QSize(3, 1)));
        return ColourAt(edge, {0, 0}) + " " + ColourAt(edge, {2, 0});
    };
    QVERIFY(mark() != "#2eac6f #ffffff");  // no mark before the keyboard is used
    // Wherever the activation put the focus, the walk comes round to the title bar's menu.
    for (int i = 0; i < 12 && TabWalk(desk, 1) != QStringList{"btn_main_menu"}; ++i) {
    }
    QCOMPARE(TabWalk(desk, 5), QStringList({"btn_show_min", "btn_wnd_close", "btn_eyeprotect",
                                            "btn_eyeprotect_set", "btn_drink_imm"}));
    QTRY_COMPARE_WITH_TIMEOUT(mark(), QString("#2eac6f #ffffff"), kWaitMs);
    QCOMPARE(TabWalk(desk, 5), QStringList({"btn_drinkwater_set", "btn_achievement", "btn_relax",
                                            "btn_haverelax_set", "btn_main_menu"}));
    // Return on the drink tile: its page, with the focus on the page's first control.
    QCOMPARE(TabWalk(desk, 5).last(), QString("btn_drink_imm"));
    desk.Xdotool({"key", "Return"});
    QTRY_VERIFY_WITH_TIMEOUT(desk.Program().peek(1 << 16).contains("focus: btn_modify"), kWaitMs);
    QCOMPARE(TabWalk(desk, 7),
             QStringList({"btn_drink_imm", "btn_drink_no", "btn_back", "btn_main_menu",
                          "btn_show_min", "btn_wnd_close", "btn_modify"}));
}

// Another program holds the database all along: three drinks clicked, the window answers at
// once each time, SIGTERM ends the program at once, and the next start finds all three.
void TestShellE2e::busyDatabaseNeverFreezes() {
    Desk desk;
    QVERIFY2(desk.Open(), desk.Failure());
    const QRect frame = desk.Main().rect;
    DatabaseSession holder;
    QCOMPARE(holder.Open(QFile::encodeName(desk.DatabasePath()).toStdString(),
                         SettingsStore::kDatabaseKey),
             0);
    QCOMPARE(holder.ExecStatement("BEGIN EXCLUSIVE"), SQLITE_DONE);
    const auto at = [&](const QPoint& p) { return ColourAt(desk.Grab(frame), p); };
    qint64 slowest = 0;
    for (int i = 0; i < 3; ++i) {
        desk.Click(frame.topLeft() + kDrinkTile);
        QTRY_VERIFY_WITH_TIMEOUT(at(kDrinkNowButton) != kPageBackground, kWaitMs);
        QElapsedTimer answer;
        answer.start();
        desk.Click(frame.topLeft() + kDrinkNowButton);
        // The buttons give way to the countdown.
        QTRY_VERIFY_WITH_TIMEOUT(at(kDrinkNowButton) == kPageBackground, kWaitMs);
        slowest = std::max(slowest, answer.elapsed());
        desk.Click(frame.topLeft() + kBackButton);
        QTRY_VERIFY_WITH_TIMEOUT(at(kDrinkTile) != kPageBackground, kWaitMs);
    }
    qInfo("the slowest drink was seen taken after %lld ms", slowest);
    QVERIFY2(slowest < 1000, "the window waited for the database");
    QElapsedTimer exit;
    exit.start();
    ::kill(static_cast<pid_t>(desk.Program().processId()), SIGTERM);
    QVERIFY(desk.Program().waitForFinished(kWaitMs));
    qInfo("SIGTERM ended the program after %lld ms", exit.elapsed());
    QVERIFY2(exit.elapsed() < 3000, "the way out waited for the database");
    QCOMPARE(holder.ExecStatement("COMMIT"), SQLITE_DONE);
    holder.Close();
    int drinks = -1;
    QVERIFY(desk.WithStore([&drinks] {
        ResultSet rows;
        if (SettingsStore::Session().QueryRows("select count(*) from DrinkWaterRecord", rows) == 0)
            if (const ResultSet::Row* row = rows.NextRow()) drinks = std::stoi(row->front());
    }));
    QCOMPARE(drinks, 3);
}

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
    const QByteArray instanceName = InstanceName(program.processId());
    QVERIFY2(!instanceName.isEmpty(), "no instance socket");
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
    QVERIFY(desk.Gammas() == desk.InitialGammas());  // the server's own ramp back, every way out
    QVERIFY2(!InstanceSockets().values().contains(instanceName),
             "the instance socket outlived the program");
    QCOMPARE(TableNames(desk.DatabasePath()), kTables);
    const std::optional<StoredFilter> stored = desk.Filter();
    QVERIFY(stored);
    QCOMPARE(stored->on, on);
    QCOMPARE(stored->percent, percent);
}

void TestShellE2e::unbuildableMainWindow_data() {
    QTest::addColumn<QByteArray>("layout");  // main_frame.xml of the skin folder; null: none
    QTest::addColumn<QString>("said");
    QTest::newRow("malformed") << QByteArray("<Window size=\"350,450\">\n<VerticalLayout>")
                               << "main_frame.xml: line 2";
    QTest::newRow("missing") << QByteArray() << "main_frame.xml: not in the skin package";
}

// A skin without a usable main window: no empty window, a reason and a code to act on.
void TestShellE2e::unbuildableMainWindow() {
    QFETCH(QByteArray, layout);
    QFETCH(QString, said);
    Desk desk;
    QVERIFY2(desk.StartServer(), desk.Failure());
    const QString skin = desk.FolderPath("skin");
    QVERIFY(QDir().mkpath(skin));
    if (!layout.isNull()) {
        QFile file(skin + "/main_frame.xml");
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(layout) == layout.size());
    }
    desk.SetProgramVariable("VITA_SKIN_FOLDER", skin);
    QProcess& program = desk.StartProgram();
    QVERIFY(program.waitForFinished(kWaitMs));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 3);
    const QString output = QString::fromUtf8(program.readAll());
    QVERIFY2(output.contains("the main window cannot be built: " + said), qPrintable(output));
    QCOMPARE(desk.Gammas(), desk.InitialGammas());
}

QTEST_GUILESS_MAIN(TestShellE2e)
#include "tst_shell_e2e.moc"
