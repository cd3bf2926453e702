#include "app/tray_presence_x11.h"

#include <QByteArray>
#include <QSocketNotifier>

#include "app/log.h"

// Last: Xlib defines macros (Bool, Status, None...) that clash with Qt's own names.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

TraySelectionWatch::TraySelectionWatch(std::function<void()> changed, QObject* context)
    : changed_(std::move(changed)) {
    display_ = XOpenDisplay(nullptr);
    if (!display_) {
        qCWarning(lcApp) << "no X connection to follow the tray";
        return;
    }
    int errorBase = 0;
    if (!XFixesQueryExtension(display_, &fixesEventBase_, &errorBase)) {
        qCWarning(lcApp) << "the X server has no XFixes: a tray that comes later goes unseen";
        XCloseDisplay(display_);
        display_ = nullptr;
        return;
    }
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(DefaultScreen(display_));
    const Atom selection = XInternAtom(display_, name.constData(), False);
    XFixesSelectSelectionInput(display_, DefaultRootWindow(display_), selection,
                               XFixesSetSelectionOwnerNotifyMask |
                                   XFixesSelectionWindowDestroyNotifyMask |
                                   XFixesSelectionClientCloseNotifyMask);
    XFlush(display_);
    notifier_ = new QSocketNotifier(ConnectionNumber(display_), QSocketNotifier::Read, context);
    QObject::connect(notifier_, &QSocketNotifier::activated, context, [this] { Drain(); });
}

TraySelectionWatch::~TraySelectionWatch() {
    delete notifier_;
    if (display_) XCloseDisplay(display_);
}

void TraySelectionWatch::Drain() {
    bool changed = false;
    // XPending reads what the server sent; every event here is about the tray selection.
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == fixesEventBase_ + XFixesSelectionNotify) changed = true;
    }
    if (changed) changed_();
}
