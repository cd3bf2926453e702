#include "relax/relax_settings_page.h"

#include "data/settings_store.h"
#include "relax/log.h"
#include "reminders/interval.h"
#include "reminders/reminder_scheduler.h"
#include "reminders/setting_view.h"
#include "ui/controls.h"

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
    views_ = {
        {SettingsKey::RemindOnTime, c_.remind,
         [] { return int(SettingsStore::GetRemindOnTime()); }},
        {SettingsKey::RemindFullScreen, c_.fullScreen,
         [] { return int(SettingsStore::GetRemindFullScreen()); }},
        {SettingsKey::RemindSound, c_.sound, [] { return int(SettingsStore::GetRemindSound()); }},
        {SettingsKey::CountDownSecond, c_.countdown, &SettingsStore::GetCountDownSecond},
        {SettingsKey::RelaxMinute, c_.relaxMinute, &SettingsStore::GetRelaxMinute},
        {SettingsKey::RemindHour, c_.hour, &SettingsStore::GetRemindHour},
        {SettingsKey::RemindMinute, c_.minute, &SettingsStore::GetRemindMinute},
    };
    Reminders::AddPresenceSwitches(*this, views_);
    ui::OnUserToggle(c_.remind, this, [this](bool on) {
        SettingsStore::SetRemindOnTime(on);
        if (on) SaveInterval();
    });
    ui::OnUserToggle(c_.fullScreen, this, &SettingsStore::SetRemindFullScreen);
    ui::OnUserToggle(c_.sound, this, [this](bool on) {
        SettingsStore::SetRemindSound(on);
        // The sound switch lets the user meet both reminders at once, each opening only when it
        // is not open already.
        scheduler_.Request(ReminderKind::Relax);
        scheduler_.Request(ReminderKind::Drink);
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
    connect(&SettingsNotifier::Instance(), &SettingsNotifier::changed, this,
            &CHaveRelaxDlg::ShowSetting);
    connect(&scheduler_, &ReminderScheduler::DueChanged, this, [this](ReminderKind kind) {
        if (kind == ReminderKind::Relax) RefreshNextReminder();
    });
    LoadControls(true);
    initialized_ = true;
    if (isVisible()) OnVisibilityChanged(true);
}

void CHaveRelaxDlg::OnVisibilityChanged(bool visible) {
    if (!initialized_ || !visible) return;
    LoadControls(false);
    RefreshNextReminder();
}

void CHaveRelaxDlg::ShowSetting(SettingsKey key) {
    if (!initialized_) return;
    Reminders::ShowSettings(views_, key);
    if (key == SettingsKey::RemindOnTime) {
        ShowFullScreenSwitch(SettingsStore::GetRemindOnTime());
        RefreshNextReminder();
    }
}

void CHaveRelaxDlg::ShowFullScreenSwitch(bool shown) {
    if (c_.fullScreenCaption) c_.fullScreenCaption->setVisible(shown);
    if (c_.fullScreen) c_.fullScreen->setVisible(shown);
}

void CHaveRelaxDlg::LoadControls(bool forced) {
    if (!forced && !initialized_) return;
    // A stored value no item shows leaves the combo as it was, and stays stored.
    Reminders::ShowSettings(views_);
    ShowFullScreenSwitch(SettingsStore::GetRemindOnTime());
}

void CHaveRelaxDlg::SaveInterval() {
    if (!initialized_ || !c_.hour || !c_.minute) return;
    const auto [hours, minutes] = Reminders::ChosenInterval(*c_.hour, *c_.minute);
    SettingsStore::SetRemindHour(hours);
    SettingsStore::SetRemindMinute(minutes);
}

void CHaveRelaxDlg::RefreshNextReminder() {
    if (!initialized_ || !c_.nextTime) return;
    c_.nextTime->SetText(Reminders::DueText(SettingsStore::GetRemindOnTime(),
                                            scheduler_.NextDue(ReminderKind::Relax)));
}
