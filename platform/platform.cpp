#include "platform/platform.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include "platform/gamma.h"
#include "platform/log.h"
#include "platform/presence.h"
#include "platform/presence_parts.h"
#include "platform/x11/presence_x11.h"
#include "platform/x11/services_x11.h"

namespace platform {

namespace {

// Nowhere to load a ramp: every call does nothing, quietly, and claims nothing.
class NullGamma final : public GammaBackend {
  public:
    const char* Name() const override { return "none"; }
    bool ReachesScreen() const override { return false; }
    bool Apply(const GammaRamp&) override { return false; }
};

class NullServices final : public Services {
  public:
    Kind Which() const override { return Kind::Null; }
    GammaBackend& Gamma() override { return gamma_; }
    bool CompositorRunning() override {
        // A Wayland compositor is one; the offscreen and minimal platforms have none.
        return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    }
    void KeepOutOfTaskbar(WId) override {}
    void ListInTaskbar(WId) override {}
    QRect WorkArea(const QScreen* screen) override {
        return screen ? screen->availableGeometry() : QRect();
    }
    std::unique_ptr<Watch> KeepAbove(std::vector<WId>, std::function<std::vector<WId>()>) override {
        return nullptr;
    }
    std::unique_ptr<Watch> WatchTraySelection(std::function<void()>) override { return nullptr; }
    std::unique_ptr<Presence> WatchPresence() override { return std::make_unique<Presence>(); }
    SoundPlayer& Sounds() override { return *sounds_; }

  private:
    NullGamma gamma_;
    // A Wayland desktop has a sound server as any other; its theme is the library's default.
    std::unique_ptr<SoundPlayer> sounds_ =
        QGuiApplication::platformName().startsWith(QLatin1String("wayland")) ? MakeCanberraPlayer()
                                                                             : MakeSilentPlayer();
};

NullGamma g_nullGamma;
std::unique_ptr<Services> g_chosen;

}  // namespace

Kind ChooseKind(const QString& platformName, const QString& sessionType) {
    if (platformName != QLatin1String("xcb")) return Kind::Null;
    return sessionType.compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0 ? Kind::XWayland
                                                                                   : Kind::X11;
}

Services& Current() {
    if (g_chosen) return *g_chosen;
    static NullServices beforeTheApplication;
    if (qGuiApp == nullptr) return beforeTheApplication;
    const Kind kind =
        ChooseKind(QGuiApplication::platformName(), qEnvironmentVariable("XDG_SESSION_TYPE"));
    if (kind == Kind::Null)
        g_chosen = std::make_unique<NullServices>();
    else
        g_chosen = std::make_unique<x11::Services>(kind, g_nullGamma);
    if (kind == Kind::XWayland)
        qCInfo(lcPlatform) << "a Wayland session: gamma ramps of X11 clients do not reach the "
                              "screen, the blue-light filter is not loaded";
    // Its notifiers belong to the application's event loop: they go with it.
    qAddPostRoutine([] { g_chosen.reset(); });
    return *g_chosen;
}

}  // namespace platform

namespace x11 {

Services::Services(platform::Kind kind, GammaBackend& nullGamma)
    : kind_(kind),
      gamma_(connection_),
      nullGamma_(nullGamma),
      sounds_(platform::MakeCanberraPlayer([this] { return SoundThemeNow(); })) {}

Services::~Services() = default;

GammaBackend& Services::Gamma() {
    return kind_ == platform::Kind::XWayland ? nullGamma_ : gamma_;
}

std::unique_ptr<platform::Presence> Services::WatchPresence() {
    using platform::Presence;
    std::vector<Presence::MakePart> away{&platform::WatchLogind, &platform::WatchScreenSaver};
    std::vector<Presence::MakePart> busy{&platform::WatchDoNotDisturb, &platform::WatchCalls};
    // Under XWayland the X server sees neither the input nor the windows of Wayland clients.
    if (kind_ == platform::Kind::X11) {
        away.push_back([this](Presence& presence) { return WatchIdle(connection_, presence); });
        busy.push_back(
            [this](Presence& presence) { return WatchFullScreen(connection_, presence); });
    }
    return std::make_unique<Presence>(std::move(away), std::move(busy));
}

}  // namespace x11
