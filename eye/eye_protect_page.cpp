#include "eye/eye_protect_page.h"

#include <QScreen>
#include <algorithm>

#include "data/settings_store.h"
#include "eye/gamma_filter.h"
#include "ui/circle_slider.h"
#include "ui/controls.h"

namespace {

struct Mode {
    const char* option;
    int percent;
    const char* tip;
};
// In the order of Controls::options.
constexpr std::array<Mode, 4> kModes{{
    {"opt_inter", 15, "根据晨夜光感不同，智能调节防蓝光强度"},
    {"opt_office", 20, "适当过滤蓝色光，便于在工作中集中注意力"},
    {"opt_game", 10, "完美展示特效，颜色比例保持真实度"},
    {"opt_movie", 30, "增强防蓝光强度，烘托影片氛围"},
}};
// Any strength that is no mode's, 0 (off) included.
const char* const kNoModeTip = "建议开启智能模式，可有效过滤蓝光辐射";
// In place of every tip where no ramp reaches the screen (X11 clients of a Wayland session).
const char* const kNoFilterHereTip = "当前桌面暂不支持防蓝光滤镜";

// The filter's strengths: a stored value outside them is shown as the strength it loads.
constexpr int kMinPercent = 0;
constexpr int kMaxPercent = 100;

constexpr double kFallbackRefreshRate = 60;

}  // namespace

CEyeProtectDlg::CEyeProtectDlg() {
    previewTimer_.setSingleShot(true);
    previewTimer_.setTimerType(Qt::PreciseTimer);
    connect(&previewTimer_, &QTimer::timeout, this, &CEyeProtectDlg::FlushPreview);
}

CEyeProtectDlg::~CEyeProtectDlg() = default;

ui::Control* CEyeProtectDlg::CreateControl(const QString& tag) {
    if (tag == QLatin1String("CircleSlider")) return new CCircleSliderUI;
    return nullptr;
}

void CEyeProtectDlg::InitControls() {
    c_.checkBlueAvoid = Find<ui::Option>("check_blue_avoid");
    for (std::size_t i = 0; i < kModes.size(); ++i)
        c_.options[i] = Find<ui::Option>(kModes[i].option);
    c_.gauge = Find<CCircleSliderUI>("progress_blue_avoid");
    c_.labelPercent = Find("label_percent");
    c_.labelTips = Find("label_tips");
    found_ = true;
}

void CEyeProtectDlg::OnInit() {
    InitControls();
    if (c_.checkBlueAvoid)
        connect(c_.checkBlueAvoid, &ui::Option::clicked, this, &CEyeProtectDlg::OnSwitch);
    for (std::size_t i = 0; i < kModes.size(); ++i) {
        if (!c_.options[i]) continue;
        connect(c_.options[i], &ui::Option::clicked, this, [this, percent = kModes[i].percent] {
            SetBluePercent(percent);
            ShowPercent(percent);
        });
    }
    if (c_.gauge) {
        connect(c_.gauge, &CCircleSliderUI::valueChanging, this, &CEyeProtectDlg::OnGaugeMoving);
        connect(c_.gauge, &CCircleSliderUI::valueChanged, this, &CEyeProtectDlg::OnGaugeSettled);
    }
    Refresh();
}

void CEyeProtectDlg::OnSystemCommand(ui::SystemCommand command) {
    // A page lives inside the main window: it is never closed on its own.
    if (command == ui::SystemCommand::Close) return;
    ui::WindowBase::OnSystemCommand(command);
}

void CEyeProtectDlg::OnVisibilityChanged(bool visible) {
    if (visible) Refresh();
}

void CEyeProtectDlg::Refresh() {
    if (!found_) return;
    const bool on = SettingsStore::GetEyeProtectOn();
    if (c_.checkBlueAvoid) c_.checkBlueAvoid->Selected(on);
    for (ui::Option* option : c_.options)
        if (option) option->setEnabled(on);
    if (c_.gauge) c_.gauge->SetAdjustable(on);
    ShowPercent(UsedPercent());
}

void CEyeProtectDlg::ShowPercent(int percent) {
    if (!found_) return;
    const int shown = std::clamp(percent, kMinPercent, kMaxPercent);
    if (c_.labelPercent) c_.labelPercent->SetText(QStringLiteral("%1%").arg(shown));
    if (c_.gauge) c_.gauge->SetValue(shown);
    const char* tip = kNoModeTip;
    for (std::size_t i = 0; i < kModes.size(); ++i) {
        const bool chosen = kModes[i].percent == shown;
        if (chosen) tip = kModes[i].tip;
        if (c_.options[i]) c_.options[i]->Selected(chosen);
    }
    if (!FilterReachesScreen()) tip = kNoFilterHereTip;
    if (c_.labelTips) c_.labelTips->SetText(QString::fromUtf8(tip));
}

void CEyeProtectDlg::OnSwitch() {
    if (!c_.checkBlueAvoid) return;
    // The click comes before the check box toggles itself.
    const bool on = !c_.checkBlueAvoid->IsSelected();
    SetEyeProtectOn(on);
    for (ui::Option* option : c_.options)
        if (option) option->setEnabled(on);
    if (c_.gauge) c_.gauge->SetAdjustable(on);
    ShowPercent(UsedPercent());
}

int CEyeProtectDlg::UsedPercent() {
    // Off, the screen has no filter whatever strength was stored with it.
    return SettingsStore::GetEyeProtectOn() ? SettingsStore::GetPercent() : 0;
}

int CEyeProtectDlg::PreviewInterval() const {
    if (previewInterval_ >= 0) return previewInterval_;
    const QScreen* shown = screen();
    double rate = shown ? shown->refreshRate() : kFallbackRefreshRate;
    // Some servers report nothing sensible (0 Hz on a virtual screen).
    if (rate < 20 || rate > 500) rate = kFallbackRefreshRate;
    return static_cast<int>(1000 / rate);
}

void CEyeProtectDlg::OnGaugeMoving(int percent) {
    if (!SettingsStore::GetEyeProtectOn()) {
        // Only an adjustable gauge moves; should one move anyway, it goes back.
        ShowPercent(UsedPercent());
        return;
    }
    ShowPercent(percent);
    pendingPreview_ = percent;
    if (previewTimer_.isActive()) return;  // the frame's turn comes
    const int interval = PreviewInterval();
    const qint64 since = lastPreview_.isValid() ? lastPreview_.elapsed() : interval;
    if (since >= interval)
        FlushPreview();  // the first move of a drag shows at once
    else
        previewTimer_.start(static_cast<int>(interval - since));
}

void CEyeProtectDlg::FlushPreview() {
    if (pendingPreview_ < 0) return;
    PreviewBluePercent(pendingPreview_);
    pendingPreview_ = -1;
    lastPreview_.start();
}

void CEyeProtectDlg::OnGaugeSettled(int percent) {
    previewTimer_.stop();
    pendingPreview_ = -1;
    if (!SettingsStore::GetEyeProtectOn()) {
        ShowPercent(UsedPercent());
        return;
    }
    // Stored once, where the drag ended, and loaded in place of what the drag showed.
    SetBluePercent(percent);
    ShowPercent(percent);
}
