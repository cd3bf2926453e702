// What the eye-protection page costs: painting its gauge (and the whole page), loading one ramp
// on a kept connection and on a connection of its own, and a drag of the gauge's thumb on a
// private Xvfb: how many ramps reach the X server a second and what CPU the drag takes, in the
// program and in the server, with the screen followed once a frame and, for comparison, at
// every change of the value.
//
//   build/bench/bench_eye [seconds of drag]     (default 3)

#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "bench/bench_support.h"
#include "data/settings_store.h"
#include "eye/eye_protect_page.h"
#include "eye/gamma_ramp.h"
#include "platform/gamma.h"
#include "platform/platform.h"
#include "platform/x11/connection.h"
#include "platform/x11/gamma_x11.h"
#include "tests/support/xvfb_server.h"
#include "ui/circle_slider.h"
#include "ui/window_base.h"

namespace {

// Counts what reaches the X server's backend.
struct CountingBackend final : GammaBackend {
    explicit CountingBackend(GammaBackend& to) : target(to) {}
    const char* Name() const override { return "counting"; }
    bool Apply(const GammaRamp& ramp) override {
        ++applies;
        return target.Apply(ramp);
    }
    GammaBackend& target;
    long applies = 0;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double ProcessCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Microseconds per paint of `widget` into an image, median of batches.
double PaintMicros(QWidget& widget, int runs) {
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> batches;
    constexpr int kBatch = 20;
    for (int i = 0; i < runs / kBatch; ++i) {
        QElapsedTimer timer;
        timer.start();
        for (int j = 0; j < kBatch; ++j) {
            image.fill(Qt::transparent);
            widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        }
        batches.push_back(double(timer.nsecsElapsed()) / 1000.0 / kBatch);
    }
    return Median(batches);
}

QPoint ThumbOf(const CCircleSliderUI& gauge, double percent) {
    return (gauge.ArcPoint(150, percent * 2.4) + QPointF(1, 0)).toPoint();
}

void Mouse(CCircleSliderUI& gauge, QEvent::Type type, const QPoint& at) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, gauge.mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&gauge, &event);
}

struct DragCost {
    long moves = 0;
    long applies = 0;
    double seconds = 0;
    double cpuMs = 0;
    double serverCpuMs = 0;
};

// The thumb dragged to and fro between 0 and 100 % with a move every `moveEveryUs`, the event
// loop running between moves as it does for the program.
DragCost Drag(CEyeProtectDlg& page, CountingBackend& counter, qint64 serverPid, double seconds,
              int moveEveryUs) {
    auto* gauge = qobject_cast<CCircleSliderUI*>(page.FindControl("progress_blue_avoid"));
    Mouse(*gauge, QEvent::MouseButtonPress, ThumbOf(*gauge, gauge->Value()));
    DragCost cost;
    counter.applies = 0;
    const double cpu0 = ProcessCpuMs();
    const double server0 = bench::ProcessCpuMs(serverPid);
    QElapsedTimer timer;
    timer.start();
    double percent = gauge->Value();
    double step = 0.5;
    while (timer.elapsed() < seconds * 1000) {
        percent += step;
        if (percent >= 100 || percent <= 0) step = -step;
        Mouse(*gauge, QEvent::MouseMove, ThumbOf(*gauge, percent));
        ++cost.moves;
        QCoreApplication::processEvents();
        QThread::usleep(static_cast<unsigned long>(moveEveryUs));
    }
    Mouse(*gauge, QEvent::MouseButtonRelease, ThumbOf(*gauge, percent));
    QCoreApplication::processEvents();
    cost.seconds = double(timer.nsecsElapsed()) / 1e9;
    cost.applies = counter.applies;
    cost.cpuMs = ProcessCpuMs() - cpu0;
    cost.serverCpuMs = bench::ProcessCpuMs(serverPid) - server0;
    return cost;
}

void Report(const char* what, const DragCost& c) {
    std::printf("%s\n", what);
    std::printf("  pointer moves %7.0f /s, ramps to the X server %6.1f /s\n", c.moves / c.seconds,
                c.applies / c.seconds);
    std::printf("  CPU: program %5.1f %% of a core, X server %5.1f %%\n",
                100 * c.cpuMs / (c.seconds * 1000), 100 * c.serverCpuMs / (c.seconds * 1000));
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ui::InstallFontSubstitutions();
    const double seconds = argc > 1 ? std::max(0.5, std::atof(argv[1])) : 3.0;

    // Painting: the gauge as the page has it, at 62 %, and the whole page.
    {
        CCircleSliderUI gauge;
        for (const auto& [name, value] : {std::pair{"circlewidth", "8"},
                                          {"min", "0"},
                                          {"max", "150"},
                                          {"value", "62"},
                                          {"circular", "true"},
                                          {"fgcolor", "#FF3DC633"},
                                          {"thumbimage", "Slider.png"}})
            gauge.SetAttribute(name, value);
        gauge.resize(206, 206);
        PaintMicros(gauge, 100);  // the thumb picture decoded once
        std::printf("gauge paint (206 x 206, anti-aliased): %7.1f us (median of batches)\n",
                    PaintMicros(gauge, 2000));
    }

    XvfbServer xvfb;
    QString error;
    if (!xvfb.Start(&error)) {
        std::fprintf(stderr, "bench_eye: %s\n", qPrintable(error));
        return 1;
    }
    qputenv("DISPLAY", xvfb.Display());
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    if (!SettingsStore::OpenSettings()) return 1;
    SettingsStore::StoreEyeProtectOn(true);
    SettingsStore::StorePercent(15);

    CEyeProtectDlg page;
    if (!page.Create(nullptr)) return 1;
    page.show();
    QCoreApplication::processEvents();
    std::printf("eye page paint (350 x 424):            %7.1f us\n", PaintMicros(page, 200));

    // One ramp on an X connection of the kind the program shares (the page above is offscreen,
    // so the platform's own choice would be the null services): the CRTCs looked up each time,
    // then kept while watched.
    x11::Connection connection;
    X11GammaBackend x11(connection);
    for (const bool kept : {false, true}) {
        if (kept && !x11.WatchDisplays([] {})) return 1;
        std::vector<double> times;
        for (int i = 0; i < 200; ++i) {
            QElapsedTimer timer;
            timer.start();
            x11.Apply(BuildGammaRamp(i % 101));
            times.push_back(double(timer.nsecsElapsed()) / 1000.0);
        }
        std::printf("one ramp on %s: %7.1f us (median of 200)\n",
                    kept ? "watched displays (kept CRTCs)" : "CRTCs looked up each time    ",
                    Median(times));
    }

    CountingBackend counter(x11);
    SetGammaBackendForTests(&counter);
    std::printf("drag of the thumb for %.1f s, a pointer move every millisecond:\n", seconds);
    Report(" screen followed once a frame (the program):",
           Drag(page, counter, xvfb.ProcessId(), seconds, 1000));
    page.SetPreviewInterval(0);
    Report(" for comparison, a ramp at every change of the value:",
           Drag(page, counter, xvfb.ProcessId(), seconds, 1000));
    SetGammaBackendForTests(nullptr);
    x11.StopWatchingDisplays();
    SettingsStore::CloseSettings();
    return 0;
}
