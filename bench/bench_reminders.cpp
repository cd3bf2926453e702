// What the reminders cost the real program on a private 1920 x 1080 Xvfb: its work at rest with
// nothing open (the main window hidden into a tray panel), the slide-in of one drink reminder
// (--drink-now) and of one relax prompt (--break-now), and the full-screen relax lock: memory
// before and while it shows, and its work each second while the break counts down.
//
//   build/bench/bench_reminders [runs]     (slides per reminder, default 3)

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QSize>
#include <QStandardPaths>
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

const QSize kScreen(1920, 1080);
const QSize kMainSize(350, 450);
const QSize kReminderSize(280, 360);  // the drink frame and the relax prompt alike
const QPoint kCloseButton(336, 14);   // of the main window
constexpr int kWaitMs = 20000;
constexpr int kStillMs = 300;  // a window that has not moved for this long has come to rest
constexpr int kSettleMs = 2000;
constexpr int kRestS = 10;
constexpr int kLockS = 30;  // CPU time comes in 10 ms ticks: long enough to see some

int IgnoreXErrors(Display*, XErrorEvent*) {
    return 0;
}

long WindowPid(Display* display, Window window) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), 0, 1, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
        data && count == 1)
        pid = *reinterpret_cast<long*>(data);
    if (data) XFree(data);
    return pid;
}

QRect Geometry(Display* display, Window window) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(display, window, &a)) return {};
    Window child = 0;
    int x = 0, y = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return QRect(x, y, a.width, a.height);
}

// The program's windows as the X server maps and moves them.
class Watch {
  public:
    explicit Watch(Display* display) : display_(display) {
        XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
        XSync(display, True);
    }
    // Forgets what came so far.
    void Reset() { XSync(display_, True); }

    // The next window of process `pid` mapped at `size`; 0 when none came in time.
    Window Mapped(long long pid, const QSize& size) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < kWaitMs) {
            while (XPending(display_)) {
                XEvent event;
                XNextEvent(display_, &event);
                if (event.type != MapNotify) continue;
                const Window w = event.xmap.window;
                if (WindowPid(display_, w) == pid && Geometry(display_, w).size() == size) return w;
            }
            QThread::usleep(500);
        }
        return 0;
    }

    // Waits until `window` has not moved for kStillMs. The moves it made, or -1 on a timeout.
    int Rest(Window window) {
        QElapsedTimer timer, still;
        timer.start();
        still.start();
        int moves = 0;
        while (timer.elapsed() < kWaitMs) {
            while (XPending(display_)) {
                XEvent event;
                XNextEvent(display_, &event);
                if (event.type == ConfigureNotify && event.xconfigure.window == window) {
                    ++moves;
                    still.restart();
                }
            }
            if (still.elapsed() >= kStillMs) return moves;
            QThread::usleep(500);
        }
        return -1;
    }

  private:
    Display* display_;
};

struct Slide {
    double cpuMs = 0, ms = 0;
    int moves = 0;
};

struct Span {
    double cpuMs = 0;
    long wakeups = 0;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

class Bench {
  public:
    Bench() {
        QString error;
        bench::Check(xvfb_.Start(&error, {"-screen", "0", "1920x1080x24"}), "starting Xvfb");
        display_ = XOpenDisplay(xvfb_.Display().constData());
        bench::Check(display_ != nullptr, "connecting to Xvfb");
        XSetErrorHandler(IgnoreXErrors);
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert("DISPLAY", QString::fromLatin1(xvfb_.Display()));
        env_.insert("QT_QPA_PLATFORM", "xcb");
        env_.insert("XDG_CONFIG_HOME", home_.filePath("config"));
        env_.insert("XDG_RUNTIME_DIR", home_.path());
        env_.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home_.filePath("no-bus"));
        env_.remove("WAYLAND_DISPLAY");
        StartTray();
    }
    ~Bench() {
        Stop();
        if (tray_.state() != QProcess::NotRunning) {
            tray_.terminate();
            tray_.waitForFinished(5000);
        }
        XCloseDisplay(display_);
    }
    bool HasTray() const { return tray_.state() == QProcess::Running; }
    Display* X() const { return display_; }
    long long Pid() const { return program_.processId(); }

    // The program on a data folder of its own (`seed` run on its store first), its main window
    // hidden into the tray panel when there is one, settled.
    void Start(const QString& name, void (*seed)() = nullptr) {
        Stop();
        const QString data = home_.filePath(name);
        if (seed) {
            qputenv("XDG_DATA_HOME", QFile::encodeName(data));
            bench::Check(SettingsStore::OpenSettings(), "seeding the store");
            seed();
            SettingsStore::CloseSettings();
        }
        QProcessEnvironment env = env_;
        env.insert("XDG_DATA_HOME", data);
        Watch watch(display_);
        program_.setProcessEnvironment(env);
        program_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program_.setStandardOutputFile(QProcess::nullDevice());
        program_.start(QStringLiteral(VITA_PROGRAM), {});
        bench::Check(program_.waitForStarted(kWaitMs), "starting the program");
        const Window main = watch.Mapped(Pid(), kMainSize);
        bench::Check(main != 0, "the main window");
        if (HasTray()) {
            QThread::msleep(kSettleMs);  // the icon docks in the panel
            Click(Geometry(display_, main).topLeft() + kCloseButton);
            QElapsedTimer timer;
            timer.start();
            XWindowAttributes a{};
            while (XGetWindowAttributes(display_, main, &a) && a.map_state == IsViewable &&
                   timer.elapsed() < kWaitMs)
                QThread::msleep(50);
            bench::Check(a.map_state != IsViewable, "hiding the main window into the tray");
        }
        QThread::msleep(kSettleMs);
    }
    void Stop() {
        if (program_.state() == QProcess::NotRunning) return;
        program_.terminate();
        if (!program_.waitForFinished(10000)) program_.kill();
    }

    // A second start asking the program for `option`; what the program spent until the
    // reminder's window came to rest.
    Slide Ask(const char* option) {
        Watch watch(display_);
        const double cpu0 = bench::ProcessCpuMs(Pid());
        QElapsedTimer timer;
        timer.start();
        QProcess second;
        second.setProcessEnvironment(program_.processEnvironment());
        second.start(QStringLiteral(VITA_PROGRAM), {QString::fromLatin1(option)});
        const Window window = watch.Mapped(Pid(), kReminderSize);
        bench::Check(window != 0, option);
        Slide slide;
        slide.moves = watch.Rest(window);
        bench::Check(slide.moves >= 0, "the reminder coming to rest");
        slide.ms = double(timer.elapsed() - kStillMs);
        slide.cpuMs = bench::ProcessCpuMs(Pid()) - cpu0;
        second.waitForFinished(kWaitMs);
        return slide;
    }

    Span Measure(int seconds) {
        const double cpu0 = bench::ProcessCpuMs(Pid());
        const bench::Switches switches0 = bench::ThreadSwitches(Pid());
        QThread::sleep(seconds);
        return {bench::ProcessCpuMs(Pid()) - cpu0,
                bench::WakeupsBetween(switches0, bench::ThreadSwitches(Pid()))};
    }

    void Click(const QPoint& p) {
        QProcess tool;
        tool.setProcessEnvironment(env_);
        tool.start("xdotool",
                   {"mousemove", QString::number(p.x()), QString::number(p.y()), "click", "1"});
        tool.waitForFinished(kWaitMs);
    }

  private:
    // An XEmbed panel, so that closing the main window hides it as on a desktop with a tray.
    void StartTray() {
        if (QStandardPaths::findExecutable("trayer").isEmpty()) return;
        tray_.setProcessEnvironment(env_);
        tray_.setProcessChannelMode(QProcess::MergedChannels);
        tray_.setStandardOutputFile(QProcess::nullDevice());
        tray_.start("trayer", {"--edge", "bottom", "--align", "right", "--widthtype", "pixel",
                               "--width", "100", "--height", "24"});
        if (!tray_.waitForStarted(kWaitMs)) return;
        const Atom selection = XInternAtom(display_, "_NET_SYSTEM_TRAY_S0", False);
        QElapsedTimer timer;
        timer.start();
        while (XGetSelectionOwner(display_, selection) == 0 && timer.elapsed() < kWaitMs)
            QThread::msleep(50);
    }

    XvfbServer xvfb_;
    Display* display_ = nullptr;
    QTemporaryDir home_;
    QProcessEnvironment env_;
    QProcess tray_, program_;
};

void PrintSlides(const char* what, const std::vector<Slide>& slides) {
    std::vector<double> cpu, ms, moves;
    for (const Slide& s : slides) {
        cpu.push_back(s.cpuMs);
        ms.push_back(s.ms);
        moves.push_back(s.moves);
    }
    std::printf("%-34s %9.0f ms CPU %8.0f ms %6.0f moves   (median of %zu)\n", what, Median(cpu),
                Median(ms), Median(moves), slides.size());
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    Bench bench;
    std::printf(
        "the real program on a private %dx%d Xvfb; %s\n\n", kScreen.width(), kScreen.height(),
        bench.HasTray() ? "main window hidden into a tray panel" : "no trayer: main window shown");

    bench.Start("rest");
    const bench::Memory rest = bench::ProcessMemory(bench.Pid());
    const Span idle = bench.Measure(kRestS);
    std::printf("%-34s %9.0f ms CPU %8ld wake-ups   over %d s; RSS %ld KiB, PSS %ld KiB\n",
                "at rest, nothing open", idle.cpuMs, idle.wakeups, kRestS, rest.rssKb, rest.pssKb);

    // A slide each in a program of its own: one reminder of a kind at a time.
    std::vector<Slide> drinks, prompts;
    for (int i = 0; i < runs; ++i) {
        bench.Start("drink" + QString::number(i));
        drinks.push_back(bench.Ask("--drink-now"));
        bench.Start("relax" + QString::number(i));
        prompts.push_back(bench.Ask("--break-now"));
    }
    PrintSlides("drink reminder slide-in", drinks);
    PrintSlides("relax prompt slide-in", prompts);

    // The lock opens by itself one tick after the prompt's slide: a countdown of 0 seconds.
    bench.Start("lock", [] { SettingsStore::SetCountDownSecond(0); });
    const bench::Memory before = bench::ProcessMemory(bench.Pid());
    Watch watch(bench.X());
    bench.Ask("--break-now");
    bench::Check(watch.Mapped(bench.Pid(), kScreen) != 0, "the relax lock");
    QThread::msleep(kSettleMs);
    const bench::Memory shown = bench::ProcessMemory(bench.Pid());
    const Span lock = bench.Measure(kLockS);
    std::printf("%-34s %9ld KiB RSS %6ld KiB PSS\n", "before the lock", before.rssKb, before.pssKb);
    std::printf("%-34s %9ld KiB RSS %6ld KiB PSS   (+%ld KiB RSS)\n", "while the lock shows",
                shown.rssKb, shown.pssKb, shown.rssKb - before.rssKb);
    std::printf("%-34s %9.1f ms CPU %8.1f wake-ups   a second, over %d s\n", "lock counting down",
                lock.cpuMs / kLockS, double(lock.wakeups) / kLockS, kLockS);
    return 0;
}
