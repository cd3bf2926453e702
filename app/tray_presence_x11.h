#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;
struct _XDisplay;

// Tells when the owner of the X screen's tray selection (_NET_SYSTEM_TRAY_S<n>) changes: a tray
// manager starting, ending or crashing. A connection of its own with the XFixes selection
// events, read when the X server writes to it.
class TraySelectionWatch {
  public:
    TraySelectionWatch(std::function<void()> changed, QObject* context);
    ~TraySelectionWatch();
    TraySelectionWatch(const TraySelectionWatch&) = delete;
    TraySelectionWatch& operator=(const TraySelectionWatch&) = delete;

  private:
    void Drain();

    std::function<void()> changed_;
    _XDisplay* display_ = nullptr;
    int fixesEventBase_ = 0;
    QSocketNotifier* notifier_ = nullptr;
};
