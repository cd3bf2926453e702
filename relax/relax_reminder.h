#pragma once

#include <QObject>
#include <QPointer>

#include "relax/relax_lock.h"
#include "relax/relax_prompt.h"
#include "reminders/popup_frame.h"
#include "reminders/reminder_sounds.h"

class ReminderScheduler;

// The relax reminder: the prompt rising into the corner, the full-screen lock its break may run
// on, and the relax settings frame their menus open. It opens through the scheduler, whose clock
// and gate it follows, and tells it which of its windows show.
class RelaxReminder : public QObject {
    Q_OBJECT
  public:
    explicit RelaxReminder(ReminderScheduler& scheduler);
    ~RelaxReminder() override;

    ReminderScheduler& Scheduler() const { return scheduler_; }
    CHaveRelaxPopDlg* Prompt() const { return prompt_; }
    CHaveRelaxLockDlg* Lock() const { return lock_; }
    CFramePopupDlg* SettingsFrame() const { return settingsFrame_; }

    // The break on the whole screen, unless a lock is open already.
    void OpenLock();
    // The relax settings in a frame owned by `owner` (may be null), unless one is open.
    void OpenSettingsFrame(QWidget* owner);
    // The reminder's sound for `moment` (the prompt comes, a break is over), under its switch.
    void Sound(Reminders::SoundMoment moment);

  private:
    void OpenPrompt();
    void Raise();

    ReminderScheduler& scheduler_;
    QPointer<CHaveRelaxPopDlg> prompt_;
    QPointer<CHaveRelaxLockDlg> lock_;
    QPointer<CFramePopupDlg> settingsFrame_;
};
