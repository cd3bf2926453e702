#pragma once

// The world of an end-to-end test: a private X server, fresh per-user folders, optionally an
// XEmbed tray panel, and runs of the real program, driven from outside the way a user would:
// xdotool for the pointer and keys, the X server for what is shown, the store for what is kept.
// Test targets made with vita_add_e2e_test know where the program and the grab tool are.

#include <signal.h>
#include <sys/stat.h>

#include <QtTest>
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "data/settings_store.h"
#include "eye/gamma_ramp.h"
#include "tests/support/xvfb_server.h"

// Last: Xlib defines macros (Bool, Status, None...) that clash with Qt's own names.
#include <X11/Xatom.h>
#include "tests/support/crtc_gamma.h"

namespace e2e {

const QString kProgram = QStringLiteral(VITA_PROGRAM);
const QString kGrabTool = QStringLiteral(VITA_GRAB_TOOL);
const QString kTitle = QStringLiteral("悦息伙伴");
const QSize kMainSize(350, 450);
const QString kPageBackground = QStringLiteral("#f7ffff");
constexpr int kWaitMs = 20000;  // generous: a loaded machine may start Qt slowly

struct WindowInfo {
    unsigned long id = 0;
    QRect rect;  // in screen coordinates
};

struct StoredFilter {
    bool on = false;
    int percent = 0;
};

// Xlib's default handler exits the process; a window that went away is an answer here.
int IgnoreXErrors(Display*, XErrorEvent*) {
    return 0;
}

// The first true answer `find` gives within the wait; an empty one when none came.
template <typename Find>
auto WaitFor(Find find) -> decltype(find()) {
    const QDeadlineTimer deadline(kWaitMs);
    while (true) {
        if (auto found = find()) return found;
        if (deadline.hasExpired()) return {};
        QTest::qWait(50);
    }
}

template <typename Fits>
std::optional<WindowInfo> First(const QList<WindowInfo>& windows, Fits fits) {
    for (const WindowInfo& w : windows)
        if (fits(w)) return w;
    return std::nullopt;
}

QString ColourAt(const QImage& image, const QPoint& p) {
    return image.valid(p) ? QColor(image.pixel(p)).name() : QStringLiteral("outside");
}

// The root's children from the bottom up.
inline QList<unsigned long> Stack(::Display* x) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    QList<unsigned long> stack;
    if (XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count) != 0)
        for (unsigned int i = 0; i < count; ++i) stack << children[i];
    if (children != nullptr) XFree(children);
    return stack;
}

// One case's world: a private X server, fresh per-user folders, optionally an XEmbed tray panel,
// and the program's runs. Everything it started ends with it.
class Desk {
  public:
    ~Desk() {
        // The program's runs first, then the panel, then the server.
        for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
            auto& child = *it;
            if (child->state() != QProcess::NotRunning) {
                ::kill(static_cast<pid_t>(child->processId()), SIGTERM);
                if (!child->waitForFinished(5000)) child->kill();
            }
            if (QTest::currentTestFailed())
                qWarning("%s said:\n%s", qPrintable(child->program()), child->readAll().data());
        }
    }

    // Starts the X server (with a tray panel when asked), stores `filter` when given, starts the
    // program and waits for its main window. False with Failure() set when a step fails.
    bool Open(bool withTray = false, std::optional<StoredFilter> filter = std::nullopt,
              const QStringList& programArguments = {}) {
        if (!StartServer(withTray)) return false;
        if (filter && !Filter(filter)) return Fail("the filter could not be stored");
        StartProgram(programArguments);
        const std::optional<WindowInfo> main = WaitFor([this] { return MainWindow(); });
        if (!main) return Fail("no main window came up");
        main_ = *main;
        return true;
    }
    // The first half of Open: the folders and the X server (with a tray panel when asked).
    bool StartServer(bool withTray = false) {
        for (const char* sub : {"data", "config", "runtime", "tool-runtime"}) {
            if (!root_.isValid() || !QDir(root_.path()).mkpath(sub) ||
                ::chmod(QFile::encodeName(root_.filePath(sub)).constData(), 0700) != 0)
                return Fail(QStringLiteral("cannot make ") + sub);
        }
        QString error;
        if (!xvfb_.Start(&error, serverArguments_)) return Fail(error);
        x_.reset(XOpenDisplay(Display().constData()));
        if (!x_) return Fail("no connection to " + Display());
        initialGammas_ = Gammas();
        return !withTray || StartTray();
    }
    // An XEmbed tray panel along the bottom edge, where the tray menu has room above the
    // pointer; ready once it owns the tray selection of screen 0.
    bool StartTray() {
        Launch("trayer", {"--edge", "bottom", "--align", "right", "--widthtype", "pixel", "--width",
                          "100", "--height", "24"});
        const Atom selection = XInternAtom(X(), "_NET_SYSTEM_TRAY_S0", False);
        if (!WaitFor([&] { return XGetSelectionOwner(X(), selection) != 0UL; }))
            return Fail("trayer took no tray selection; is trayer installed?");
        return true;
    }
    const char* Failure() const { return failure_.constData(); }
    // The desktop area left free by panels, as a window manager announces it (_NET_WORKAREA on
    // the root window, which Qt reads as the screen's available geometry), at any time.
    void SetWorkArea(const QRect& area) const {
        const long values[] = {area.x(), area.y(), area.width(), area.height()};
        XChangeProperty(X(), DefaultRootWindow(X()), XInternAtom(X(), "_NET_WORKAREA", False),
                        XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(values), 4);
        XSync(X(), False);
    }

    QByteArray Display() const { return xvfb_.Display(); }
    ::Display* X() const { return x_.get(); }
    QString DatabasePath() const { return root_.filePath("data/VitaCompanion/DataSet.db"); }
    QProcess& Program() const { return *program_; }
    const WindowInfo& Main() const { return main_; }
    // The first run started is the one Program() and Windows() speak of.
    QProcess& StartProgram(const QStringList& arguments = {}) {
        QProcess& run = Launch(kProgram, arguments, true);
        if (!program_) program_ = &run;
        return run;
    }
    // Arguments for the X server, before Open (a screen size, a second screen...).
    void SetServerArguments(const QStringList& arguments) { serverArguments_ = arguments; }
    // A variable of the program's environment for its next runs; a null value removes it.
    void SetProgramVariable(const QString& name, const QString& value) {
        programVariables_[name] = value;
    }
    QString FolderPath(const QString& sub) const { return root_.filePath(sub); }

    const std::vector<Channels>& InitialGammas() const { return initialGammas_; }
    std::vector<Channels> Gammas() const { return ReadCrtcGammas(Display().constData()); }
    // True when every gamma-capable CRTC (and at least one) carries `ramp`.
    bool Carries(const GammaRamp& ramp) const {
        const std::vector<Channels> crtcs = Gammas();
        return !crtcs.empty() && std::ranges::all_of(crtcs, [&](const Channels& crtc) {
            const int size = static_cast<int>(crtc[0].size());
            return crtc == Channels{ResampleChannel(ramp.red, size),
                                    ResampleChannel(ramp.green, size),
                                    ResampleChannel(ramp.blue, size)};
        });
    }

    // Through the program's own store: writes `store` when given, then reads back what is kept;
    // nullopt when the store cannot open the database.
    std::optional<StoredFilter> Filter(std::optional<StoredFilter> store = std::nullopt) const {
        std::optional<StoredFilter> kept;
        WithStore([&] {
            if (store) {
                SettingsStore::StorePercent(store->percent);
                SettingsStore::StoreEyeProtectOn(store->on);
            }
            kept = StoredFilter{SettingsStore::GetEyeProtectOn(), SettingsStore::GetPercent()};
        });
        return kept;
    }
    // Runs `use` with the program's store open on this desk's data folder (to seed it before a
    // run or read it after one). False when the store cannot open the database.
    bool WithStore(const std::function<void()>& use) const {
        qputenv("XDG_DATA_HOME", QFile::encodeName(root_.filePath("data")));
        if (!SettingsStore::OpenSettings()) return false;
        use();
        SettingsStore::CloseSettings();
        return true;
    }

    // A tool's standard output; empty when it failed (an xdotool search that finds nothing too).
    QByteArray RunTool(const QString& tool, const QStringList& arguments) const {
        QProcess process;
        process.setProcessEnvironment(Environment(false));
        process.start(tool, arguments);
        const bool ran = process.waitForFinished(kWaitMs) && process.exitCode() == 0;
        return ran ? process.readAllStandardOutput() : QByteArray();
    }
    QByteArray Xdotool(const QStringList& arguments) const { return RunTool("xdotool", arguments); }
    // Moves there first: X delivers a click where the pointer is.
    void Click(const QPoint& screen, int button = 1, int count = 1) const {
        Xdotool({"mousemove", QString::number(screen.x()), QString::number(screen.y()), "click",
                 "--repeat", QString::number(count), "--delay", "100", QString::number(button)});
    }
    QImage Grab(const QRect& rect) const {
        const QString file = root_.filePath("grab.png");
        QFile::remove(file);
        RunTool(kGrabTool, {file, QString::number(rect.x()), QString::number(rect.y()),
                            QString::number(rect.width()), QString::number(rect.height())});
        return QImage(file);
    }

    // Viewable windows of an xdotool search; with no terms, the program's own.
    QList<WindowInfo> Windows(QStringList search = {}) const {
        // --all: the pid and the (match-everything) name must both hold, not either.
        if (search.isEmpty())
            search = {"--all", "--pid", QString::number(program_->processId()), "--name", ""};
        const QString out = Xdotool(QStringList{"search", "--onlyvisible"} + search +
                                    QStringList{"getwindowgeometry", "--shell", "%@"});
        static const QRegularExpression shell(
            R"(WINDOW=(\d+)\nX=(-?\d+)\nY=(-?\d+)\nWIDTH=(\d+)\nHEIGHT=(\d+))");
        QList<WindowInfo> windows;
        for (const QRegularExpressionMatch& m : shell.globalMatch(out)) {
            const auto at = [&m](int i) { return m.captured(i).toInt(); };
            windows.append({m.captured(1).toULong(), QRect(at(2), at(3), at(4), at(5))});
        }
        return windows;
    }
    QList<WindowInfo> TitledWindows() const { return Windows({"--name", "^" + kTitle + "$"}); }
    std::optional<WindowInfo> MainWindow() const {
        return First(TitledWindows(),
                     [](const WindowInfo& w) { return w.rect.size() == kMainSize; });
    }
    // The tray panel's icon of the program: its one small viewable window.
    std::optional<WindowInfo> TrayIcon() const {
        return First(Windows(), [](const WindowInfo& w) {
            return w.rect.width() <= 48 && w.rect.height() <= 48;
        });
    }
    unsigned long FocusedWindow() const {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(X(), &focus, &revert);
        return focus;
    }

  private:
    bool Fail(const QString& what) {
        failure_ = what.toLocal8Bit();
        return false;
    }

    // The program's own folders, and no session bus so that its tray is the XEmbed one.
    QProcessEnvironment Environment(bool forProgram) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("WAYLAND_DISPLAY");
        env.remove("XDG_SESSION_TYPE");  // an X11 desk, even when the tests run in Wayland's
        env.remove("XAUTHORITY");
        env.insert("DISPLAY", QString::fromLatin1(Display()));
        env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + root_.filePath("no-bus"));
        env.insert("XDG_RUNTIME_DIR", root_.filePath(forProgram ? "runtime" : "tool-runtime"));
        if (forProgram) {
            env.insert("XDG_DATA_HOME", root_.filePath("data"));
            env.insert("XDG_CONFIG_HOME", root_.filePath("config"));
            env.insert("QT_QPA_PLATFORM", "xcb");
            for (auto it = programVariables_.begin(); it != programVariables_.end(); ++it) {
                if (it.value().isNull())
                    env.remove(it.key());
                else
                    env.insert(it.key(), it.value());
            }
        }
        return env;
    }

    QProcess& Launch(const QString& executable, const QStringList& arguments,
                     bool isProgram = false) {
        QProcess& child = *children_.emplace_back(std::make_unique<QProcess>());
        child.setProcessEnvironment(Environment(isProgram));
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(executable, arguments);
        child.waitForStarted(kWaitMs);
        return child;
    }

    QTemporaryDir root_;
    QStringList serverArguments_;
    QMap<QString, QString> programVariables_;
    XvfbServer xvfb_;
    // After xvfb_, so closed before the server ends.
    std::unique_ptr<::Display, int (*)(::Display*)> x_{nullptr, XCloseDisplay};
    std::vector<Channels> initialGammas_;
    std::vector<std::unique_ptr<QProcess>> children_;  // the tray panel, then the program's runs
    QProcess* program_ = nullptr;
    WindowInfo main_;
    QByteArray failure_;
};

}  // namespace e2e
