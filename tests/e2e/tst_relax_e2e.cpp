// Rest breaks in the real program on a private Xvfb with two monitors (one wide screen split into
// two RandR monitors, which Qt reports as two screens): the prompt rising into the corner, the
// lock over every monitor and above a full-screen window, its stretches paged, the break inside
// the prompt, and the interval chosen on the relax settings page. Driven through the X server.

#include <X11/Xatom.h>

#include "tests/e2e/desk.h"

namespace {

using namespace e2e;

// The wide screen, its two monitors side by side, the left one primary.
const QRect kScreen(0, 0, 2048, 768);
const QRect kLeftMonitor(0, 0, 1024, 768);
const QRect kRightMonitor(1024, 0, 1024, 768);

// The prompt's client points.
const QSize kPromptSize(280, 360);
const QPoint kRelaxYes(98 + 43, 278 + 16);
const QPoint kRelaxStop(98 + 43, 285 + 16);
const QRect kRelaxTime(84, 72, 45, 14);
const QRect kYesButton(98, 278, 86, 32);

// The lock's 700 x 420 block, centred below the 55 px bar on the primary monitor, and its points.
const QSize kBlockSize(700, 420);
const QRect kPictures(0, 82, 560, 207);  // the stretches, left of the paging buttons
const QRect kPrevButton(570, 82 + 36, 28, 28);
const QRect kNextButton(610, 82 + 36, 28, 28);
const QRect kPlainVeil(650, 82 + 36, 28, 28);  // right of the buttons: the veil in either mode
const QPoint kRelaxOver(300 + 50, 365 + 20);
constexpr int kPages = 6;

// The main window's client points: the relax tile, then the page below the 26 px header with
// its two interval combos; the items of an open list are 24 px high.
const QPoint kRelaxTile(100, 330);
const QPoint kPage(0, 26);
const QPoint kHourCombo = kPage + QPoint(20 + 24, 249 + 14);
const QPoint kMinuteCombo = kPage + QPoint(114 + 24, 249 + 14);
constexpr int kComboItem = 24;

const QColor kRed(255, 0, 0);

QRect BlockOn(const QRect& monitor) {
    const int spare = monitor.height() - 55 - kBlockSize.height();
    return QRect(monitor.x() + (monitor.width() - kBlockSize.width()) / 2,
                 monitor.y() + 55 + spare / 2, kBlockSize.width(), kBlockSize.height());
}
const QRect kBlock = BlockOn(kLeftMonitor);

QPoint Centre(const QRect& r) {
    return r.topLeft() + QPoint(r.width() / 2, r.height() / 2);
}

// Splits the desk's wide screen into the two monitors above, before the program starts.
bool SplitIntoTwoMonitors(const Desk& desk) {
    desk.RunTool("xrandr", {"--setmonitor", "left", "1024/271x768/203+0+0", "screen"});
    desk.RunTool("xrandr", {"--setmonitor", "right", "1024/271x768/203+1024+0", "none"});
    return desk.RunTool("xrandr", {"--listmonitors"}).startsWith("Monitors: 2");
}

// A work area as a desktop with a panel publishes it: Qt reads it with a single monitor.
void PublishWorkArea(::Display* x, const QRect& area) {
    const long values[4] = {area.x(), area.y(), area.width(), area.height()};
    XChangeProperty(x, DefaultRootWindow(x), XInternAtom(x, "_NET_WORKAREA", False), XA_CARDINAL,
                    32, PropModeReplace, reinterpret_cast<const unsigned char*>(values), 4);
    XSync(x, False);
}

bool Viewable(::Display* x, unsigned long window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(x, window, &attributes) != 0 && attributes.map_state == IsViewable;
}

// Atoms of a window's _NET_WM_STATE: what the window manager is asked for.
QList<Atom> WmStates(::Display* x, unsigned long window) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    QList<Atom> states;
    if (XGetWindowProperty(x, window, XInternAtom(x, "_NET_WM_STATE", False), 0, 64, False, XA_ATOM,
                           &type, &format, &count, &after, &data) == Success &&
        data != nullptr) {
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count; ++i) states << atoms[i];
    }
    if (data != nullptr) XFree(data);
    return states;
}

// A full-screen program of the test's own over the whole desktop, red, there before the break.
unsigned long OpenFullScreenWindow(::Display* x) {
    const int screen = DefaultScreen(x);
    const Window window = XCreateSimpleWindow(x, RootWindow(x, screen), kScreen.x(), kScreen.y(),
                                              kScreen.width(), kScreen.height(), 0, 0, 0xFF0000UL);
    Atom fullScreen = XInternAtom(x, "_NET_WM_STATE_FULLSCREEN", False);
    XChangeProperty(x, window, XInternAtom(x, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&fullScreen), 1);
    XMapRaised(x, window);
    XSync(x, False);
    return window;
}

// Every 64th point of `image` has `colour` (or, with `equal` false, none has it).
bool AllPointsAre(const QImage& image, const QColor& colour, bool equal) {
    if (image.isNull()) return false;
    for (int y = 8; y < image.height(); y += 64)
        for (int x = 8; x < image.width(); x += 64)
            if ((QColor(image.pixel(x, y)) == colour) != equal) return false;
    return true;
}

// A region once two grabs in a row agree (no repaint in progress).
QImage StillGrab(const Desk& desk, const QRect& rect) {
    QImage shot, previous;
    const QDeadlineTimer deadline(kWaitMs);
    do {
        previous = shot;
        QTest::qWait(60);
        shot = desk.Grab(rect);
    } while ((shot.isNull() || shot != previous) && !deadline.hasExpired());
    return shot;
}

std::optional<WindowInfo> WindowOfSize(const Desk& desk, const QSize& size) {
    return First(desk.Windows(), [&](const WindowInfo& w) { return w.rect.size() == size; });
}

// The program's windows but its main one.
QList<WindowInfo> OtherWindows(const Desk& desk) {
    QList<WindowInfo> others = desk.Windows();
    others.removeIf([](const WindowInfo& w) { return w.rect.size() == kMainSize; });
    return others;
}

// The prompt once it rests where it is going: two looks a little apart that agree.
std::optional<WindowInfo> RestingPrompt(const Desk& desk) {
    return WaitFor([&]() -> std::optional<WindowInfo> {
        const std::optional<WindowInfo> first = WindowOfSize(desk, kPromptSize);
        if (!first) return std::nullopt;
        QTest::qWait(150);
        const std::optional<WindowInfo> second = WindowOfSize(desk, kPromptSize);
        if (!second || second->rect != first->rect) return std::nullopt;
        return second;
    });
}

// Asks the running program for a break now: that start hands it over and exits 0.
bool AskForBreak(Desk& desk) {
    QProcess& second = desk.StartProgram({"--break-now"});
    return second.waitForFinished(kWaitMs) && second.exitStatus() == QProcess::NormalExit &&
           second.exitCode() == 0;
}

// The lock's two windows, one over each monitor's whole area.
bool LockCoversBothMonitors(const Desk& desk) {
    const QList<WindowInfo> windows = desk.Windows();
    const auto covers = [&](const QRect& monitor) {
        return First(windows, [&](const WindowInfo& w) { return w.rect == monitor; }).has_value();
    };
    return covers(kLeftMonitor) && covers(kRightMonitor);
}

// A break asked for, its prompt at rest and "我要休息" clicked: the lock on both monitors.
bool OpenLock(Desk& desk) {
    if (!AskForBreak(desk)) return false;
    const std::optional<WindowInfo> prompt = RestingPrompt(desk);
    if (!prompt) return false;
    desk.Click(prompt->rect.topLeft() + kRelaxYes);
    return WaitFor([&] { return LockCoversBothMonitors(desk); });
}

bool LockClosed(const Desk& desk) {
    return OtherWindows(desk).isEmpty();
}

}  // namespace

class TestRelaxE2e : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void promptSlidesIntoTheCorner_data();
    void promptSlidesIntoTheCorner();
    void lockCoversEveryScreenAboveFullScreen();
    void lockStaysAboveItsVeils_data();
    void lockStaysAboveItsVeils();
    void carouselPagesWithoutWrapping();
    void breakInThePrompt_data();
    void breakInThePrompt();
    void settingsPageStoresTheInterval_data();
    void settingsPageStoresTheInterval();

  private:
    // The desk's server on the wide screen split into two monitors, `seed` stored, the program
    // started with `arguments` and its main window up.
    static bool OpenOnTwoMonitors(Desk& desk, const std::function<void()>& seed = {},
                                  const QStringList& arguments = {});
};

void TestRelaxE2e::initTestCase() {
    XSetErrorHandler(IgnoreXErrors);
    QVERIFY2(QFile::exists(kProgram), qPrintable(kProgram));
    QVERIFY2(!QStandardPaths::findExecutable("xrandr").isEmpty(),
             "xrandr is missing (scripts/setup)");
}

bool TestRelaxE2e::OpenOnTwoMonitors(Desk& desk, const std::function<void()>& seed,
                                     const QStringList& arguments) {
    desk.SetServerArguments({"-screen", "0", "2048x768x24"});
    if (!desk.StartServer()) return false;
    if (!SplitIntoTwoMonitors(desk)) return false;
    if (seed && !desk.WithStore(seed)) return false;
    desk.StartProgram(arguments);
    return WaitFor([&] { return desk.MainWindow(); }).has_value();
}

void TestRelaxE2e::promptSlidesIntoTheCorner_data() {
    QTest::addColumn<bool>("twoMonitors");
    QTest::addColumn<QRect>("workArea");       // published by a "panel"; null: none
    QTest::addColumn<bool>("alreadyRunning");  // asked of a running instance, or at the start
    QTest::addColumn<QPoint>("rest");
    QTest::newRow("two monitors, asked of the running program")
        << true << QRect() << true << QPoint(1024 - 280, 768 - 360);
    QTest::newRow("two monitors, asked at the start")
        << true << QRect() << false << QPoint(1024 - 280, 768 - 360);
    QTest::newRow("one monitor above a 28 px panel")
        << false << QRect(0, 0, 2048, 740) << true << QPoint(2048 - 280, 740 - 360);
}

// It rises 4 px a step from just below the primary work area into its bottom-right corner, and
// stays there.
void TestRelaxE2e::promptSlidesIntoTheCorner() {
    QFETCH(bool, twoMonitors);
    QFETCH(QRect, workArea);
    QFETCH(bool, alreadyRunning);
    QFETCH(QPoint, rest);
    Desk desk;
    desk.SetServerArguments({"-screen", "0", "2048x768x24"});
    QVERIFY2(desk.StartServer(), desk.Failure());
    if (twoMonitors) QVERIFY(SplitIntoTwoMonitors(desk));
    if (!workArea.isNull()) PublishWorkArea(desk.X(), workArea);
    // Every window's move from here on is reported to the desk's connection.
    XSelectInput(desk.X(), DefaultRootWindow(desk.X()), SubstructureNotifyMask);
    XSync(desk.X(), True);
    unsigned long typing = 0;  // a window of the test's own the user types into
    if (alreadyRunning) {
        desk.StartProgram();
        QVERIFY(WaitFor([&] { return desk.MainWindow(); }));
        typing = XCreateSimpleWindow(desk.X(), DefaultRootWindow(desk.X()), 0, 0, 200, 100, 0, 0,
                                     0xFFFFFFUL);
        XMapRaised(desk.X(), typing);
        XSync(desk.X(), False);
        QTRY_VERIFY_WITH_TIMEOUT(Viewable(desk.X(), typing), kWaitMs);
        XSetInputFocus(desk.X(), typing, RevertToParent, CurrentTime);
        XSync(desk.X(), False);
        QVERIFY(AskForBreak(desk));
    } else {
        desk.StartProgram({"--break-now"});
        QVERIFY(WaitFor([&] { return desk.MainWindow(); }));
    }
    const std::optional<WindowInfo> prompt = RestingPrompt(desk);
    QVERIFY2(prompt, "no prompt came to rest");
    QCOMPARE(prompt->rect.topLeft(), rest);

    // Its way there, from the configure events of its window.
    XSync(desk.X(), False);
    QList<QPoint> way;
    for (XEvent event; XPending(desk.X()) > 0;) {
        XNextEvent(desk.X(), &event);
        if (event.type == ConfigureNotify && event.xconfigure.window == prompt->id)
            way << QPoint(event.xconfigure.x, event.xconfigure.y);
    }
    const QPoint start(rest.x(), rest.y() + kPromptSize.height());  // just below the work area
    const qsizetype from = way.indexOf(start);
    QVERIFY2(from >= 0, "the prompt did not start just below the work area");
    QVERIFY2(way.size() - from > 20, qPrintable(QString::number(way.size() - from)));
    for (qsizetype i = from + 1; i < way.size(); ++i) {
        QCOMPARE(way[i].x(), rest.x());
        const int rise = way[i - 1].y() - way[i].y();
        QVERIFY2(rise >= 0 && rise <= 4, qPrintable(QString::number(rise)));
    }
    QCOMPARE(way.last(), rest);

    // Out of the task bar and on top, and the keys stay where the user was typing.
    const QList<Atom> states = WmStates(desk.X(), prompt->id);
    QVERIFY(states.contains(XInternAtom(desk.X(), "_NET_WM_STATE_SKIP_TASKBAR", False)));
    QVERIFY(states.contains(XInternAtom(desk.X(), "_NET_WM_STATE_ABOVE", False)));
    if (typing != 0) QCOMPARE(desk.FocusedWindow(), typing);
    // One prompt at a time: asked again, the one there stays as it is and no other comes.
    if (alreadyRunning) QVERIFY(AskForBreak(desk));
    QTest::qWait(500);
    const QList<WindowInfo> prompts = OtherWindows(desk);
    QCOMPARE(prompts.size(), 1);
    QCOMPARE(prompts.first().id, prompt->id);
    QCOMPARE(prompts.first().rect.topLeft(), rest);
}

// "我要休息" with full-screen breaks on: a window of the program over each monitor's whole area,
// stacked above the full-screen window that was there and kept there, grabbing nothing;
// "结束休息" clears both screens.
void TestRelaxE2e::lockCoversEveryScreenAboveFullScreen() {
    Desk desk;
    QVERIFY2(OpenOnTwoMonitors(desk), desk.Failure());
    ::Display* x = desk.X();
    const unsigned long own = OpenFullScreenWindow(x);
    QTRY_VERIFY_WITH_TIMEOUT(AllPointsAre(desk.Grab(kScreen), kRed, true), kWaitMs);

    QVERIFY(OpenLock(desk));
    const QList<WindowInfo> lock = OtherWindows(desk);
    QCOMPARE(lock.size(), 2);
    // Out of the window manager's hands, and above the full-screen window even when it raises
    // itself over them.
    const auto above = [&] {
        const QList<unsigned long> stack = Stack(x);
        return std::ranges::all_of(lock, [&](const WindowInfo& w) {
            XWindowAttributes attributes{};
            return XGetWindowAttributes(x, w.id, &attributes) && attributes.override_redirect &&
                   stack.indexOf(w.id) > stack.indexOf(own);
        });
    };
    QVERIFY2(above(), "the lock is below the full-screen window");
    XRaiseWindow(x, own);
    XSync(x, False);
    QVERIFY2(WaitFor(above), "the lock stayed under the window raised over it");
    // No prompt while the lock is open.
    QVERIFY(AskForBreak(desk));
    QTest::qWait(500);
    QCOMPARE(OtherWindows(desk).size(), 2);
    // Nothing of the full-screen window shows through on either monitor; the veil on the other
    // monitor is one even colour.
    const QImage covered = StillGrab(desk, kScreen);
    QVERIFY(AllPointsAre(covered, kRed, false));
    const QColor veil = covered.pixelColor(kRightMonitor.center());
    QVERIFY(AllPointsAre(covered.copy(kRightMonitor), veil, true));
    // An ordinary window: the keyboard and the pointer stay free for others.
    QCOMPARE(
        XGrabKeyboard(x, DefaultRootWindow(x), False, GrabModeAsync, GrabModeAsync, CurrentTime),
        GrabSuccess);
    XUngrabKeyboard(x, CurrentTime);
    QCOMPARE(XGrabPointer(x, DefaultRootWindow(x), False, ButtonPressMask, GrabModeAsync,
                          GrabModeAsync, 0, 0, CurrentTime),
             GrabSuccess);
    XUngrabPointer(x, CurrentTime);
    XSync(x, False);

    // A monitor unplugged and plugged in again during the break is followed.
    desk.RunTool("xrandr", {"--delmonitor", "right"});
    QVERIFY2(WaitFor([&] {
                 const QList<WindowInfo> left = OtherWindows(desk);
                 return left.size() == 1 && left.first().rect == kLeftMonitor;
             }),
             "the veil stayed over the monitor unplugged");
    desk.RunTool("xrandr", {"--setmonitor", "right", "1024/271x768/203+1024+0", "none"});
    QVERIFY2(WaitFor([&] { return LockCoversBothMonitors(desk); }),
             "no veil over the monitor plugged in");

    desk.Click(kBlock.topLeft() + kRelaxOver);
    QVERIFY2(WaitFor([&] { return LockClosed(desk); }), "a window of the lock stayed");
    QTRY_VERIFY_WITH_TIMEOUT(AllPointsAre(desk.Grab(kScreen), kRed, true), kWaitMs);
    QCOMPARE(desk.Program().state(), QProcess::Running);
}

void TestRelaxE2e::lockStaysAboveItsVeils_data() {
    QTest::addColumn<QStringList>("change");  // xrandr's arguments
    QTest::addColumn<QRect>("primary");       // the monitor the break shows on afterwards
    // A projector is usually plugged in as a mirror of the screen.
    QTest::newRow("a mirror of the primary plugged in")
        << QStringList{"--setmonitor", "mirror", "1024/271x768/203+0+0", "none"} << kLeftMonitor;
    // The server then falls back to one monitor over the whole screen, overlapping the other.
    QTest::newRow("the primary unplugged") << QStringList{"--delmonitor", "left"} << kRightMonitor;
}

// Monitors that overlap after a change during the break: the break stays on top of the veils,
// its button still ends it.
void TestRelaxE2e::lockStaysAboveItsVeils() {
    QFETCH(QStringList, change);
    QFETCH(QRect, primary);
    Desk desk;
    QVERIFY2(OpenOnTwoMonitors(desk), desk.Failure());
    QVERIFY(OpenLock(desk));
    desk.RunTool("xrandr", change);
    QTest::qWait(1000);  // the program hears of the change and covers the screens again
    desk.Click(BlockOn(primary).topLeft() + kRelaxOver);
    QVERIFY2(WaitFor([&] { return LockClosed(desk); }), "结束休息 did not end the break");
}

// The picture mode is drawn at each break: breaks until both have come (a bounded number). The
// motto hides the paging buttons; the stretches page one by one without wrapping at the ends.
void TestRelaxE2e::carouselPagesWithoutWrapping() {
    Desk desk;
    QVERIFY2(OpenOnTwoMonitors(desk), desk.Failure());
    bool mottoSeen = false, carouselSeen = false;
    for (int tries = 0; tries < 16 && !(mottoSeen && carouselSeen); ++tries) {
        QVERIFY2(OpenLock(desk), "no lock opened");
        const QImage lock = StillGrab(desk, kBlock);
        const QImage next = lock.copy(kNextButton), prev = lock.copy(kPrevButton);
        const QImage plain = lock.copy(kPlainVeil);
        if (next == plain) {
            QVERIFY2(prev == plain, "the motto shows a paging button");
            mottoSeen = true;
        } else if (!carouselSeen) {
            QVERIFY2(prev != plain, "the stretches lack their previous button");
            carouselSeen = true;
            const auto pictures = [&] { return StillGrab(desk, kBlock).copy(kPictures); };
            const auto click = [&](const QRect& button) {
                desk.Click(kBlock.topLeft() + Centre(button));
            };
            QList<QImage> pages{pictures()};
            click(kPrevButton);  // on the first page: nothing before it
            QCOMPARE(pictures(), pages.first());
            for (int page = 1; page < kPages; ++page) {
                click(kNextButton);
                QImage shown;
                QTRY_VERIFY_WITH_TIMEOUT((shown = pictures(), shown != pages.last()), kWaitMs);
                QVERIFY2(!pages.contains(shown), qPrintable(QString("page %1 again").arg(page)));
                pages << shown;
            }
            click(kNextButton);  // on the last page: no way round to the first
            QCOMPARE(pictures(), pages.last());
            for (int page = kPages - 2; page >= 0; --page) {
                click(kPrevButton);
                QTRY_COMPARE_WITH_TIMEOUT(pictures(), pages[page], kWaitMs);
            }
        }
        desk.Click(kBlock.topLeft() + kRelaxOver);
        QVERIFY2(WaitFor([&] { return LockClosed(desk); }), "the lock stayed");
    }
    QVERIFY2(carouselSeen, "16 breaks and never the stretches");
    QVERIFY2(mottoSeen, "16 breaks and never the motto");
}

void TestRelaxE2e::breakInThePrompt_data() {
    QTest::addColumn<int>("countdown");  // stored nCountDownSecond; 0: "我要休息" is clicked
    QTest::newRow("我要休息") << 0;
    QTest::newRow("the prompt's 3 s run out") << 3;
}

// With full-screen breaks off the break counts down in the prompt, a change every second, and
// no lock comes; "结束休息" ends it.
void TestRelaxE2e::breakInThePrompt() {
    QFETCH(int, countdown);
    Desk desk;
    const auto seed = [countdown] {
        SettingsStore::SetRemindFullScreen(false);
        if (countdown > 0) SettingsStore::SetCountDownSecond(countdown);
    };
    QVERIFY2(OpenOnTwoMonitors(desk, seed, {"--break-now"}), desk.Failure());
    const std::optional<WindowInfo> prompt = RestingPrompt(desk);
    QVERIFY(prompt);
    const QPoint at = prompt->rect.topLeft();
    const QImage yes = StillGrab(desk, kYesButton.translated(at));
    if (countdown == 0) desk.Click(at + kRelaxYes);
    // The break view: the prompt's buttons give way; the time left changes from second to second.
    QTRY_VERIFY_WITH_TIMEOUT(desk.Grab(kYesButton.translated(at)) != yes, kWaitMs);
    const auto promptOnly = [&] {
        const QList<WindowInfo> others = OtherWindows(desk);
        return others.size() == 1 && others.first().rect == prompt->rect;
    };
    QVERIFY2(promptOnly(), "the break left the prompt");
    QImage time = desk.Grab(kRelaxTime.translated(at));
    for (int change = 0; change < 3; ++change) {
        QImage now;
        QTRY_VERIFY_WITH_TIMEOUT((now = desk.Grab(kRelaxTime.translated(at)), now != time),
                                 kWaitMs);
        time = now;
        QVERIFY2(promptOnly(), "a lock came");
    }
    desk.Click(at + kRelaxStop);
    QVERIFY2(WaitFor([&] { return LockClosed(desk); }), "the prompt stayed");
}

void TestRelaxE2e::settingsPageStoresTheInterval_data() {
    QTest::addColumn<QPoint>("combo");
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("hours");
    QTest::addColumn<int>("minutes");
    QTest::newRow("1 hour") << kHourCombo << 1 << 1 << 0;
    QTest::newRow("30 minutes") << kMinuteCombo << 6 << 2 << 30;
    QTest::newRow("0 hours while the minutes show 0: 5 minutes") << kHourCombo << 0 << 0 << 5;
}

// Real clicks on the page's combo and one item of its list; the store keeps the interval at once.
void TestRelaxE2e::settingsPageStoresTheInterval() {
    QFETCH(QPoint, combo);
    QFETCH(int, item);
    QFETCH(int, hours);
    QFETCH(int, minutes);
    Desk desk;
    QVERIFY2(OpenOnTwoMonitors(desk), desk.Failure());
    const QRect frame = WaitFor([&] { return desk.MainWindow(); })->rect;
    desk.Click(frame.topLeft() + kRelaxTile);
    QTRY_COMPARE_WITH_TIMEOUT(ColourAt(desk.Grab(frame), kRelaxTile), kPageBackground, kWaitMs);

    desk.Click(frame.topLeft() + combo);
    const std::optional<WindowInfo> list =
        WaitFor([&] { return First(OtherWindows(desk), [](const WindowInfo&) { return true; }); });
    QVERIFY2(list, "the combo opened no list");
    desk.Click(list->rect.topLeft() +
               QPoint(list->rect.width() / 2, item * kComboItem + kComboItem / 2));
    QVERIFY2(WaitFor([&] { return OtherWindows(desk).isEmpty(); }), "the list stayed open");

    const auto stored = [&] {
        int h = -1, m = -1;
        desk.WithStore([&] {
            h = SettingsStore::GetRemindHour();
            m = SettingsStore::GetRemindMinute();
        });
        return QPoint(h, m);
    };
    QTRY_COMPARE_WITH_TIMEOUT(stored(), QPoint(hours, minutes), kWaitMs);
}

QTEST_GUILESS_MAIN(TestRelaxE2e)
#include "tst_relax_e2e.moc"
