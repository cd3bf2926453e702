#pragma once

#include <QObject>
#include <QPointer>

#include "reminders/popup_frame.h"

class ReminderScheduler;

// The drink reminder: the frame with the drink-now panel rising into the corner, opened through
// the scheduler, whose clock and gate it follows.
class DrinkReminder : public QObject {
    Q_OBJECT
  public:
    explicit DrinkReminder(ReminderScheduler& scheduler);
    ~DrinkReminder() override;

    // The open reminder frame, or nullptr.
    CFramePopupDlg* Frame() const { return frame_; }

  private:
    void Open();

    ReminderScheduler& scheduler_;
    QPointer<CFramePopupDlg> frame_;
};
