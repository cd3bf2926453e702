#include "relax/relax_settings_page.h"

#include "data/settings_store.h"
#include "drink/feature_host.h"
#include "drink/frame_popup.h"
#include "drink/reminder_settings.h"
#include "relax/log.h"
#include "relax/relax_prompt.h"
#include "ui/controls.h"

namespace {

constexpr int kRefreshMs = 100;

}  // namespace

void CHaveRelaxDlg::OnInit() {
    c_.remind = Find<ui::CheckBox>("check_remind_ontime");
    c_.fullScreenCaption = Find("label_remind_fullscreen");
    c_.fullScreen = Find<ui::CheckBox>("check_remind_fullscreen");
    c_.sound = Find<ui::CheckBox>("check_remind_sound");
    c_.countdown = Find<ui::Combo>("combo_countdown");
    c_.relaxMinute = Find<ui::Combo>("combo_relax_minute");
    c_.hour = Find<ui::Combo>("combo_remind_hour");
    c_.minute = Find<ui::Combo>("combo_remind_minute");
    c_.nextTime = Find("label_remind_time");
    if (!c_.remind || !c_.fullScreen || !c_.countdown || !c_.relaxMinute || !c_.hour ||
        !c_.minute || !c_.nextTime)
        qCWarning(lcRelax) << LayoutFile() << "lacks controls the relax settings need";
    ui::OnUserToggle(c_.remind, this, [this](bool on) {
        ShowFullScreenSwitch(on);
        SettingsStore::SetRemindOnTime(on);
        if (TheMainWindow) TheMainWindow->RearmRelaxTimer();
        if (on) SaveInterval();
    });
    ui::OnUserToggle(c_.fullScreen, this, &SettingsStore::SetRemindFullScreen);
    ui::OnUserToggle(c_.sound, this, [](bool on) {
        SettingsStore::SetRemindSound(on);
        // The sound switch lets the user meet both reminders at once, each opening only when it
        // is not open already.
        RelaxPromptOpen();
        DrinkPopupOpen();
    });
    // The stored value is the chosen item's number (what the combo shows); showing the stored
    // value at start stores nothing.
    const auto storeChoice = [this](ui::Combo* combo, void (*store)(int)) {
        if (combo)
            connect(combo, &ui::Combo::currentIndexChanged, this, [this, combo, store] {
                if (initialized_) store(ui::LenientIntOf(combo->SelectedText()));
            });
    };
    storeChoice(c_.countdown, &SettingsStore::SetCountDownSecond);
    storeChoice(c_.relaxMinute, &SettingsStore::SetRelaxMinute);
    for (ui::Combo* combo : {c_.hour, c_.minute})
        if (combo)
            connect(combo, &ui::Combo::currentIndexChanged, this, &CHaveRelaxDlg::SaveInterval);
    refreshTimer_.setInterval(kRefreshMs);
    connect(&refreshTimer_, &QTimer::timeout, this, &CHaveRelaxDlg::RefreshLiveState);
    LoadControls(true);
    initialized_ = true;
    if (isVisible()) OnVisibilityChanged(true);
}

void CHaveRelaxDlg::OnVisibilityChanged(bool visible) {
    if (!initialized_) return;
    // The 100 ms refresh serves the page only while it is seen: a hidden program sleeps.
    if (visible) {
        LoadControls(false);
        RefreshLiveState();
        refreshTimer_.start();
    } else {
        refreshTimer_.stop();
    }
}

void CHaveRelaxDlg::ShowFullScreenSwitch(bool shown) {
    if (c_.fullScreenCaption) c_.fullScreenCaption->setVisible(shown);
    if (c_.fullScreen) c_.fullScreen->setVisible(shown);
}

void CHaveRelaxDlg::LoadControls(bool forced) {
    if (!forced && !initialized_) return;
    if (c_.remind) c_.remind->SetCheck(SettingsStore::GetRemindOnTime());
    if (c_.fullScreen) c_.fullScreen->SetCheck(SettingsStore::GetRemindFullScreen());
    if (c_.sound) c_.sound->SetCheck(SettingsStore::GetRemindSound());
    ShowFullScreenSwitch(SettingsStore::GetRemindOnTime());
    // A stored value no item shows (7 seconds) leaves the combo as it was, and stays stored.
    if (c_.countdown) c_.countdown->SelectItemByValue(SettingsStore::GetCountDownSecond());
    if (c_.relaxMinute) c_.relaxMinute->SelectItemByValue(SettingsStore::GetRelaxMinute());
    if (c_.hour) c_.hour->SelectItemByValue(SettingsStore::GetRemindHour());
    if (c_.minute) c_.minute->SelectItemByValue(SettingsStore::GetRemindMinute());
}

void CHaveRelaxDlg::SaveInterval() {
    if (!initialized_ || !c_.hour || !c_.minute) return;
    const auto [hours, minutes] = ReminderSettings::ChosenInterval(*c_.hour, *c_.minute);
    SettingsStore::SetRemindHour(hours);
    SettingsStore::SetRemindMinute(minutes);
    if (TheMainWindow) TheMainWindow->RearmRelaxTimer();
}

void CHaveRelaxDlg::RefreshLiveState() {
    if (!initialized_) return;
    // Changes made elsewhere (the prompt's and the lock's menus, the other instance of this
    // page) show here within a tenth of a second.
    const bool on = SettingsStore::GetRemindOnTime();
    if (c_.nextTime)
        c_.nextTime->SetText(ReminderSettings::DueText(on, SettingsStore::GetNextRelaxDue()));
    if (c_.remind) c_.remind->SetCheck(on);
    ShowFullScreenSwitch(on);
    if (c_.fullScreen) c_.fullScreen->SetCheck(SettingsStore::GetRemindFullScreen());
}
