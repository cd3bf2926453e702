// The drink reminders of the real program on a private Xvfb: the reminder frame asked for with
// --drink-now, sliding into the corner of the work area a panel leaves, out of the task bar and
// without taking the keyboard from the user; drinks recorded by real clicks and read back from
// the enciphered file through the program's own store; the settings page's interval combos; two
// instances on two displays sharing one file; and the command line.

#include <signal.h>

#include <map>

#include "data/database_session.h"
#include "tests/e2e/desk.h"

namespace {

using namespace e2e;

const QSize kFrameSize(280, 360);  // the reminder frame's content
const QRect kScreen(0, 0, 1024, 768);
// The drop shadow's margins, where a compositing manager runs.
constexpr int kShadow = 32;
// Content points of the reminder frame: its title row is 26 high, the panel below it.
const QPoint kFrameDrink(99 + 43, 26 + 253 + 16);  // the centre of "立即喝水"
// Client points of the main window.
const QPoint kDrinkTile(250, 150);
const QPoint kDrinkSettingsButton(307, 53);        // shown while the pointer is on the drink tile
const QPoint kPageDrink(133 + 43, 26 + 305 + 16);  // "立即喝水" on the main window's page
const QPoint kHourCombo(20 + 24, 26 + 317 + 14), kMinuteCombo(120 + 24, 26 + 317 + 14);
constexpr int kComboItem = 24;
// The countdown counts six seconds; a coarse timer may tick 5% early.
constexpr int kCountdownAtLeastMs = 5000;

struct DrinkRow {
    int size = 0;
    QString date, time;
};

// The drink log as the file holds it, oldest first, read through the program's own store.
std::optional<QList<DrinkRow>> Drinks(const Desk& desk) {
    std::optional<QList<DrinkRow>> drinks;
    desk.WithStore([&] {
        ResultSet rows;
        if (SettingsStore::Session().QueryRows(
                "select size, DrinkDate, DrinkTime from DrinkWaterRecord order by rowid", rows) !=
            0)
            return;
        drinks.emplace();
        while (const ResultSet::Row* row = rows.NextRow())
            drinks->append({SettingsStore::LenientInt(row->at(0)),
                            QString::fromStdString(row->at(1)),
                            QString::fromStdString(row->at(2))});
    });
    return drinks;
}
qsizetype DrinkCount(const Desk& desk) {
    const auto drinks = Drinks(desk);
    return drinks ? drinks->size() : -1;
}

// Whether a drink was stamped with the local date and time of a moment in [from, to].
bool StampedWithin(const DrinkRow& drink, const QDateTime& from, const QDateTime& to) {
    const QDateTime at(QDate::fromString(drink.date, "yyyy-MM-dd"),
                       QTime::fromString(drink.time, "HH:mm:ss"));
    // The stamp has whole seconds.
    return at.isValid() && at >= from.addMSecs(-from.time().msec()) && at <= to;
}

// The atoms of a window's _NET_WM_STATE, by name.
QStringList NetWmState(Display* x, unsigned long window) {
    QStringList names;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x, window, XInternAtom(x, "_NET_WM_STATE", False), 0, 64, False, XA_ATOM,
                           &type, &format, &count, &after, &data) != Success)
        return names;
    if (data && type == XA_ATOM && format == 32) {
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            char* name = XGetAtomName(x, atoms[i]);
            names << QString::fromLatin1(name);
            XFree(name);
        }
    }
    if (data) XFree(data);
    return names;
}

// _NET_WM_USER_TIME of a window; nullopt when it has none. 0 asks a window manager not to give
// the window the focus when it is mapped.
std::optional<unsigned long> NetWmUserTime(Display* x, unsigned long window) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::optional<unsigned long> time;
    if (XGetWindowProperty(x, window, XInternAtom(x, "_NET_WM_USER_TIME", False), 0, 1, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
        data && type == XA_CARDINAL && format == 32 && count == 1)
        time = *reinterpret_cast<const unsigned long*>(data);
    if (data) XFree(data);
    return time;
}

// What the X server reports of the top-level windows (with no window manager they are the root
// window's own children): each one's place as it changes, where it was when it was mapped, its
// moves from then on, and whether it went away.
class TopLevels {
  public:
    struct Trail {
        QRect rect;
        bool mapped = false;
        bool gone = false;           // unmapped or destroyed after being mapped
        std::optional<QRect> atMap;  // where it was mapped
        QList<QRect> moves;          // each new place while mapped
    };

    explicit TopLevels(Display* x) : x_(x) {
        XSelectInput(x_, DefaultRootWindow(x_), SubstructureNotifyMask);
        XSync(x_, False);
    }

    void Read() {
        while (XPending(x_) > 0) {
            XEvent e;
            XNextEvent(x_, &e);
            switch (e.type) {
                case CreateNotify: {
                    const XCreateWindowEvent& c = e.xcreatewindow;
                    trails_[c.window].rect = QRect(c.x, c.y, c.width, c.height);
                    break;
                }
                case ConfigureNotify: {
                    const XConfigureEvent& c = e.xconfigure;
                    Trail& trail = trails_[c.window];
                    const QRect rect(c.x, c.y, c.width, c.height);
                    if (rect == trail.rect) break;  // restacked only
                    trail.rect = rect;
                    if (trail.mapped) trail.moves.append(rect);
                    break;
                }
                case MapNotify: {
                    Trail& trail = trails_[e.xmap.window];
                    trail.mapped = true;
                    if (!trail.atMap) trail.atMap = trail.rect;
                    break;
                }
                case UnmapNotify:
                case DestroyNotify: {
                    Trail& trail =
                        trails_[e.type == UnmapNotify ? e.xunmap.window : e.xdestroywindow.window];
                    trail.gone = trail.gone || trail.mapped;
                    trail.mapped = false;
                    break;
                }
                default:
                    break;
            }
        }
    }

    // The windows mapped so far with a size, oldest first.
    QList<unsigned long> MappedOfSize(const QSize& size) {
        Read();
        QList<unsigned long> ids;
        for (const auto& [id, trail] : trails_)
            if (trail.atMap && trail.rect.size() == size) ids << id;
        return ids;
    }
    const Trail& Of(unsigned long id) {
        Read();
        return trails_[id];
    }

  private:
    Display* x_;
    std::map<unsigned long, Trail> trails_;
};

// Stands in for a compositing manager while it lives: owns the _NET_WM_CM_S0 selection.
void ClaimCompositorSelection(Display* x) {
    const Window owner = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(x, XInternAtom(x, "_NET_WM_CM_S0", False), owner, CurrentTime);
    XSync(x, False);
}

// The reminder frame's window once it rests in the corner of the full screen.
std::optional<WindowInfo> FrameAtRest(const Desk& desk) {
    const QRect rest(
        kScreen.bottomRight() + QPoint(1, 1) - QPoint(kFrameSize.width(), kFrameSize.height()),
        kFrameSize);
    return WaitFor(
        [&] { return First(desk.Windows(), [&](const WindowInfo& w) { return w.rect == rest; }); });
}
bool FrameShown(const Desk& desk, unsigned long id) {
    return First(desk.Windows(), [id](const WindowInfo& w) { return w.id == id; }).has_value();
}

// A plain environment for runs that need no display: nothing of the user's is reached.
QProcessEnvironment HeadlessEnvironment(const QTemporaryDir& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY"}) env.remove(name);
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", home.filePath("runtime"));
    env.insert("QT_QPA_PLATFORM", "xcb");
    return env;
}

}  // namespace

class TestDrinkE2e : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void commandLine_data();
    void commandLine();
    void slidesIntoTheCorner_data();
    void slidesIntoTheCorner();
    void leavesTheFocusWhereItWas();
    void drinkIsRecordedOnce_data();
    void drinkIsRecordedOnce();
    void intervalByClicks_data();
    void intervalByClicks();
    void twoDisplaysOneFile();
};

void TestDrinkE2e::initTestCase() {
    XSetErrorHandler(IgnoreXErrors);
    QVERIFY2(QFile::exists(kProgram), qPrintable(kProgram));
}

void TestDrinkE2e::commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("running");  // a first instance runs on the display
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out");  // a pattern of standard output; empty: nothing
    QTest::addColumn<QString>("err");  // a pattern of standard error; empty: nothing
    // (Next to a running instance the run's two channels are read as one.)
    QTest::newRow("--help") << QStringList{"--help"} << false << 0
                            << R"(Usage: vita-companion \[options\][\s\S]*--drink-now)"
                            << "";
    QTest::newRow("--version") << QStringList{"--version"} << false << 0
                               << R"(^VitaCompanion \d+\.\d+\S*\n$)"
                               << "";
    QTest::newRow("unknown option") << QStringList{"--drink-later"} << false << 2 << ""
                                    << "Unknown option 'drink-later'.*\n.*--help";
    QTest::newRow("extra argument") << QStringList{"now"} << false << 2 << ""
                                    << "unexpected argument 'now'";
    QTest::newRow("--drink-now with an extra argument")
        << QStringList{"--drink-now", "now"} << false << 2 << ""
        << "unexpected argument 'now'";
    QTest::newRow("second start") << QStringList{} << true << 1 << ""
                                  << "";
    QTest::newRow("second start with --drink-now") << QStringList{"--drink-now"} << true << 0 << ""
                                                   << "";
}

// As on every Linux program; what needs no display runs without one and leaves no trace.
void TestDrinkE2e::commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, running);
    QFETCH(int, code);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QTemporaryDir home;
    QVERIFY(home.isValid());
    Desk desk;
    QProcess headless;
    QProcess* run = &headless;
    if (running) {
        QVERIFY2(desk.Open(), desk.Failure());
        run = &desk.StartProgram(arguments);
    } else {
        headless.setProcessEnvironment(HeadlessEnvironment(home));
        headless.start(kProgram, arguments);
    }
    QVERIFY(run->waitForFinished(kWaitMs));
    QCOMPARE(run->exitStatus(), QProcess::NormalExit);
    const auto matches = [](const QString& text, const QString& pattern) {
        return pattern.isEmpty() ? text.isEmpty()
                                 : QRegularExpression(pattern).match(text).hasMatch();
    };
    if (running) {
        const QString said = QString::fromUtf8(run->readAll());  // both channels
        QVERIFY2(run->exitCode() == code, qPrintable(said));
        QVERIFY2(matches(said, out + err), qPrintable(said));
        QCOMPARE(desk.Program().state(), QProcess::Running);
        return;
    }
    const QString said = QString::fromUtf8(headless.readAllStandardOutput());
    const QString complained = QString::fromUtf8(headless.readAllStandardError());
    QVERIFY2(headless.exitCode() == code, qPrintable(said + complained));
    QVERIFY2(matches(said, out), qPrintable("standard output: " + said));
    QVERIFY2(matches(complained, err), qPrintable("standard error: " + complained));
    // Read before anything else: no settings were opened, no folder made.
    QCOMPARE(QDir(home.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void TestDrinkE2e::slidesIntoTheCorner_data() {
    QTest::addColumn<QRect>("work");   // the work area when the program starts; null: the screen
    QTest::addColumn<QRect>("later");  // the work area from the moment the frame is mapped
    QTest::addColumn<bool>("compositor");
    QTest::addColumn<QPoint>("rest");  // the content's top-left at rest
    QTest::newRow("no panel") << QRect() << QRect() << false << QPoint(744, 408);
    QTest::newRow("panel at the bottom")
        << QRect(0, 0, 1024, 728) << QRect() << false << QPoint(744, 368);
    QTest::newRow("panel at the right")
        << QRect(0, 0, 960, 768) << QRect() << false << QPoint(680, 408);
    QTest::newRow("panel at the top")
        << QRect(0, 40, 1024, 728) << QRect() << false << QPoint(744, 408);
    QTest::newRow("panel at the bottom, drop shadow")
        << QRect(0, 0, 1024, 728) << QRect() << true << QPoint(744, 368);
    QTest::newRow("panel moves from the bottom to the right as it rises")
        << QRect(0, 0, 1024, 728) << QRect(0, 0, 960, 768) << false << QPoint(680, 408);
    QTest::newRow("a tall panel at the bottom goes away as it rises")
        << QRect(0, 0, 1024, 400) << kScreen << false << QPoint(744, 408);
}

// --drink-now with no instance running: the program starts, and the frame rises from just below
// the work area, 4 px a step, into its bottom-right corner; out of the task bar and the pager,
// above the other windows.
void TestDrinkE2e::slidesIntoTheCorner() {
    QFETCH(QRect, work);
    QFETCH(QRect, later);
    QFETCH(bool, compositor);
    QFETCH(QPoint, rest);
    Desk desk;
    QVERIFY2(desk.StartServer(), desk.Failure());
    if (!work.isNull()) desk.SetWorkArea(work);
    if (compositor) ClaimCompositorSelection(desk.X());
    const QMargins shadow = compositor ? QMargins(kShadow, kShadow, kShadow, kShadow) : QMargins();
    const QSize windowSize = kFrameSize.grownBy(shadow);
    const auto content = [&](const QRect& window) { return window.marginsRemoved(shadow); };
    TopLevels tops(desk.X());

    desk.StartProgram({"--drink-now"});
    const auto frames = WaitFor([&] {
        const QList<unsigned long> ids = tops.MappedOfSize(windowSize);
        return ids.isEmpty() ? std::nullopt : std::optional(ids);
    });
    QVERIFY2(frames, "no reminder frame came up");
    if (!later.isNull()) desk.SetWorkArea(later);
    QCOMPARE(frames->size(), 1);
    const unsigned long frame = frames->first();
    const QRect start = work.isNull() ? kScreen : work;
    QCOMPARE(content(*tops.Of(frame).atMap).topLeft(),
             QPoint(start.right() + 1 - kFrameSize.width(), start.bottom() + 1));

    const QRect restRect(rest, kFrameSize);
    QTRY_COMPARE_WITH_TIMEOUT(content(tops.Of(frame).rect), restRect, kWaitMs);
    QTest::qWait(300);  // in place for good: no step after it
    const TopLevels::Trail& trail = tops.Of(frame);
    QCOMPARE(content(trail.rect), restRect);
    QVERIFY(!trail.moves.isEmpty() && content(trail.moves.last()) == restRect);
    // Up 4 px a step all the way; where the work area changed meanwhile the last step may take
    // it down to the corner.
    int y = trail.atMap->y();
    for (qsizetype i = 0; i + 1 < trail.moves.size(); ++i) {
        const int rise = y - trail.moves[i].y();
        QVERIFY2(later.isNull() ? rise == 4 : rise > 0 && rise <= 4,
                 qPrintable(QString("step %1 rose %2 px").arg(i).arg(rise)));
        y = trail.moves[i].y();
    }
    if (later.isNull()) QCOMPARE(trail.moves.size(), (kFrameSize.height() + 3) / 4);

    const QStringList states = NetWmState(desk.X(), frame);
    for (const char* state :
         {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER", "_NET_WM_STATE_ABOVE"})
        QVERIFY2(states.contains(state), qPrintable(states.join(' ')));
    // The program came up as usual too (its window with a shadow of its own where one is drawn).
    QVERIFY(WaitFor([&] { return !desk.TitledWindows().isEmpty(); }));
}

// A reminder that comes while the user types elsewhere leaves the keyboard where it is; a second
// request while it is open opens nothing more.
void TestDrinkE2e::leavesTheFocusWhereItWas() {
    Desk desk;
    QVERIFY2(desk.Open(), desk.Failure());
    Display* x = desk.X();
    const Window mine =
        XCreateSimpleWindow(x, DefaultRootWindow(x), 20, 20, 300, 200, 0, 0, 0xFFFFFF);
    XSelectInput(x, mine, StructureNotifyMask);
    XMapWindow(x, mine);
    XSync(x, False);
    QVERIFY(WaitFor([&] {
        XEvent e;
        return XCheckTypedWindowEvent(x, mine, MapNotify, &e) == True;
    }));
    XSetInputFocus(x, mine, RevertToParent, CurrentTime);
    XSync(x, False);
    QCOMPARE(desk.FocusedWindow(), mine);

    TopLevels tops(x);
    QProcess& second = desk.StartProgram({"--drink-now"});
    QVERIFY(second.waitForFinished(kWaitMs));
    QCOMPARE(second.exitCode(), 0);
    const std::optional<WindowInfo> frame = FrameAtRest(desk);
    QVERIFY2(frame, "the frame did not come to rest");
    QTest::qWait(300);
    QCOMPARE(desk.FocusedWindow(), mine);
    // And told a window manager so: such a manager would otherwise focus a new window itself.
    QCOMPARE(NetWmUserTime(x, frame->id), std::optional<unsigned long>(0));

    QProcess& third = desk.StartProgram({"--drink-now"});
    QVERIFY(third.waitForFinished(kWaitMs));
    QCOMPARE(third.exitCode(), 0);
    QTest::qWait(500);
    QCOMPARE(tops.MappedOfSize(kFrameSize), QList<unsigned long>{frame->id});
    QCOMPARE(tops.Of(frame->id).moves.size(), (kFrameSize.height() + 3) / 4);  // no new slide
    QCOMPARE(desk.FocusedWindow(), mine);
}

void TestDrinkE2e::drinkIsRecordedOnce_data() {
    QTest::addColumn<bool>("inFrame");  // the reminder frame; else the main window's page
    QTest::addColumn<int>("clicks");
    QTest::newRow("reminder frame") << true << 1;
    QTest::newRow("reminder frame, a hurried double click") << true << 2;
    QTest::newRow("main window's page") << false << 1;
}

// "立即喝水" writes one drink of the amount shown, stamped now, into the enciphered file; the
// panel counts six seconds, then its host lets it go.
void TestDrinkE2e::drinkIsRecordedOnce() {
    QFETCH(bool, inFrame);
    QFETCH(int, clicks);
    Desk desk;
    QVERIFY(desk.WithStore([] { SettingsStore::SetDrinkTargetOnce(250); }));
    QVERIFY2(desk.Open(false, std::nullopt, inFrame ? QStringList{"--drink-now"} : QStringList{}),
             desk.Failure());
    const QRect main = desk.Main().rect;
    QImage home, previous;
    std::function<bool()> shown;
    QPoint button;
    if (inFrame) {
        const std::optional<WindowInfo> frame = FrameAtRest(desk);
        QVERIFY2(frame, "the frame did not come to rest");
        button = frame->rect.topLeft() + kFrameDrink;
        shown = [&desk, id = frame->id] { return FrameShown(desk, id); };
    } else {
        desk.Xdotool({"mousemove", "0", "0"});
        QTRY_VERIFY_WITH_TIMEOUT(
            (previous = home, home = desk.Grab(main), !home.isNull() && home == previous), kWaitMs);
        desk.Click(main.topLeft() + kDrinkTile);
        QTRY_COMPARE_WITH_TIMEOUT(ColourAt(desk.Grab(main), kDrinkTile), kPageBackground, kWaitMs);
        button = main.topLeft() + kPageDrink;
        shown = [&] { return desk.Grab(main) != home; };
    }
    QCOMPARE(DrinkCount(desk), 0);

    const QDateTime before = QDateTime::currentDateTime();
    QElapsedTimer sinceClick;
    sinceClick.start();
    desk.Click(button, 1, clicks);
    desk.Xdotool({"mousemove", "0", "0"});  // the home view again without a hovered tile
    QTRY_VERIFY_WITH_TIMEOUT(DrinkCount(desk) != 0, kWaitMs);
    const QDateTime after = QDateTime::currentDateTime();
    const std::optional<QList<DrinkRow>> drinks = Drinks(desk);
    QVERIFY(drinks);
    QCOMPARE(drinks->size(), 1);
    QCOMPARE(drinks->first().size, 250);
    QVERIFY2(StampedWithin(drinks->first(), before, after),
             qPrintable(drinks->first().date + " " + drinks->first().time));

    while (sinceClick.elapsed() < kCountdownAtLeastMs) {
        QVERIFY2(shown(),
                 qPrintable(QString("dismissed %1 ms after the click").arg(sinceClick.elapsed())));
        QTest::qWait(100);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!shown(), kWaitMs);
    QCOMPARE(DrinkCount(desk), 1);
}

void TestDrinkE2e::intervalByClicks_data() {
    QTest::addColumn<QPoint>("combo");
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("hours");  // stored afterwards
    QTest::addColumn<int>("minutes");
    QTest::newRow("1 hour") << kHourCombo << 1 << 1 << 30;
    QTest::newRow("45 minutes") << kMinuteCombo << 9 << 0 << 45;
    QTest::newRow("0 minutes: never nothing, 5") << kMinuteCombo << 0 << 0 << 5;
}

// A real click on a combo of the drink settings page and one on an item of its list: the store
// keeps the interval at once.
void TestDrinkE2e::intervalByClicks() {
    QFETCH(QPoint, combo);
    QFETCH(int, item);
    QFETCH(int, hours);
    QFETCH(int, minutes);
    Desk desk;
    QVERIFY(desk.WithStore([] {
        SettingsStore::SetRemindHourDrk(0);
        SettingsStore::SetRemindMinuteDrk(30);
    }));
    QVERIFY2(desk.Open(), desk.Failure());
    const QPoint origin = desk.Main().rect.topLeft();
    desk.Xdotool({"mousemove", QString::number(origin.x() + kDrinkTile.x()),
                  QString::number(origin.y() + kDrinkTile.y())});
    QTest::qWait(300);
    desk.Click(origin + kDrinkSettingsButton);
    QTRY_COMPARE_WITH_TIMEOUT(ColourAt(desk.Grab(desk.Main().rect), kDrinkTile), kPageBackground,
                              kWaitMs);

    desk.Click(origin + combo);
    const std::optional<WindowInfo> list = WaitFor([&] {
        return First(desk.Windows(), [&](const WindowInfo& w) { return w.id != desk.Main().id; });
    });
    QVERIFY2(list, "the combo's list did not open");
    const int box = origin.y() + combo.y();  // right below the box, or above: no room below
    QVERIFY(list->rect.top() == box + 14 || list->rect.bottom() + 1 == box - 14);
    desk.Click(
        QPoint(list->rect.center().x(), list->rect.top() + item * kComboItem + kComboItem / 2));
    const auto stored = [&] {
        std::pair<int, int> interval{-1, -1};
        desk.WithStore([&] {
            interval = {SettingsStore::GetRemindHourDrk(), SettingsStore::GetRemindMinuteDrk()};
        });
        return interval;
    };
    QTRY_COMPARE_WITH_TIMEOUT(stored(), std::make_pair(hours, minutes), kWaitMs);
    QVERIFY(!First(desk.Windows(), [&](const WindowInfo& w) { return w.id == list->id; }));
}

// One user on two displays: two instances, one data folder. Each records its drinks through its
// own reminder, and the file keeps every one of both.
void TestDrinkE2e::twoDisplaysOneFile() {
    const QDateTime before = QDateTime::currentDateTime();
    Desk first, second;
    QVERIFY2(first.StartServer(), first.Failure());
    QVERIFY2(second.StartServer(), second.Failure());
    second.SetProgramVariable("XDG_DATA_HOME", first.FolderPath("data"));
    // Each instance drinks the amount stored when it started: the file tells whose drink it is.
    QVERIFY(first.WithStore([] { SettingsStore::SetDrinkTargetOnce(300); }));
    first.StartProgram({"--drink-now"});
    QVERIFY(WaitFor([&] { return first.MainWindow(); }));
    QVERIFY(first.WithStore([] { SettingsStore::SetDrinkTargetOnce(250); }));
    second.StartProgram({"--drink-now"});

    // Both started with a reminder; the second round asks the running instances for one.
    const std::vector<Desk*> rounds[] = {{&first, &second}, {&second, &first}};
    QList<int> expected;
    for (const std::vector<Desk*>& round : rounds) {
        if (&round != &rounds[0]) {
            for (Desk* desk : round) {
                QProcess& ask = desk->StartProgram({"--drink-now"});
                QVERIFY(ask.waitForFinished(kWaitMs));
                QCOMPARE(ask.exitCode(), 0);
            }
        }
        for (Desk* desk : round) {
            const std::optional<WindowInfo> frame = FrameAtRest(*desk);
            QVERIFY2(frame, "a frame did not come to rest");
            desk->Click(frame->rect.topLeft() + kFrameDrink);
            expected << (desk == &first ? 300 : 250);
            QTRY_COMPARE_WITH_TIMEOUT(DrinkCount(first), expected.size(), kWaitMs);
        }
        for (Desk* desk : round) {
            QTRY_VERIFY_WITH_TIMEOUT(
                !First(desk->Windows(),
                       [](const WindowInfo& w) { return w.rect.size() == kFrameSize; }),
                kWaitMs);
        }
    }
    for (Desk* desk : {&first, &second}) {
        ::kill(static_cast<pid_t>(desk->Program().processId()), SIGTERM);
        QVERIFY(desk->Program().waitForFinished(kWaitMs));
        QCOMPARE(desk->Program().exitCode(), 0);
    }
    const std::optional<QList<DrinkRow>> drinks = Drinks(first);
    QVERIFY(drinks);
    const QDateTime after = QDateTime::currentDateTime();
    QList<int> sizes;
    for (const DrinkRow& drink : *drinks) {
        sizes << drink.size;
        QVERIFY2(StampedWithin(drink, before, after), qPrintable(drink.date + " " + drink.time));
    }
    QCOMPARE(sizes, expected);
}

QTEST_GUILESS_MAIN(TestDrinkE2e)
#include "tst_drink_e2e.moc"
