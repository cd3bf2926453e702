#pragma once

// A real window manager and panel on a Desk's X server: openbox, or xfwm4 with its compositor
// (on a private session bus, with xfconfd where installed), and tint2 along the bottom of the
// primary monitor (tests/e2e/tint2rc: 30 px, a task bar and a tray). Each start waits until it
// is at work as the X server shows it.
//
//     Desk desk;                                  // first: it outlives the manager
//     QVERIFY2(desk.StartServer(), desk.Failure());
//     WindowManager wm(desk);
//     QVERIFY2(wm.Start("xfwm4"), wm.Failure());  // data-driven: AddWindowManagerRows()
//     QVERIFY2(wm.StartPanel(), wm.Failure());    // wm.Panel() is where it lies
//     desk.StartProgram();

#include "tests/e2e/desk.h"
#include "tests/support/private_bus.h"

namespace e2e {

// A "manager" column with a row for each manager the program is tried under.
inline void AddWindowManagerRows() {
    QTest::addColumn<QString>("manager");
    for (const char* manager : {"openbox", "xfwm4"}) QTest::newRow(manager) << QString(manager);
}

// Cuts the desk's screen into RandR monitors, the first one primary; before the program starts.
inline bool SetMonitors(const Desk& desk, const QList<QRect>& monitors) {
    for (qsizetype i = 0; i < monitors.size(); ++i) {
        const QRect& m = monitors[i];
        const auto mm = [](int pixels) { return pixels * 254 / 960; };  // at 96 dpi, as Xvfb
        desk.RunTool("xrandr", {"--setmonitor", QString("m%1").arg(i),
                                QString("%1/%2x%3/%4+%5+%6")
                                    .arg(m.width())
                                    .arg(mm(m.width()))
                                    .arg(m.height())
                                    .arg(mm(m.height()))
                                    .arg(m.x())
                                    .arg(m.y()),
                                i == 0 ? "screen" : "none"});
    }
    return desk.RunTool("xrandr", {"--listmonitors"})
        .startsWith("Monitors: " + QByteArray::number(monitors.size()));
}

// A window manager and its panel on a desk's server; they end (the panel first) with this.
class WindowManager {
  public:
    explicit WindowManager(const Desk& desk) : desk_(desk) {}
    ~WindowManager() {
        for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
            (*it)->terminate();
            if (!(*it)->waitForFinished(5000)) (*it)->kill();
            if (QTest::currentTestFailed())
                qWarning("%s said:\n%s", qPrintable((*it)->program()), (*it)->readAll().data());
        }
    }

    // Starts "openbox" or "xfwm4" and waits until it manages the screen: it owns WM_S0, its
    // check window names itself in _NET_SUPPORTING_WM_CHECK, and xfwm4's compositor owns
    // _NET_WM_CM_S0. False with Failure() when it does not come.
    bool Start(const QString& name) {
        QString error;
        const bool xfwm4 = name == QLatin1String("xfwm4");
        // xfwm4 reads its settings through xfconf and does not start without a session bus.
        if (xfwm4 && !bus_.Start(&error)) return Fail(error);
        QProcess& manager =
            Launch(name, xfwm4 ? QStringList{"--compositor=on", "--sm-client-disable"}
                               : QStringList{"--sm-disable"});
        const bool managing = WaitFor([&] {
            return manager.state() == QProcess::NotRunning ||
                   (Managing() && (!xfwm4 || Owned("_NET_WM_CM_S0")));
        });
        if (!managing || manager.state() == QProcess::NotRunning)
            return Fail(name + " manages no screen: " + manager.readAll());
        return true;
    }

    // Starts tint2 and waits until the manager lists it with its strut, its tray is taken and
    // the manager's work area leaves it out. False with Failure() when it does not come.
    bool StartPanel() {
        QProcess& panel = Launch("tint2", {"-c", VITA_TINT2_CONFIG});
        const bool ready = WaitFor([&] {
            panel_ = Strut();
            const std::vector<unsigned long> area = Cardinals(Root(), "_NET_WORKAREA");
            return panel.state() == QProcess::NotRunning ||
                   (!panel_.isNull() && Owned("_NET_SYSTEM_TRAY_S0") && area.size() >= 4 &&
                    long(area[1] + area[3]) <= panel_.top());
        });
        if (!ready || panel.state() == QProcess::NotRunning)
            return Fail("tint2 reserves no space: " + panel.readAll());
        return true;
    }

    // An xterm over the whole screen, titled `title`; true once the manager shows it.
    bool StartFullScreenTerminal(const QString& title) {
        Launch("xterm", {"-fullscreen", "-title", title});
        return WaitFor([&] { return !desk_.Windows({"--name", "^" + title + "$"}).isEmpty(); });
    }

    // Where the panel lies, as its strut reserves it; null before StartPanel.
    QRect Panel() const { return panel_; }
    const char* Failure() const { return failure_.constData(); }

  private:
    bool Fail(const QString& what) {
        failure_ = what.toLocal8Bit();
        return false;
    }

    // The desk's display, the bus (or none), and folders of their own, not the user's settings.
    QProcess& Launch(const QString& program, const QStringList& arguments) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "XAUTHORITY"})
            env.remove(name);
        env.insert("DISPLAY", QString::fromLatin1(desk_.Display()));
        env.insert("DBUS_SESSION_BUS_ADDRESS", bus_.Address().isEmpty()
                                                   ? "unix:path=" + dir_.filePath("no-bus")
                                                   : bus_.Address());
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
            env.insert(name, dir_.path());
        QProcess& child = *children_.emplace_back(std::make_unique<QProcess>());
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(program, arguments);
        return child;
    }

    Window Root() const { return DefaultRootWindow(desk_.X()); }
    bool Owned(const char* selection) const {
        return XGetSelectionOwner(desk_.X(), XInternAtom(desk_.X(), selection, False)) != 0UL;
    }
    std::vector<unsigned long> Cardinals(Window window, const char* name,
                                         Atom type = XA_CARDINAL) const {
        std::vector<unsigned long> values;
        Atom actual = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(desk_.X(), window, XInternAtom(desk_.X(), name, False), 0, 64, False,
                               type, &actual, &format, &count, &after, &data) == Success &&
            data && actual == type && format == 32)
            values.assign(reinterpret_cast<unsigned long*>(data),
                          reinterpret_cast<unsigned long*>(data) + count);
        if (data) XFree(data);
        return values;
    }

    // As EWMH has it: the root names a check window, which names itself.
    bool Managing() const {
        const std::vector<unsigned long> check =
            Cardinals(Root(), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
        return Owned("WM_S0") && !check.empty() &&
               Cardinals(check.front(), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW) == check;
    }

    // The bottom strut of a window the manager lists, as a rectangle of the screen.
    QRect Strut() const {
        const int height = DisplayHeight(desk_.X(), DefaultScreen(desk_.X()));
        for (const unsigned long client : Cardinals(Root(), "_NET_CLIENT_LIST", XA_WINDOW)) {
            const std::vector<unsigned long> s = Cardinals(client, "_NET_WM_STRUT_PARTIAL");
            if (s.size() >= 12 && s[3] > 0)
                return QRect(QPoint(int(s[10]), height - int(s[3])),
                             QPoint(int(s[11]), height - 1));
        }
        return {};
    }

    const Desk& desk_;
    QTemporaryDir dir_;
    PrivateBus bus_;  // xfwm4's session bus; outlives the children
    std::vector<std::unique_ptr<QProcess>> children_;
    QRect panel_;
    QByteArray failure_;
};

}  // namespace e2e
