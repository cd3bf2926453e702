#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <set>

#include "platform/log.h"
#include "platform/x11/services_x11.h"
#include "platform/x11/stacking.h"

// Last: Xlib defines macros (Bool, Status, None...) that clash with Qt's own names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace x11 {

std::optional<unsigned long> SiblingToGoAbove(const std::vector<Stacked>& stack) {
    const auto top = std::find_if(stack.rbegin(), stack.rend(), [](const Stacked& s) {
        return s.covers && !s.kept && !s.allowed;
    });
    if (top == stack.rend()) return std::nullopt;
    const auto kept =
        std::count_if(stack.begin(), stack.end(), [](const Stacked& s) { return s.kept; });
    // Going up from it: every kept window, before anything else that covers.
    long long keptSeen = 0;
    for (auto it = top.base(); it != stack.end() && keptSeen < kept; ++it) {
        if (it->kept)
            ++keptSeen;
        else if (it->covers)
            break;
    }
    if (kept == 0 || keptSeen == kept) return std::nullopt;
    return top->id;
}

namespace {

// Restacks more often than this in a second mean another program fights for the top: step back
// for a moment rather than spin with it.
constexpr int kMostRestacksPerSecond = 20;
constexpr int kStepBackMs = 2000;

// The child of the root that holds `window`: the window itself, or the frame the window manager
// put it in.
Window TopLevelOf(Display* display, Window window) {
    const Window root = DefaultRootWindow(display);
    while (window != 0 && window != root) {
        Window rootReturn = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, window, &rootReturn, &parent, &children, &count)) return 0;
        if (children) XFree(children);
        if (parent == root) return window;
        window = parent;
    }
    return 0;
}

Window ActiveWindow(Display* display) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Window active = 0;
    if (XGetWindowProperty(display, DefaultRootWindow(display),
                           XInternAtom(display, "_NET_ACTIVE_WINDOW", False), 0, 1, False,
                           XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
        data) {
        if (type == XA_WINDOW && format == 32 && count == 1)
            active = *reinterpret_cast<const unsigned long*>(data);
        XFree(data);
    }
    return active;
}

class KeptAbove final : public platform::Watch {
  public:
    KeptAbove(Connection& connection, std::vector<WId> windows,
              std::function<std::vector<WId>()> allowedAbove)
        : connection_(connection),
          kept_(windows.begin(), windows.end()),
          allowedAbove_(std::move(allowedAbove)) {
        Display* display = connection_.Get();
        const Window root = DefaultRootWindow(display);
        previousActive_ = ActiveWindow(display);
        // Added to what this connection selects on the root already (other services share it).
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, root, &attributes)) {
            addedMask_ = SubstructureNotifyMask & ~attributes.your_event_mask;
            XSelectInput(display, root, attributes.your_event_mask | SubstructureNotifyMask);
        }
        // Events come in bursts (a window manager restacks many frames at once): one look after
        // each burst.
        settle_.setSingleShot(true);
        settle_.setInterval(0);
        QObject::connect(&settle_, &QTimer::timeout, [this] { Restack(); });
        listening_ = connection_.Listen([this](XEvent& event) {
            if (event.type == ConfigureNotify || event.type == MapNotify ||
                event.type == CirculateNotify)
                settle_.start();
        });
        rate_.start();
        Restack();
    }

    ~KeptAbove() override {
        listening_.reset();
        Display* display = connection_.Get();
        if (!display) return;
        ErrorTrap trap;  // the window active before may have gone meanwhile
        const Window root = DefaultRootWindow(display);
        XWindowAttributes attributes;
        if (addedMask_ != 0 && XGetWindowAttributes(display, root, &attributes))
            XSelectInput(display, root, attributes.your_event_mask & ~addedMask_);
        // The keyboard goes back where it was, through the window manager.
        if (previousActive_ != 0) {
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = previousActive_;
            event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
            event.xclient.format = 32;
            event.xclient.data.l[0] = 2;  // from a pager: the window manager does not refuse it
            event.xclient.data.l[1] = CurrentTime;
            XSendEvent(display, root, False, SubstructureNotifyMask | SubstructureRedirectMask,
                       &event);
        }
        XSync(display, False);
        connection_.DrainSoon();
    }

  private:
    void Restack() {
        if (!stepBack_.hasExpired()) return;  // expired from the start
        Display* display = connection_.Get();
        if (!display) return;
        ErrorTrap trap;  // windows come and go while they are looked at
        const Window root = DefaultRootWindow(display);
        std::set<Window> allowed;
        for (const WId id : allowedAbove_())
            if (const Window top = TopLevelOf(display, static_cast<Window>(id)))
                allowed.insert(top);
        Window rootReturn = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, root, &rootReturn, &parent, &children, &count)) return;
        std::vector<Stacked> stack;
        stack.reserve(count);
        for (unsigned int i = 0; i < count; ++i) {
            Stacked s;
            s.id = children[i];
            s.kept = kept_.count(children[i]) > 0;
            s.allowed = allowed.count(children[i]) > 0;
            XWindowAttributes a;
            // Unmapped windows, input-only ones and others' menus and notifications hide
            // nothing the window manager would raise over a break: the screen locker's window
            // is one of the last, and stays above.
            s.covers = !s.kept && XGetWindowAttributes(display, children[i], &a) &&
                       a.map_state == IsViewable && a.c_class == InputOutput &&
                       (!a.override_redirect || s.allowed);
            stack.push_back(s);
        }
        if (children) XFree(children);
        const std::optional<unsigned long> sibling = SiblingToGoAbove(stack);
        if (!sibling) {
            XSync(display, False);
            connection_.DrainSoon();
            return;
        }
        Window below = *sibling;
        for (const Stacked& s : stack) {
            if (!s.kept) continue;
            XWindowChanges changes{};
            changes.sibling = below;
            changes.stack_mode = Above;
            XConfigureWindow(display, s.id, CWSibling | CWStackMode, &changes);
            below = s.id;
        }
        XSync(display, False);
        connection_.DrainSoon();
        qCDebug(lcPlatform) << "kept above: restacked over" << Qt::hex << *sibling;
        if (++restacks_ > kMostRestacksPerSecond) {
            if (rate_.elapsed() < 1000) {
                qCWarning(lcPlatform) << "another window fights for the top of the screen; "
                                         "stepping back for a moment";
                stepBack_.setRemainingTime(kStepBackMs);
                QTimer::singleShot(kStepBackMs, &settle_, [this] { settle_.start(); });
            }
            restacks_ = 0;
            rate_.restart();
        }
    }

    Connection& connection_;
    std::set<Window> kept_;
    std::function<std::vector<WId>()> allowedAbove_;
    std::unique_ptr<platform::Watch> listening_;
    QTimer settle_;
    QElapsedTimer rate_;
    QDeadlineTimer stepBack_;
    int restacks_ = 0;
    long addedMask_ = 0;
    Window previousActive_ = 0;
};

}  // namespace

std::unique_ptr<platform::Watch> Services::KeepAbove(
    std::vector<WId> windows, std::function<std::vector<WId>()> allowedAbove) {
    if (connection_.Get() == nullptr || windows.empty()) return nullptr;
    return std::make_unique<KeptAbove>(connection_, std::move(windows), std::move(allowedAbove));
}

}  // namespace x11
