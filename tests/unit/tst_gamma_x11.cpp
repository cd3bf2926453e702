#include <QByteArray>
#include <QDir>
#include <QProcess>
#include <QTest>
#include <functional>
#include <vector>

#include "eye/gamma_ramp.h"
#include "platform/x11/connection.h"
#include "platform/x11/gamma_x11.h"
#include "tests/support/xvfb_server.h"

// Last: Xlib's macros clash with Qt's names.
#include "tests/support/crtc_gamma.h"

namespace {

qsizetype OpenFileCount() {
    return QDir("/proc/self/fd").entryList(QDir::Files | QDir::System).size();
}

// The warnings of "vita.platform" while one is kept.
class PlatformWarnings {
  public:
    PlatformWarnings() : previous_(qInstallMessageHandler(&Keep)) { kept_ = &list_; }
    ~PlatformWarnings() {
        qInstallMessageHandler(previous_);
        kept_ = nullptr;
    }
    const QStringList& List() const { return list_; }

  private:
    static void Keep(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (kept_ && type == QtWarningMsg && qstrcmp(context.category, "vita.platform") == 0)
            *kept_ << text;
    }
    static inline QStringList* kept_ = nullptr;
    QStringList list_;
    QtMessageHandler previous_;
};

bool Xrandr(const QByteArray& display, const QStringList& arguments) {
    QProcess xrandr;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromLatin1(display));
    xrandr.setProcessEnvironment(env);
    xrandr.start("xrandr", arguments);
    return xrandr.waitForFinished(20000) && xrandr.exitStatus() == QProcess::NormalExit &&
           xrandr.exitCode() == 0;
}

bool Carries(const GammaRamp& ramp) {
    const std::vector<Channels> crtcs = ReadCrtcGammas();
    for (const Channels& crtc : crtcs) {
        const int size = static_cast<int>(crtc[0].size());
        if (crtc[2] != ResampleChannel(ramp.blue, size) ||
            crtc[0] != ResampleChannel(ramp.red, size))
            return false;
    }
    return !crtcs.empty();
}

using Steps = std::function<void(X11GammaBackend&, const QByteArray& display)>;

}  // namespace

Q_DECLARE_METATYPE(Steps)

class TestGammaX11 : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void apply_data();
    void apply();
    void watchHearsDisplayChanges();
    void warnings_data();
    void warnings();

  private:
    XvfbServer xvfb_;
    QByteArray display_;
};

void TestGammaX11::initTestCase() {
    QString error;
    if (!xvfb_.Start(&error)) QFAIL(qPrintable(error));
    display_ = xvfb_.Display();
}

void TestGammaX11::apply_data() {
    QTest::addColumn<QByteArray>("display");  // "@" stands for Xvfb's; null leaves DISPLAY unset
    QTest::addColumn<int>("percent");
    // Each row has to overwrite what the one before left on the CRTCs.
    QTest::newRow("15%") << QByteArray("@") << 15;
    QTest::newRow("identity after 15%") << QByteArray("@") << 0;
    QTest::newRow("100%") << QByteArray("@") << 100;
    QTest::newRow("30%") << QByteArray("@") << 30;
    // No usable display: false, and neither a crash nor Xlib's exit-on-error.
    QTest::newRow("unset") << QByteArray() << 15;
    QTest::newRow("no server") << QByteArray(":999") << 15;
    QTest::newRow("garbage") << QByteArray("not a display") << 15;
    QTest::newRow("missing screen") << QByteArray("@.7") << 15;
}

void TestGammaX11::apply() {
    QFETCH(QByteArray, display);
    QFETCH(int, percent);
    if (display.isNull()) {
        qunsetenv("DISPLAY");
    } else {
        qputenv("DISPLAY", display.replace("@", display_));
    }
    const GammaRamp ramp = BuildGammaRamp(percent);
    const qsizetype filesBefore = OpenFileCount();
    // The error trap is process-wide; whoever had a handler before must get it back.
    const XErrorHandler standIn = [](Display*, XErrorEvent*) { return 0; };
    const XErrorHandler original = XSetErrorHandler(standIn);
    // Each failure is warned about; the text names the cause.
    if (display != display_) QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no X display"));
    bool applied = false;
    {
        x11::Connection connection;
        applied = X11GammaBackend(connection).Apply(ramp);
    }
    QVERIFY(XSetErrorHandler(original) == standIn);
    QCOMPARE(OpenFileCount(), filesBefore);  // the connection goes with its owner
    QCOMPARE(applied, display == display_);
    if (!applied) return;

    const std::vector<Channels> crtcs = ReadCrtcGammas();
    QVERIFY2(!crtcs.empty(), "no CRTC with a gamma ramp: nothing would be checked");
    for (const Channels& crtc : crtcs) {
        const int size = static_cast<int>(crtc[0].size());
        QCOMPARE(crtc[0], ResampleChannel(ramp.red, size));
        QCOMPARE(crtc[1], ResampleChannel(ramp.green, size));
        QCOMPARE(crtc[2], ResampleChannel(ramp.blue, size));
    }
}

// Watched, the connection hears RandR's screen, CRTC and output changes (and nothing of its own
// ramps), and loads ramps on the CRTCs as they are after the change.
void TestGammaX11::watchHearsDisplayChanges() {
    qputenv("DISPLAY", display_);
    x11::Connection connection;
    X11GammaBackend backend(connection);
    int heard = 0;
    QVERIFY(backend.WatchDisplays([&heard] { ++heard; }));
    QVERIFY(backend.IsWatching());
    QVERIFY(backend.Apply(BuildGammaRamp(15)));
    QVERIFY(Carries(BuildGammaRamp(15)));
    QTest::qWait(300);
    QCOMPARE(heard, 0);

    // Another client's ramp is no change of the displays either.
    QVERIFY(Xrandr(display_, {"--output", "screen", "--gamma", "1:1:1"}));
    QTest::qWait(300);
    QCOMPARE(heard, 0);

    QVERIFY(Xrandr(display_, {"--newmode", "vita_800x600", "38.25", "800", "832", "912", "1024",
                              "600", "603", "607", "624", "-hsync", "+vsync"}));
    QVERIFY(Xrandr(display_, {"--addmode", "screen", "vita_800x600"}));
    QTRY_VERIFY(heard > 0);
    heard = 0;
    QVERIFY(Xrandr(display_, {"--output", "screen", "--mode", "vita_800x600"}));
    QTRY_VERIFY(heard > 0);
    QVERIFY(backend.Apply(BuildGammaRamp(30)));
    QVERIFY(Carries(BuildGammaRamp(30)));
    heard = 0;
    QVERIFY(Xrandr(display_, {"--output", "screen", "--mode", "1024x768"}));
    QTRY_VERIFY(heard > 0);

    const qsizetype files = OpenFileCount();
    backend.StopWatchingDisplays();
    backend.StopWatchingDisplays();
    QVERIFY(!backend.IsWatching());
    heard = 0;
    QVERIFY(Xrandr(display_, {"--output", "screen", "--mode", "vita_800x600"}));
    QVERIFY(backend.Apply(BuildGammaRamp(0)));  // the CRTCs looked up afresh
    QTest::qWait(300);
    QCOMPARE(heard, 0);
    QCOMPARE(OpenFileCount(), files);  // on the one shared connection
    QVERIFY(Xrandr(display_, {"--output", "screen", "--mode", "1024x768"}));

    // No display to watch: no watch.
    qputenv("DISPLAY", ":999");
    x11::Connection none;
    QVERIFY(!X11GammaBackend(none).WatchDisplays([] {}));
}

void TestGammaX11::warnings_data() {
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QStringList>("warned");  // a piece of each warning's text
    const auto apply = [](const char* display) {
        return [display](X11GammaBackend& backend, const QByteArray& xvfb) {
            qputenv("DISPLAY", qstrcmp(display, "@") == 0 ? xvfb : QByteArray(display));
            backend.Apply(BuildGammaRamp(20));
        };
    };
    const auto twice = [](Steps a, Steps b) {
        return Steps([a, b](X11GammaBackend& backend, const QByteArray& xvfb) {
            a(backend, xvfb);
            b(backend, xvfb);
        });
    };
    QTest::newRow("all is well: quiet") << twice(apply("@"), apply("@")) << QStringList{};
    // A drag loads a ramp every frame: one warning for a cause, not one a frame.
    QTest::newRow("no display, again and again")
        << twice(twice(apply(":999"), apply(":999")), apply(":999")) << QStringList{"no X display"};
    QTest::newRow("no display, then one: the connection is kept")
        << twice(twice(apply(":999"), apply("@")), apply(":999")) << QStringList{"no X display"};
    QTest::newRow("watched, then the display is unreachable: the watch's connection serves")
        << twice(
               [](X11GammaBackend& backend, const QByteArray& xvfb) {
                   qputenv("DISPLAY", xvfb);
                   QVERIFY(backend.WatchDisplays([] {}));
                   qputenv("DISPLAY", ":999");
               },
               [](X11GammaBackend& backend, const QByteArray&) {
                   QVERIFY(backend.Apply(BuildGammaRamp(20)));
               })
        << QStringList{};
}

void TestGammaX11::warnings() {
    QFETCH(Steps, steps);
    QFETCH(QStringList, warned);
    x11::Connection connection;
    X11GammaBackend backend(connection);
    PlatformWarnings warnings;
    steps(backend, display_);
    QCOMPARE(warnings.List().size(), warned.size());
    for (int i = 0; i < warned.size(); ++i)
        QVERIFY2(warnings.List()[i].contains(warned[i]), qPrintable(warnings.List()[i]));
}

QTEST_GUILESS_MAIN(TestGammaX11)
#include "tst_gamma_x11.moc"
