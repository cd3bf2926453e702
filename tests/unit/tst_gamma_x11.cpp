#include <QByteArray>
#include <QDir>
#include <QProcess>
#include <QTemporaryFile>
#include <QTest>

#include <unistd.h>
#include <cstdio>
#include <vector>

#include "eye/gamma_ramp.h"
#include "eye/gamma_x11.h"

// Last: Xlib defines macros (Bool, Status, None...) that clash with Qt's own names.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace {

struct CrtcGamma {
    unsigned long crtc = 0;
    std::vector<std::uint16_t> red;
    std::vector<std::uint16_t> green;
    std::vector<std::uint16_t> blue;
};

// Reads every CRTC's ramp back from the server over a connection of its own, so nothing the
// backend cached could be what is compared.
bool ReadCrtcGammas(std::vector<CrtcGamma>& out) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    XRRScreenResources* resources =
        XRRGetScreenResourcesCurrent(display, XDefaultRootWindow(display));
    if (resources == nullptr) {
        XCloseDisplay(display);
        return false;
    }
    for (int i = 0; i < resources->ncrtc; ++i) {
        const RRCrtc crtc = resources->crtcs[i];
        if (XRRGetCrtcGammaSize(display, crtc) < 2) continue;
        XRRCrtcGamma* gamma = XRRGetCrtcGamma(display, crtc);
        if (gamma == nullptr) continue;
        const auto size = static_cast<std::size_t>(gamma->size);
        out.push_back({crtc, std::vector<std::uint16_t>(gamma->red, gamma->red + size),
                       std::vector<std::uint16_t>(gamma->green, gamma->green + size),
                       std::vector<std::uint16_t>(gamma->blue, gamma->blue + size)});
        XRRFreeGamma(gamma);
    }
    XRRFreeScreenResources(resources);
    XCloseDisplay(display);
    return true;
}

int OpenFileCount() {
    return static_cast<int>(QDir("/proc/self/fd").entryList(QDir::Files | QDir::System).size());
}

int StandInHandler(Display*, XErrorEvent*) {
    return 0;
}

// Runs `work` with stderr sent to a temporary file and returns what it wrote there.
template <typename Work>
QByteArray CaptureStderr(Work work) {
    QTemporaryFile file;
    if (!file.open()) return "cannot capture stderr";
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(file.handle(), STDERR_FILENO);
    work();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    file.seek(0);
    return file.readAll();
}

}  // namespace

class TestGammaX11 : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void loadsRampOnEveryCrtc_data();
    void loadsRampOnEveryCrtc();
    void keepsNoConnectionOpen();
    void restoresErrorHandler();
    void noUsableDisplay_data();
    void noUsableDisplay();

  private:
    QProcess xvfb_;
    QByteArray display_;
};

void TestGammaX11::initTestCase() {
    // -displayfd makes Xvfb pick a free display itself and write its number once it accepts
    // connections, so parallel test runs cannot race for the same one.
    xvfb_.setProgram("Xvfb");
    xvfb_.setArguments(
        {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"});
    xvfb_.setProcessChannelMode(QProcess::SeparateChannels);
    xvfb_.setStandardErrorFile(QProcess::nullDevice());
    xvfb_.start();
    if (!xvfb_.waitForStarted(10000))
        QFAIL("Xvfb could not be started; is the xvfb package installed?");
    while (!xvfb_.canReadLine()) {
        if (!xvfb_.waitForReadyRead(15000)) QFAIL("Xvfb did not report its display number");
    }
    const QByteArray number = xvfb_.readLine().trimmed();
    bool ok = false;
    number.toInt(&ok);
    QVERIFY2(ok, number.constData());
    display_ = ":" + number;
    qputenv("DISPLAY", display_);
}

void TestGammaX11::cleanupTestCase() {
    if (xvfb_.state() == QProcess::NotRunning) return;
    xvfb_.terminate();
    if (!xvfb_.waitForFinished(5000)) {
        xvfb_.kill();
        xvfb_.waitForFinished(5000);
    }
}

void TestGammaX11::init() {
    qputenv("DISPLAY", display_);
}

void TestGammaX11::loadsRampOnEveryCrtc_data() {
    QTest::addColumn<int>("percent");
    // Alternating rows so each one has to overwrite what the previous left on the CRTCs.
    QTest::newRow("15%") << 15;
    QTest::newRow("identity after 15%") << 0;
    QTest::newRow("100%") << 100;
    QTest::newRow("30%") << 30;
    QTest::newRow("identity after 30%") << 0;
}

void TestGammaX11::loadsRampOnEveryCrtc() {
    QFETCH(int, percent);
    const GammaRamp ramp = BuildGammaRamp(percent);
    X11GammaBackend backend;
    QVERIFY(backend.Apply(ramp));

    std::vector<CrtcGamma> crtcs;
    QVERIFY(ReadCrtcGammas(crtcs));
    // Without a gamma-capable CRTC every comparison below would be skipped.
    if (crtcs.empty()) QFAIL("the X server reports no CRTC with a gamma ramp; nothing was checked");
    for (const CrtcGamma& crtc : crtcs) {
        const int size = static_cast<int>(crtc.blue.size());
        const QByteArray where = "CRTC " + QByteArray::number(static_cast<qulonglong>(crtc.crtc)) +
                                 " size " + QByteArray::number(size);
        QVERIFY2(crtc.red == ResampleChannel(ramp.red, size), where.constData());
        QVERIFY2(crtc.green == ResampleChannel(ramp.green, size), where.constData());
        QVERIFY2(crtc.blue == ResampleChannel(ramp.blue, size), where.constData());
    }
}

// The filter only changes on clicks; a connection left behind on each would pile up.
void TestGammaX11::keepsNoConnectionOpen() {
    X11GammaBackend backend;
    QVERIFY(backend.Apply(IdentityGammaRamp()));
    const int before = OpenFileCount();
    for (int i = 0; i < 5; ++i) QVERIFY(backend.Apply(BuildGammaRamp(i * 20)));
    QCOMPARE(OpenFileCount(), before);
}

// The error trap is process-wide state; whoever had a handler before must get it back.
void TestGammaX11::restoresErrorHandler() {
    const XErrorHandler original = XSetErrorHandler(&StandInHandler);
    X11GammaBackend backend;
    const bool applied = backend.Apply(BuildGammaRamp(15));
    const XErrorHandler after = XSetErrorHandler(original);
    QVERIFY(applied);
    QVERIFY(after == &StandInHandler);
}

void TestGammaX11::noUsableDisplay_data() {
    QTest::addColumn<bool>("unset");
    QTest::addColumn<QByteArray>("display");
    QTest::newRow("unset") << true << QByteArray();
    QTest::newRow("empty") << false << QByteArray();
    QTest::newRow("no server") << false << QByteArray(":999");
    QTest::newRow("garbage") << false << QByteArray("not a display");
    // The server exists but has no such screen ("@" stands for the Xvfb display).
    QTest::newRow("missing screen") << false << QByteArray("@.7");
}

void TestGammaX11::noUsableDisplay() {
    QFETCH(bool, unset);
    QFETCH(QByteArray, display);
    display.replace("@", display_);
    if (unset) {
        qunsetenv("DISPLAY");
    } else {
        qputenv("DISPLAY", display);
    }

    bool applied = true;
    const QByteArray printed = CaptureStderr([&applied] {
        X11GammaBackend backend;
        applied = backend.Apply(BuildGammaRamp(15));
    });
    QVERIFY(!applied);
    QCOMPARE(printed, QByteArray());
}

QTEST_GUILESS_MAIN(TestGammaX11)
#include "tst_gamma_x11.moc"
