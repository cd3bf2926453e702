// What following the user's presence costs at rest: a process on a private Xvfb, with private
// buses and a PipeWire daemon of its own when one can be started, watching both sides (idle,
// sleep, lock, screen saver; full screen, do-not-disturb, calls) while nothing happens. Its CPU
// time and wake-ups over 10 s, against the same process watching nothing.
//
//   build/bench/bench_presence

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <cstring>

#include "bench/bench_support.h"
#include "platform/platform.h"
#include "platform/presence.h"
#include "tests/support/private_bus.h"
#include "tests/support/xvfb_server.h"

namespace {

constexpr int kSettleMs = 2000;
constexpr int kRestS = 10;

// The watching process: says "ready" once it watches what it was asked to, then waits.
int Watch(int argc, char* argv[], bool on) {
    QGuiApplication app(argc, argv);
    auto presence = platform::Current().WatchPresence();
    presence->WatchAway(on);
    presence->WatchBusy(on);
    std::printf("ready\n");
    std::fflush(stdout);
    return QGuiApplication::exec();
}

struct Span {
    double cpuMs = 0;
    long wakeups = 0;
};

Span Measure(const QProcessEnvironment& env, const char* self, const char* mode) {
    QProcess watcher;
    watcher.setProcessEnvironment(env);
    watcher.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    watcher.start(QString::fromLocal8Bit(self), {QString::fromLatin1(mode)});
    bench::Check(watcher.waitForStarted(20000), "starting the watcher");
    while (!watcher.canReadLine()) bench::Check(watcher.waitForReadyRead(20000), "its start");
    QThread::msleep(kSettleMs);
    const long long pid = watcher.processId();
    const double cpu0 = bench::ProcessCpuMs(pid);
    const bench::Switches switches0 = bench::ThreadSwitches(pid);
    QThread::sleep(kRestS);
    const Span span{bench::ProcessCpuMs(pid) - cpu0,
                    bench::WakeupsBetween(switches0, bench::ThreadSwitches(pid))};
    watcher.terminate();
    watcher.waitForFinished(5000);
    return span;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 && std::strcmp(argv[1], "--watch") == 0) return Watch(argc, argv, true);
    if (argc > 1 && std::strcmp(argv[1], "--idle") == 0) return Watch(argc, argv, false);

    QCoreApplication app(argc, argv);
    XvfbServer xvfb;
    PrivateBus system, session;
    QTemporaryDir runtime;
    QString error;
    bench::Check(xvfb.Start(&error), "starting Xvfb");
    bench::Check(system.Start(&error) && session.Start(&error), "starting dbus-daemon");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromLatin1(xvfb.Display()));
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.remove("XDG_SESSION_TYPE");
    env.remove("WAYLAND_DISPLAY");
    env.insert("DBUS_SYSTEM_BUS_ADDRESS", system.Address());
    env.insert("DBUS_SESSION_BUS_ADDRESS", session.Address());
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    QProcess pipewire;
    pipewire.setProcessEnvironment(env);
    pipewire.setStandardOutputFile(QProcess::nullDevice());
    pipewire.setStandardErrorFile(QProcess::nullDevice());
    if (!QStandardPaths::findExecutable("pipewire").isEmpty()) {
        pipewire.start("pipewire", {});
        for (int i = 0; i < 100 && !QFile::exists(runtime.filePath("pipewire-0")); ++i)
            QThread::msleep(50);
    }
    std::printf("a process on a private Xvfb and buses; PipeWire %s\n\n",
                QFile::exists(runtime.filePath("pipewire-0")) ? "running" : "missing");
    for (const char* mode : {"--idle", "--watch"}) {
        const Span span = Measure(env, argv[0], mode);
        std::printf(
            "%-34s %9.0f ms CPU %8ld wake-ups   over %d s\n",
            std::strcmp(mode, "--watch") == 0 ? "watching away and busy" : "watching nothing",
            span.cpuMs, span.wakeups, kRestS);
    }
    pipewire.terminate();
    pipewire.waitForFinished(5000);
    return 0;
}
