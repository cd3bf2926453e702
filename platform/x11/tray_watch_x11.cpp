#include <QByteArray>

#include "platform/log.h"
#include "platform/x11/services_x11.h"

// Last: Xlib defines macros (Bool, Status, None...) that clash with Qt's own names.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

namespace x11 {

std::unique_ptr<platform::Watch> Services::WatchTraySelection(std::function<void()> changed) {
    Display* display = connection_.Get();
    if (display == nullptr) {
        qCWarning(lcPlatform) << "no X connection to follow the tray";
        return nullptr;
    }
    int fixesEventBase = 0;
    int errorBase = 0;
    if (!XFixesQueryExtension(display, &fixesEventBase, &errorBase)) {
        qCWarning(lcPlatform) << "the X server has no XFixes: a tray that comes later goes unseen";
        return nullptr;
    }
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(DefaultScreen(display));
    const Atom selection = XInternAtom(display, name.constData(), False);
    XFixesSelectSelectionInput(display, DefaultRootWindow(display), selection,
                               XFixesSetSelectionOwnerNotifyMask |
                                   XFixesSelectionWindowDestroyNotifyMask |
                                   XFixesSelectionClientCloseNotifyMask);
    XFlush(display);
    return connection_.Listen(
        [fixesEventBase, selection, changed = std::move(changed)](XEvent& event) {
            if (event.type != fixesEventBase + XFixesSelectionNotify) return;
            if (reinterpret_cast<const XFixesSelectionNotifyEvent&>(event).selection == selection)
                changed();
        });
}

}  // namespace x11
