#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <vector>

#include "platform/x11/services_x11.h"
#include "platform/x11/work_area.h"

#include <X11/Xatom.h>  // last: Xlib's macros clash with Qt's names
#include <X11/Xlib.h>

namespace x11 {

namespace {

// Qt's own connection, the one that has just created the window: on another, a request could
// reach the server before the window does.
Display* QtDisplay() {
    auto* qtX11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return qtX11 ? qtX11->display() : nullptr;
}

void SetAtoms(Display* display, Window window, const char* name,
              const std::vector<unsigned long>& atoms) {
    XChangeProperty(display, window, XInternAtom(display, name, False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(atoms.data()),
                    static_cast<int>(atoms.size()));
    XFlush(display);
}

}  // namespace

// `area` less what one window's struts reserve along the root window's edges, where they reach
// into it (a panel on another monitor leaves this one alone).
void SubtractStrut(QRect& area, const std::vector<unsigned long>& strut, const QSize& root) {
    if (strut.size() < 4) return;
    const auto at = [&strut](std::size_t i) { return static_cast<int>(strut[i]); };
    // _NET_WM_STRUT_PARTIAL gives the span of each strut; _NET_WM_STRUT the whole edge.
    const bool partial = strut.size() >= 12;
    const auto spans = [&](std::size_t first, int low, int high) {
        return !partial || (at(first) <= high && at(first + 1) >= low);
    };
    if (at(0) > area.left() && spans(4, area.top(), area.bottom())) area.setLeft(at(0));
    if (root.width() - at(1) <= area.right() && spans(6, area.top(), area.bottom()))
        area.setRight(root.width() - at(1) - 1);
    if (at(2) > area.top() && spans(8, area.left(), area.right())) area.setTop(at(2));
    if (root.height() - at(3) <= area.bottom() && spans(10, area.left(), area.right()))
        area.setBottom(root.height() - at(3) - 1);
}

bool Services::CompositorRunning() {
    Display* display = connection_.Get();
    if (!display) return false;
    // A compositing manager owns the _NET_WM_CM_Sn selection of its screen.
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(display));
    const Atom atom = XInternAtom(display, name.constData(), False);
    return XGetSelectionOwner(display, atom) != None;
}

void Services::KeepOutOfTaskbar(WId id) {
    Display* display = QtDisplay();
    if (!display || id == 0) return;
    const auto window = static_cast<Window>(id);
    // Added to what is there: Qt puts its own states (on top) into the same property when it
    // maps the window, and keeps what it finds.
    std::vector<unsigned long> states = Property(display, window, "_NET_WM_STATE", XA_ATOM);
    for (const char* name : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
        const Atom atom = XInternAtom(display, name, False);
        if (std::find(states.begin(), states.end(), atom) == states.end()) states.push_back(atom);
    }
    SetAtoms(display, window, "_NET_WM_STATE", states);
}

void Services::ListInTaskbar(WId id) {
    Display* display = QtDisplay();
    if (!display || id == 0) return;
    const auto window = static_cast<Window>(id);
    // xfwm4 lists no dialog whose owner is mapped; a normal window that names its owner in
    // WM_TRANSIENT_FOR (as Qt does for a dialog) is listed, and still kept above it.
    std::vector<unsigned long> types = Property(display, window, "_NET_WM_WINDOW_TYPE", XA_ATOM);
    std::erase(types, XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False));
    const Atom normal = XInternAtom(display, "_NET_WM_WINDOW_TYPE_NORMAL", False);
    if (std::find(types.begin(), types.end(), normal) == types.end()) types.push_back(normal);
    SetAtoms(display, window, "_NET_WM_WINDOW_TYPE", types);
}

// The monitor less the docks' struts, and within _NET_WORKAREA where the window manager sets it:
// Qt reads _NET_WORKAREA alone, which covers all monitors at once and so is ignored once there is
// more than one.
QRect Services::WorkArea(const QScreen* screen) {
    if (screen == nullptr) return {};
    Display* display = connection_.Get();
    if (display == nullptr) return screen->availableGeometry();
    // Struts count device pixels; Qt's geometry keeps the screen's origin and scales its size.
    const qreal ratio = screen->devicePixelRatio();
    const QRect logical = screen->geometry();
    QRect area(logical.topLeft(), logical.size() * ratio);
    const Window root = DefaultRootWindow(display);
    const QSize rootSize(DisplayWidth(display, DefaultScreen(display)),
                         DisplayHeight(display, DefaultScreen(display)));
    ErrorTrap trap;  // a window may go while it is read
    for (const unsigned long client : Property(display, root, "_NET_CLIENT_LIST", XA_WINDOW)) {
        std::vector<unsigned long> strut =
            Property(display, client, "_NET_WM_STRUT_PARTIAL", XA_CARDINAL);
        if (strut.empty()) strut = Property(display, client, "_NET_WM_STRUT", XA_CARDINAL);
        SubtractStrut(area, strut, rootSize);
    }
    // The window manager's own account, where it gives one, on this monitor: it knows of
    // reserved space that no dock announces.
    const std::vector<unsigned long> desktop =
        Property(display, root, "_NET_CURRENT_DESKTOP", XA_CARDINAL);
    const std::vector<unsigned long> workareas =
        Property(display, root, "_NET_WORKAREA", XA_CARDINAL);
    const std::size_t at = 4 * (desktop.empty() ? 0 : desktop.front());
    if (workareas.size() >= at + 4) {
        const QRect managed(static_cast<int>(workareas[at]), static_cast<int>(workareas[at + 1]),
                            static_cast<int>(workareas[at + 2]),
                            static_cast<int>(workareas[at + 3]));
        if (const QRect both = area & managed; !both.isEmpty()) area = both;
    }
    XSync(display, False);
    connection_.DrainSoon();
    if (area.isEmpty()) return logical;  // struts that leave nothing are not believed
    return QRect(logical.topLeft() + (area.topLeft() - logical.topLeft()) / ratio,
                 area.size() / ratio);
}

}  // namespace x11
