#include <QByteArray>
#include <QDir>
#include <QTest>
#include <vector>

#include "eye/gamma_ramp.h"
#include "eye/gamma_x11.h"
#include "tests/support/xvfb_server.h"

// Last: Xlib's macros clash with Qt's names.
#include "tests/support/crtc_gamma.h"

namespace {

qsizetype OpenFileCount() {
    return QDir("/proc/self/fd").entryList(QDir::Files | QDir::System).size();
}

}  // namespace

class TestGammaX11 : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void apply_data();
    void apply();

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
    const bool applied = X11GammaBackend().Apply(ramp);
    QVERIFY(XSetErrorHandler(original) == standIn);
    QCOMPARE(OpenFileCount(), filesBefore);  // no connection is left open
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

QTEST_GUILESS_MAIN(TestGammaX11)
#include "tst_gamma_x11.moc"
