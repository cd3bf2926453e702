#pragma once

#include "platform/platform.h"
#include "platform/x11/connection.h"
#include "platform/x11/gamma_x11.h"

namespace x11 {

// The X11 services on one shared connection. Under XWayland the gamma one is `nullGamma`:
// ramps loaded there never reach the screen.
class Services final : public platform::Services {
  public:
    Services(platform::Kind kind, GammaBackend& nullGamma);
    ~Services() override;

    platform::Kind Which() const override { return kind_; }
    GammaBackend& Gamma() override;
    bool CompositorRunning() override;
    void KeepOutOfTaskbar(WId window) override;
    void ListInTaskbar(WId window) override;
    QRect WorkArea(const QScreen* screen) override;
    std::unique_ptr<platform::Watch> KeepAbove(
        std::vector<WId> windows, std::function<std::vector<WId>()> allowedAbove) override;
    std::unique_ptr<platform::Watch> WatchTraySelection(std::function<void()> changed) override;
    std::unique_ptr<platform::Presence> WatchPresence() override;
    platform::SoundPlayer& Sounds() override { return *sounds_; }

  private:
    // The desktop's sound theme and switch as its settings daemon publishes them (XSETTINGS).
    platform::SoundTheme SoundThemeNow();

    platform::Kind kind_;
    Connection connection_;
    X11GammaBackend gamma_;
    GammaBackend& nullGamma_;
    std::unique_ptr<platform::SoundPlayer> sounds_;
};

}  // namespace x11
