#include "drink/drink_settings_page.h"

#include "data/settings_store.h"
#include "drink/log.h"
#include "reminders/interval.h"
#include "reminders/reminder_scheduler.h"
#include "reminders/setting_view.h"
#include "ui/controls.h"

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
    views_ = {
        {SettingsKey::RemindOnTimeDrk, c_.remind,
         [] { return int(SettingsStore::GetRemindOnTimeDrk()); }},
        {SettingsKey::DrinkSound, c_.drinkSound,
         [] { return int(SettingsStore::GetDrinkSound()); }},
        {SettingsKey::RemindSoundDrk, c_.remindSound,
         [] { return int(SettingsStore::GetRemindSoundDrk()); }},
        {SettingsKey::DrinkTargetDay, c_.targetDay, &SettingsStore::GetDrinkTargetDay},
        {SettingsKey::DrinkTargetOnce, c_.targetOnce, &SettingsStore::GetDrinkTargetOnce},
        {SettingsKey::RemindHourDrk, c_.hour, &SettingsStore::GetRemindHourDrk},
        {SettingsKey::RemindMinuteDrk, c_.minute, &SettingsStore::GetRemindMinuteDrk},
    };
    Reminders::AddPresenceSwitches(*this, views_);
    ui::OnUserToggle(c_.remind, this, [this](bool on) {
        SettingsStore::SetRemindOnTimeDrk(on);
        if (on) SaveInterval();
    });
    ui::OnUserToggle(c_.drinkSound, this, &SettingsStore::SetDrinkSound);
    ui::OnUserToggle(c_.remindSound, this, &SettingsStore::SetRemindSoundDrk);
    for (ui::Combo* combo : {c_.hour, c_.minute})
        if (combo)
            connect(combo, &ui::Combo::currentIndexChanged, this, &CDrinkWaterDlg::SaveInterval);
    // What is typed is corrected as it is typed, and stored once the typing has settled.
    if (c_.targetDay) {
        connect(c_.targetDay, &ui::Edit::textEdited, this, &CDrinkWaterDlg::OnDailyTargetEdited);
        connect(c_.targetDay, &ui::Edit::settled, this,
                [this] { SettingsStore::SetDrinkTargetDay(ui::GetControlInt(c_.targetDay)); });
    }
    if (c_.targetOnce) {
        connect(c_.targetOnce, &ui::Edit::textEdited, this, &CDrinkWaterDlg::OnOneDrinkEdited);
        connect(c_.targetOnce, &ui::Edit::settled, this,
                [this] { SettingsStore::SetDrinkTargetOnce(ui::GetControlInt(c_.targetOnce)); });
    }
    connect(&SettingsNotifier::Instance(), &SettingsNotifier::changed, this,
            &CDrinkWaterDlg::ShowSetting);
    connect(&scheduler_, &ReminderScheduler::DueChanged, this, [this](ReminderKind kind) {
        if (kind == ReminderKind::Drink) RefreshNextReminder();
    });
    LoadControls(true);
    initialized_ = true;
    if (isVisible()) OnVisibilityChanged(true);
}

void CDrinkWaterDlg::OnVisibilityChanged(bool visible) {
    if (!initialized_ || !visible) return;
    LoadControls(false);
    RefreshNextReminder();
}

void CDrinkWaterDlg::ShowSetting(SettingsKey key) {
    if (!initialized_) return;
    Reminders::ShowSettings(views_, key);
    if (key == SettingsKey::RemindOnTimeDrk) RefreshNextReminder();
}

void CDrinkWaterDlg::LoadControls(bool forced) {
    if (!forced && !initialized_) return;
    Reminders::ShowSettings(views_);
}

void CDrinkWaterDlg::SaveInterval() {
    if (!initialized_ || !c_.hour || !c_.minute) return;
    const auto [hours, minutes] = Reminders::ChosenInterval(*c_.hour, *c_.minute);
    SettingsStore::SetRemindHourDrk(hours);
    SettingsStore::SetRemindMinuteDrk(minutes);
}

void CDrinkWaterDlg::OnDailyTargetEdited() {
    if (ui::GetControlInt(c_.targetDay) >= 1) return;
    c_.targetDay->SetText(QStringLiteral("1"));
    c_.targetDay->SetSelAll();
}

void CDrinkWaterDlg::OnOneDrinkEdited() {
    const int target = ui::GetControlInt(c_.targetDay);
    if (ui::GetControlInt(c_.targetOnce) <= target) return;
    ui::SetControlInt(c_.targetOnce, target);
    c_.targetOnce->SetSelAll();
}

void CDrinkWaterDlg::RefreshNextReminder() {
    if (!initialized_ || !c_.nextTime) return;
    c_.nextTime->SetText(Reminders::DueText(SettingsStore::GetRemindOnTimeDrk(),
                                            scheduler_.NextDue(ReminderKind::Drink)));
}
