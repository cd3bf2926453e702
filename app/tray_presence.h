#pragma once

#include <QObject>
#include <QTimer>
#include <memory>

namespace platform {
class Watch;
}

// Whether the desktop offers a system tray, followed as panels come and go: an XEmbed tray
// manager on the X screen, or a StatusNotifierItem host on the session bus. It listens for the
// changes (X selection-owner events, D-Bus name and host signals) and polls nothing, so at rest
// it costs nothing.
class TrayPresence : public QObject {
    Q_OBJECT
  public:
    explicit TrayPresence(QObject* parent = nullptr);
    ~TrayPresence() override;

    bool IsAvailable() const { return available_; }

  signals:
    void AvailabilityChanged(bool available);

  private slots:
    // A tray may have come or gone; Qt's own view of it settles a moment later.
    void SomethingChanged();

  private:
    void Recheck();

    bool available_ = false;
    QTimer settle_;
    std::unique_ptr<platform::Watch> xembed_;
};
