#include "platform/x11/connection.h"

#include <QMetaObject>
#include <QSocketNotifier>
#include <algorithm>

// Last: Xlib defines macros (Bool, Status, None...) that clash with Qt's own names.
#include <X11/Xlib.h>

namespace x11 {

namespace {

struct TrappedError {
    int count = 0;
    int code = 0;
    int request = 0;
    int minor = 0;
};
TrappedError g_error;

int CountError(Display*, XErrorEvent* event) {
    if (g_error.count++ == 0) {
        g_error.code = event->error_code;
        g_error.request = event->request_code;
        g_error.minor = event->minor_code;
    }
    return 0;
}

}  // namespace

std::vector<unsigned long> Property(Display* display, Window window, const char* name, Atom type) {
    std::vector<unsigned long> items;
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 4096, False, type,
                           &actual, &format, &count, &after, &data) == Success &&
        data) {
        if (actual == type && format == 32) {
            const auto* values = reinterpret_cast<const unsigned long*>(data);
            items.assign(values, values + count);
        }
        XFree(data);
    }
    return items;
}

ErrorTrap::ErrorTrap() : previous_(reinterpret_cast<void (*)()>(XSetErrorHandler(&CountError))) {
    g_error = {};
}

ErrorTrap::~ErrorTrap() {
    XSetErrorHandler(reinterpret_cast<XErrorHandler>(previous_));
}

int ErrorTrap::Count() const {
    return g_error.count;
}
int ErrorTrap::Code() const {
    return g_error.code;
}
int ErrorTrap::Request() const {
    return g_error.request;
}
int ErrorTrap::Minor() const {
    return g_error.minor;
}

class Connection::Listening final : public platform::Watch {
  public:
    Listening(Connection& connection, int id) : connection_(connection), id_(id) {}
    ~Listening() override {
        std::erase_if(connection_.listeners_, [this](const auto& l) { return l.first == id_; });
    }

  private:
    Connection& connection_;
    int id_;
};

Connection::Connection() = default;

Connection::~Connection() {
    notifier_.reset();
    if (display_ != nullptr) XCloseDisplay(display_);
}

Display* Connection::Get() {
    if (display_ != nullptr) return display_;
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) return nullptr;
    notifier_ =
        std::make_unique<QSocketNotifier>(ConnectionNumber(display_), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { Drain(); });
    return display_;
}

std::unique_ptr<platform::Watch> Connection::Listen(std::function<void(XEvent&)> handler) {
    const int id = nextListener_++;
    listeners_.emplace_back(id, std::move(handler));
    return std::make_unique<Listening>(*this, id);
}

void Connection::DrainSoon() {
    if (display_ == nullptr || QLength(display_) == 0) return;
    QMetaObject::invokeMethod(
        notifier_.get(), [this] { Drain(); }, Qt::QueuedConnection);
}

void Connection::Drain() {
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        // A copy: a handler may stop its own watch.
        const auto listeners = listeners_;
        for (const auto& listener : listeners) listener.second(event);
    }
}

}  // namespace x11
