#include "drink/drink_settings_page.h"

#include "data/settings_store.h"
#include "drink/feature_host.h"
#include "drink/log.h"
#include "drink/reminder_settings.h"
#include "ui/controls.h"

namespace {

constexpr int kRefreshMs = 100;

}  // namespace

void CDrinkWaterDlg::OnInit() {
    c_.remind = Find<ui::CheckBox>("check_remind_ontime_drk");
    c_.drinkSound = Find<ui::CheckBox>("check_drink_sound");
    c_.remindSound = Find<ui::CheckBox>("check_remind_sound_drk");
    c_.targetDay = Find<ui::Edit>("edit_target_day");
    c_.targetOnce = Find<ui::Edit>("edit_target_once");
    c_.hour = Find<ui::Combo>("combo_remind_hour_drk");
    c_.minute = Find<ui::Combo>("combo_remind_minute_drk");
    c_.nextTime = Find("label_remind_time_drk");
    if (!c_.remind || !c_.targetDay || !c_.targetOnce || !c_.hour || !c_.minute || !c_.nextTime)
        qCWarning(lcDrink) << LayoutFile() << "lacks controls the drink settings need";
    ui::OnUserToggle(c_.remind, this, [this](bool on) {
        SettingsStore::SetRemindOnTimeDrk(on);
        if (TheMainWindow) TheMainWindow->RearmDrinkTimer();
        if (on) SaveInterval();
    });
    ui::OnUserToggle(c_.drinkSound, this, &SettingsStore::SetDrinkSound);
    ui::OnUserToggle(c_.remindSound, this, &SettingsStore::SetRemindSoundDrk);
    for (ui::Combo* combo : {c_.hour, c_.minute})
        if (combo)
            connect(combo, &ui::Combo::currentIndexChanged, this, &CDrinkWaterDlg::SaveInterval);
    if (c_.targetDay)
        connect(c_.targetDay, &ui::Edit::textEdited, this, &CDrinkWaterDlg::OnDailyTargetEdited);
    if (c_.targetOnce)
        connect(c_.targetOnce, &ui::Edit::textEdited, this, &CDrinkWaterDlg::OnOneDrinkEdited);
    refreshTimer_.setInterval(kRefreshMs);
    connect(&refreshTimer_, &QTimer::timeout, this, &CDrinkWaterDlg::RefreshNextReminder);
    LoadControls(true);
    initialized_ = true;
    if (isVisible()) OnVisibilityChanged(true);
}

void CDrinkWaterDlg::OnVisibilityChanged(bool visible) {
    if (!initialized_) return;
    // The 100 ms refresh serves the page only while it is seen: a hidden program sleeps.
    if (visible) {
        LoadControls(false);
        RefreshNextReminder();
        refreshTimer_.start();
    } else {
        refreshTimer_.stop();
    }
}

void CDrinkWaterDlg::LoadControls(bool forced) {
    if (!forced && !initialized_) return;
    if (c_.remind) c_.remind->SetCheck(SettingsStore::GetRemindOnTimeDrk());
    if (c_.drinkSound) c_.drinkSound->SetCheck(SettingsStore::GetDrinkSound());
    if (c_.remindSound) c_.remindSound->SetCheck(SettingsStore::GetRemindSoundDrk());
    ui::SetControlInt(c_.targetDay, SettingsStore::GetDrinkTargetDay());
    ui::SetControlInt(c_.targetOnce, SettingsStore::GetDrinkTargetOnce());
    // A stored value no item shows (7 minutes) leaves the combo as it was.
    if (c_.hour) c_.hour->SelectItemByValue(SettingsStore::GetRemindHourDrk());
    if (c_.minute) c_.minute->SelectItemByValue(SettingsStore::GetRemindMinuteDrk());
}

void CDrinkWaterDlg::SaveInterval() {
    if (!initialized_ || !c_.hour || !c_.minute) return;
    const auto [hours, minutes] = ReminderSettings::ChosenInterval(*c_.hour, *c_.minute);
    SettingsStore::SetRemindHourDrk(hours);
    SettingsStore::SetRemindMinuteDrk(minutes);
    if (TheMainWindow) TheMainWindow->RearmDrinkTimer();
}

void CDrinkWaterDlg::OnDailyTargetEdited() {
    int target = ui::GetControlInt(c_.targetDay);
    if (target < 1) {
        c_.targetDay->SetText(QStringLiteral("1"));
        c_.targetDay->SetSelAll();
        target = 1;
    }
    SettingsStore::SetDrinkTargetDay(target);
}

void CDrinkWaterDlg::OnOneDrinkEdited() {
    int once = ui::GetControlInt(c_.targetOnce);
    const int target = ui::GetControlInt(c_.targetDay);
    if (once > target) {
        ui::SetControlInt(c_.targetOnce, target);
        c_.targetOnce->SetSelAll();
        once = target;
    }
    SettingsStore::SetDrinkTargetOnce(once);
}

void CDrinkWaterDlg::RefreshNextReminder() {
    if (!initialized_) return;
    const bool on = SettingsStore::GetRemindOnTimeDrk();
    if (c_.nextTime)
        c_.nextTime->SetText(ReminderSettings::DueText(on, SettingsStore::GetNextDrinkDue()));
    // A change made elsewhere (the reminder's own menu) shows here.
    if (c_.remind) c_.remind->SetCheck(on);
}
