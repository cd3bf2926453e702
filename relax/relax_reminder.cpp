#include "relax/relax_reminder.h"

#include "data/settings_store.h"
#include "relax/relax_lock.h"
#include "relax/relax_prompt.h"
#include "relax/relax_settings_page.h"
#include "reminders/popup_frame.h"
#include "reminders/reminder_scheduler.h"
#include "reminders/reminder_window.h"

namespace {
// The two rows of the switches both reminders obey, below the frame's own height.
constexpr int kPresenceRows = 64;
}  // namespace

RelaxReminder::RelaxReminder(ReminderScheduler& scheduler) : scheduler_(scheduler) {
    scheduler_.Install(ReminderKind::Relax, {[this] { OpenPrompt(); }, [this] { Raise(); }});
}

RelaxReminder::~RelaxReminder() {
    // One at a time: the settings frame may be the lock's child and go with it.
    delete settingsFrame_.data();
    delete lock_.data();
    delete prompt_.data();
}

void RelaxReminder::OpenPrompt() {
    if (prompt_ || lock_) return;
    auto* prompt = new CHaveRelaxPopDlg(*this);
    if (!Reminders::CreateReminderWindow(*prompt)) return;
    prompt_ = prompt;
    scheduler_.Showing(ReminderKind::Relax, prompt);
    Sound(Reminders::SoundMoment::Comes);
}

void RelaxReminder::Sound(Reminders::SoundMoment moment) {
    // A bell calls to the break; a gentler sound says it is over.
    const platform::Cue cue =
        moment == Reminders::SoundMoment::Comes ? platform::Cue::Bell : platform::Cue::Complete;
    scheduler_.Sounds().Play(moment, cue, SettingsStore::GetRemindSound());
}

void RelaxReminder::OpenLock() {
    if (lock_) return;
    auto* lock = new CHaveRelaxLockDlg(*this);
    if (!lock->Open()) return;
    lock_ = lock;
    scheduler_.Showing(ReminderKind::Relax, lock, true);
}

void RelaxReminder::Raise() {
    if (lock_)
        lock_->Raise();
    else if (prompt_)
        prompt_->raise();
}

void RelaxReminder::OpenSettingsFrame(QWidget* owner) {
    if (settingsFrame_) {
        // Perhaps gone under another window: asked for again, it comes back.
        settingsFrame_->raise();
        settingsFrame_->activateWindow();
        return;
    }
    CFramePopupDlg::Setup setup;
    setup.title = QStringLiteral("休息提醒设置");
    setup.extraHeight = kPresenceRows;
    setup.makeContent = [this](CFramePopupDlg&) {
        return std::make_unique<CHaveRelaxDlg>(scheduler_);
    };
    setup.remindersOn = &SettingsStore::GetRemindOnTime;
    setup.setRemindersOn = &SettingsStore::SetRemindOnTime;
    setup.feedback = [this] { scheduler_.RequestFeedback(); };
    settingsFrame_ = CFramePopupDlg::Open(std::move(setup), owner);
}
