#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/platform.h"

class QSocketNotifier;
struct _XDisplay;
union _XEvent;

namespace x11 {

// The one X connection every X11 service of the program shares, opened on first use and kept.
// Its events are read when the X server writes to it (a QSocketNotifier on the UI thread) and
// handed to every listener; nothing polls.
class Connection {
  public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Nullptr while no X server can be reached ($DISPLAY); tried again on the next call.
    _XDisplay* Get();
    // `handler` sees each event of this connection until the returned watch goes.
    std::unique_ptr<platform::Watch> Listen(std::function<void(_XEvent&)> handler);
    // A round trip reads pending events into Xlib's queue, where the socket no longer shows
    // them: they are handed out from the event loop.
    void DrainSoon();

  private:
    class Listening;
    void Drain();

    _XDisplay* display_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::vector<std::pair<int, std::function<void(_XEvent&)>>> listeners_;
    int nextListener_ = 0;
};

// A property of 32-bit items of `window` (atoms, windows, cardinals); empty when the window has
// none of that type, or is gone.
std::vector<unsigned long> Property(_XDisplay* display, unsigned long window, const char* name,
                                    unsigned long type);

// Counts X protocol errors while it lives instead of letting Xlib's default handler print and
// exit: a CRTC or window vanishing mid-request must not take the program down.
class ErrorTrap {
  public:
    ErrorTrap();
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // After XSync: errors arrive asynchronously.
    int Count() const;
    // The first error's code, request and minor request.
    int Code() const;
    int Request() const;
    int Minor() const;

  private:
    void (*previous_)();  // Xlib's XErrorHandler, whose event type has no name to declare
};

}  // namespace x11
