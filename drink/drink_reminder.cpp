#include "drink/drink_reminder.h"

#include "data/settings_store.h"
#include "drink/drink_show_panel.h"
#include "reminders/popup_frame.h"
#include "reminders/reminder_scheduler.h"

DrinkReminder::DrinkReminder(ReminderScheduler& scheduler) : scheduler_(scheduler) {
    scheduler_.Install(ReminderKind::Drink, {[this] { Open(); },
                                             [this] {
                                                 if (frame_) frame_->raise();
                                             }});
}

DrinkReminder::~DrinkReminder() {
    delete frame_.data();
}

void DrinkReminder::Open() {
    CFramePopupDlg::Setup setup;
    setup.title = QStringLiteral("喝水提醒");
    setup.corner = true;
    setup.makeContent = [this](CFramePopupDlg& frame) {
        auto panel = std::make_unique<CDrinkWaterShowDlg>(scheduler_.Sounds());
        connect(panel.get(), &CDrinkWaterShowDlg::DismissRequested, &frame,
                [&frame] { frame.Close(1); });
        // The frame lets go of the panel first, then the main window shows the figures.
        connect(panel.get(), &CDrinkWaterShowDlg::AchievementsRequested, &frame, [this, &frame] {
            frame.Close(1);
            scheduler_.RequestPage(QStringLiteral("btn_achievement"), false);
        });
        return panel;
    };
    setup.remindersOn = &SettingsStore::GetRemindOnTimeDrk;
    setup.setRemindersOn = &SettingsStore::SetRemindOnTimeDrk;
    // The drink reminder's settings live on the main window's page.
    setup.openSettings = [this] {
        scheduler_.RequestPage(QStringLiteral("btn_drinkwater_set"), true);
    };
    setup.feedback = [this] { scheduler_.RequestFeedback(); };
    frame_ = CFramePopupDlg::Open(std::move(setup));
    if (!frame_) return;
    scheduler_.Showing(ReminderKind::Drink, frame_);
    scheduler_.Sounds().Play(Reminders::SoundMoment::Comes, platform::Cue::Message,
                             SettingsStore::GetRemindSoundDrk());
}
