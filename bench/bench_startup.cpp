// Starts the real program on a private Xvfb again and again and measures what a user feels and
// what the machine pays: time from exec to the main window being mapped, memory once it rests,
// and the work it does while resting (CPU time and wake-ups over ten seconds).
//
//   build/bench/bench_startup [runs]     (default 10)

#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/bench_support.h"
#include "tests/support/xvfb_server.h"

// Last: Xlib's macros clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

const char* const kTitle = "悦息伙伴";

bool HasTitle(Display* display, Window window) {
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, netName, 0, 256, False, utf8, &type, &format, &count,
                           &after, &data) != Success)
        return false;
    const bool match = data && QByteArray(reinterpret_cast<char*>(data), long(count)) == kTitle;
    if (data) XFree(data);
    return match;
}

// Milliseconds from the start of the process to the map of its main window; -1 on timeout.
double TimeToWindow(Display* display, QProcess& program, const QProcessEnvironment& env) {
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, True);  // forget earlier events
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    QElapsedTimer timer;
    timer.start();
    program.start(QStringLiteral(VITA_PROGRAM), {});
    while (timer.elapsed() < 20000) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && HasTitle(display, event.xmap.window))
                return double(timer.nsecsElapsed()) / 1e6;
        }
        QThread::usleep(200);
    }
    return -1;
}

struct Rest {
    long rssKb = 0, pssKb = 0;
    double cpuMs = 0;
    long wakeups = 0;
};

Rest MeasureRest(qint64 pid) {
    QThread::sleep(2);  // let start-up settle
    Rest rest;
    const double cpu0 = bench::ProcessCpuMs(pid);
    const bench::Switches switches0 = bench::ThreadSwitches(pid);
    QThread::sleep(10);
    rest.cpuMs = bench::ProcessCpuMs(pid) - cpu0;
    rest.wakeups = bench::WakeupsBetween(switches0, bench::ThreadSwitches(pid));
    const bench::Memory memory = bench::ProcessMemory(pid);
    rest.rssKb = memory.rssKb;
    rest.pssKb = memory.pssKb;
    return rest;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    XvfbServer xvfb;
    QString error;
    if (!xvfb.Start(&error)) {
        std::fprintf(stderr, "bench_startup: %s\n", qPrintable(error));
        return 1;
    }
    Display* display = XOpenDisplay(xvfb.Display().constData());
    if (!display) return 1;

    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromLatin1(xvfb.Display()));
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", home.path());
    env.remove("DBUS_SESSION_BUS_ADDRESS");

    std::vector<double> times;
    Rest rest;
    for (int i = 0; i < runs; ++i) {
        QProcess program;
        const double ms = TimeToWindow(display, program, env);
        if (ms < 0) {
            std::fprintf(stderr, "bench_startup: no window within 20 s\n");
            return 1;
        }
        times.push_back(ms);
        if (i == 0) rest = MeasureRest(program.processId());  // the first start creates the file
        program.terminate();
        program.waitForFinished(10000);
    }
    std::printf("start to window mapped: median %.1f ms, min %.1f, max %.1f (%d runs)\n",
                Median(times), *std::min_element(times.begin(), times.end()),
                *std::max_element(times.begin(), times.end()), runs);
    std::printf("at rest: RSS %ld KiB, PSS %ld KiB\n", rest.rssKb, rest.pssKb);
    std::printf("over 10 s at rest: CPU %.0f ms, %ld context switches\n", rest.cpuMs, rest.wakeups);
    XCloseDisplay(display);
    return 0;
}
