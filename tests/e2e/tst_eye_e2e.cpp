// The eye-protection page of the real program on a private Xvfb, clicked and dragged through the
// X server, its filter read back from the server's CRTCs; and the filter coming back after a
// mode change or a resume has reset the ramps.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QPainter>
#include <cmath>

#include "tests/e2e/desk.h"
#include "tests/support/private_bus.h"

namespace {

using namespace e2e;

// Client points of the main window: the eye tile at home, then the page below the 26 px header.
const QPoint kEyeTile(60, 150);
const QPoint kPage(0, 26);
const QSize kPageSize(350, 424);
const QPoint kSwitch = kPage + QPoint(200, 281);
const QPoint kModes[] = {kPage + QPoint(86, 324), kPage + QPoint(146, 324),
                         kPage + QPoint(206, 324), kPage + QPoint(265, 324)};
const QPoint kMovie = kModes[3];
// The gauge's corner; its thumb runs on a circle of radius 96.5 around (103.5, 103.5) of it.
const QPoint kGauge = kPage + QPoint(72, 78);

QPoint Thumb(int percent) {
    const double a = (150 + percent * 2.4) * M_PI / 180;
    return kGauge + QPointF(103.5 + 1 + 96.5 * std::cos(a), 103.5 + 96.5 * std::sin(a)).toPoint();
}

QStringList MoveTo(const QPoint& p) {
    return {"mousemove", QString::number(p.x()), QString::number(p.y())};
}

// Another client loading a ramp on every CRTC: the identity, as a display reset leaves it, or a
// calibration of another program.
void LoadRamp(::Display* display, const GammaRamp& ramp) {
    XRRScreenResources* resources =
        XRRGetScreenResourcesCurrent(display, XDefaultRootWindow(display));
    for (int i = 0; resources != nullptr && i < resources->ncrtc; ++i) {
        const int size = XRRGetCrtcGammaSize(display, resources->crtcs[i]);
        if (size < 2) continue;
        XRRCrtcGamma* gamma = XRRAllocGamma(size);
        const auto fill = [size](unsigned short* out, const GammaChannel& channel) {
            const std::vector<std::uint16_t> values = ResampleChannel(channel, size);
            std::copy(values.begin(), values.end(), out);
        };
        fill(gamma->red, ramp.red);
        fill(gamma->green, ramp.green);
        fill(gamma->blue, ramp.blue);
        XRRSetCrtcGamma(display, resources->crtcs[i], gamma);
        XRRFreeGamma(gamma);
    }
    if (resources != nullptr) XRRFreeScreenResources(resources);
    XSync(display, False);
}

// What a calibration could load: red lower than ours ever is.
GammaRamp Calibration() {
    GammaRamp ramp = IdentityGammaRamp();
    ramp.red = BuildGammaRamp(50).blue;
    return ramp;
}

// The page once it has painted and holds still, the pointer away from it.
QImage StillPage(const Desk& desk, const QRect& frame) {
    desk.Xdotool({"mousemove", "0", "0"});
    const QRect page(frame.topLeft() + kPage, kPageSize);
    QImage shot, previous;
    const QDeadlineTimer deadline(kWaitMs);
    do {
        previous = shot;
        QTest::qWait(100);
        shot = desk.Grab(page);
    } while ((shot.isNull() || shot != previous) && !deadline.hasExpired());
    return shot;
}

bool PageShown(const Desk& desk, const QRect& frame) {
    return ColourAt(desk.Grab(frame), kEyeTile) == kPageBackground;
}

}  // namespace

class TestEyeE2e : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void switchModesDragRestart();
    void filterComesBack_data();
    void filterComesBack();
    void othersRampsKept();
    void waylandSession();
};

void TestEyeE2e::initTestCase() {
    XSetErrorHandler(IgnoreXErrors);
    QVERIFY2(QFile::exists(kProgram), qPrintable(kProgram));
}

void TestEyeE2e::switchModesDragRestart() {
    Desk desk;
    QVERIFY2(desk.Open(), desk.Failure());
    QVERIFY2(!desk.InitialGammas().empty(), "no CRTC with a gamma ramp: nothing would be checked");
    const QRect frame = desk.Main().rect;
    const QPoint at = frame.topLeft();
    desk.Click(at + kEyeTile);
    QTRY_VERIFY_WITH_TIMEOUT(PageShown(desk, frame), kWaitMs);
    // Off: the modes do nothing.
    desk.Click(at + kMovie);
    QTest::qWait(300);
    QVERIFY(desk.Gammas() == desk.InitialGammas());  // the server's own, as it was

    desk.Click(at + kSwitch);
    QTRY_VERIFY_WITH_TIMEOUT(desk.Carries(BuildGammaRamp(15)), kWaitMs);
    for (int i = 0; i < 3; ++i) desk.Click(at + kModes[i]);
    QTRY_VERIFY_WITH_TIMEOUT(desk.Carries(BuildGammaRamp(10)), kWaitMs);
    desk.Click(at + kMovie);
    QTRY_VERIFY_WITH_TIMEOUT(desk.Carries(BuildGammaRamp(30)), kWaitMs);
    for (const Channels& crtc : desk.Gammas())
        if (crtc[2].size() == 256) QCOMPARE(crtc[2][255], std::uint16_t(45900));
    QCOMPARE(desk.Filter()->percent, 30);

    // The thumb dragged from 30 % to 55 %: the screen follows while the button is held, the
    // store hears of it when it is let go.
    desk.Xdotool(MoveTo(at + Thumb(30)) + QStringList{"mousedown", "1"});
    for (int p = 33; p <= 55; p += 2) desk.Xdotool(MoveTo(at + Thumb(p)));
    desk.Xdotool(MoveTo(at + Thumb(55)));
    QTRY_VERIFY_WITH_TIMEOUT(desk.Carries(BuildGammaRamp(55)), kWaitMs);
    QCOMPARE(desk.Filter()->percent, 30);
    desk.Xdotool({"mouseup", "1"});
    QTRY_COMPARE_WITH_TIMEOUT(desk.Filter()->percent, 55, kWaitMs);
    QVERIFY(desk.Carries(BuildGammaRamp(55)));
    const QImage before = StillPage(desk, frame);

    // A restart loads what was stored and shows it the same way.
    ::kill(static_cast<pid_t>(desk.Program().processId()), SIGTERM);
    QVERIFY(desk.Program().waitForFinished(kWaitMs));
    QVERIFY(desk.Gammas() == desk.InitialGammas());  // the filter leaves with the program
    QProcess& again = desk.StartProgram();
    QVERIFY(WaitFor([&] { return desk.MainWindow(); }));
    QTRY_VERIFY_WITH_TIMEOUT(desk.Carries(BuildGammaRamp(55)), kWaitMs);
    QCOMPARE(desk.MainWindow()->rect, frame);
    desk.Click(at + kEyeTile);
    QTRY_VERIFY_WITH_TIMEOUT(PageShown(desk, frame), kWaitMs);
    QVERIFY2(StillPage(desk, frame) == before, "the page shows other than before the restart");

    desk.Click(at + kSwitch);
    QTRY_VERIFY_WITH_TIMEOUT(desk.Gammas() == desk.InitialGammas(), kWaitMs);
    const std::optional<StoredFilter> stored = desk.Filter();
    QVERIFY(stored && !stored->on && stored->percent == 0);
    QCOMPARE(again.state(), QProcess::Running);
}

void TestEyeE2e::filterComesBack_data() {
    QTest::addColumn<bool>("on");
    QTest::addColumn<bool>("resume");  // a resume from suspend instead of a mode change
    QTest::newRow("mode change, on") << true << false;
    QTest::newRow("mode change, off") << false << false;
    QTest::newRow("resume, on") << true << true;
    QTest::newRow("resume, off") << false << true;
}

// Another client (a display reset) leaves the identity ramp; a mode change or a resume from
// suspend follows. With the filter on the program puts it back; with it off it loads nothing.
void TestEyeE2e::filterComesBack() {
    QFETCH(bool, on);
    QFETCH(bool, resume);
    PrivateBus bus;  // the system bus, for logind's PrepareForSleep
    QString error;
    if (resume) {
        QVERIFY2(bus.Start(&error), qPrintable(error));
    }
    Desk desk;
    if (resume) desk.SetProgramVariable("DBUS_SYSTEM_BUS_ADDRESS", bus.Address());
    QVERIFY2(desk.Open(false, StoredFilter{on, 30}), desk.Failure());
    if (on) QTRY_VERIFY_WITH_TIMEOUT(desk.Carries(BuildGammaRamp(30)), kWaitMs);
    LoadRamp(desk.X(), IdentityGammaRamp());
    QVERIFY(desk.Carries(IdentityGammaRamp()));

    QElapsedTimer since;
    std::function<void()> nudge = [] {};
    if (resume) {
        // A connection of this row's own: one left by a failed row is on a bus that is gone.
        QDBusConnection logind =
            QDBusConnection::connectToBus(bus.Address(), QTest::currentDataTag());
        QVERIFY(logind.isConnected() && logind.registerService("org.freedesktop.login1"));
        // Until the program is heard to have it: it subscribes in its own time after start.
        nudge = [logind]() mutable {
            QDBusMessage resumed = QDBusMessage::createSignal(
                "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep");
            resumed << false;
            logind.send(resumed);
        };
    } else {
        const QStringList mode = {"vita_800x600", "38.25", "800", "832", "912",    "1024",
                                  "600",          "603",   "607", "624", "-hsync", "+vsync"};
        desk.RunTool("xrandr", QStringList{"--newmode"} + mode);
        desk.RunTool("xrandr", {"--addmode", "screen", "vita_800x600"});
        desk.RunTool("xrandr", {"--output", "screen", "--mode", "vita_800x600"});
        QCOMPARE(desk.Xdotool({"getdisplaygeometry"}), QByteArray("800 600\n"));
    }
    since.start();
    if (on) {
        QTRY_VERIFY_WITH_TIMEOUT((nudge(), desk.Carries(BuildGammaRamp(30))), kWaitMs);
        qInfo("the filter was back %lld ms after the %s", since.elapsed(),
              resume ? "first resume signal" : "mode change");
    } else {
        for (int i = 0; i < 10; ++i) nudge(), QTest::qWait(100);
        QVERIFY(desk.Carries(IdentityGammaRamp()));
    }
    QCOMPARE(desk.Program().state(), QProcess::Running);
    QDBusConnection::disconnectFromBus(QTest::currentDataTag());
}

// A calibration another program loaded is there while the filter is off and after the program
// has gone, also when the filter replaced it for a while.
void TestEyeE2e::othersRampsKept() {
    Desk desk;
    QVERIFY2(desk.StartServer(), desk.Failure());
    LoadRamp(desk.X(), Calibration());
    for (const bool on : {false, true}) {
        QVERIFY(desk.Filter(StoredFilter{on, 30}));
        QProcess& run = desk.StartProgram();
        QVERIFY(WaitFor([&] { return desk.MainWindow(); }));
        QTRY_VERIFY_WITH_TIMEOUT(desk.Carries(on ? BuildGammaRamp(30) : Calibration()), kWaitMs);
        ::kill(static_cast<pid_t>(run.processId()), SIGTERM);
        QVERIFY(run.waitForFinished(kWaitMs) && run.exitCode() == 0);
        QVERIFY(desk.Carries(Calibration()));
    }
}

// X11 clients of a Wayland session: no ramp reaches the screen there, so none is loaded, and the
// page's tip differs from an X11 session's (its text is read in the page's own test); the switch
// and the modes still keep the setting.
void TestEyeE2e::waylandSession() {
    Desk desk;
    desk.SetProgramVariable("XDG_SESSION_TYPE", "wayland");
    QVERIFY2(desk.Open(false, StoredFilter{true, 30}), desk.Failure());
    const QRect frame = desk.Main().rect;
    const auto page = [&] {
        desk.Click(frame.topLeft() + kEyeTile);
        [&] { QTRY_VERIFY_WITH_TIMEOUT(PageShown(desk, frame), kWaitMs); }();
        return StillPage(desk, frame);
    };
    page();
    desk.Click(frame.topLeft() + kModes[0]);
    QTRY_COMPARE_WITH_TIMEOUT(desk.Filter()->percent, 15, kWaitMs);
    QVERIFY(desk.Gammas() == desk.InitialGammas());  // on at 30, then 15: still none loaded
    desk.Click(frame.topLeft() + kSwitch);
    QTRY_VERIFY_WITH_TIMEOUT(!desk.Filter()->on, kWaitMs);
    QImage wayland = StillPage(desk, frame);
    ::kill(static_cast<pid_t>(desk.Program().processId()), SIGTERM);
    QVERIFY(desk.Program().waitForFinished(kWaitMs));
    QVERIFY(desk.Gammas() == desk.InitialGammas());

    desk.SetProgramVariable("XDG_SESSION_TYPE", QString());
    desk.StartProgram();
    QVERIFY(WaitFor([&] { return desk.MainWindow(); }));
    QImage x11 = page();
    const QRect tip(37, 352, 270, 14);
    QVERIFY(wayland.copy(tip) != x11.copy(tip));
    QPainter(&wayland).fillRect(tip, Qt::black);
    QPainter(&x11).fillRect(tip, Qt::black);
    QVERIFY(wayland == x11);
}

QTEST_GUILESS_MAIN(TestEyeE2e)
#include "tst_eye_e2e.moc"
