#include "ui/compositor.h"

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>

#include <X11/Xlib.h>  // last: its macros clash with Qt's names

namespace ui {

bool CompositorRunning() {
    const QString platform = QGuiApplication::platformName();
    if (platform.startsWith(QLatin1String("wayland"))) return true;  // always composited
    if (platform != QLatin1String("xcb")) return false;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return false;
    // A compositing manager owns the _NET_WM_CM_Sn selection of its screen.
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(display));
    const Atom atom = XInternAtom(display, name.constData(), False);
    return XGetSelectionOwner(display, atom) != None;
}

}  // namespace ui
