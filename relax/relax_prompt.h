#pragma once

#include <QPointer>
#include <QTimer>

#include "reminders/countdown.h"
#include "ui/window_base.h"

class RelaxReminder;

// The relax reminder: a small window that rises into the corner of the work area, greets the
// user by the time of day and counts down to the break, which then runs on the full-screen lock
// or, with full-screen breaks off, in the prompt itself. It deletes itself when closed.
class CHaveRelaxPopDlg : public ui::WindowBase {
    Q_OBJECT
  public:
    // The time of day a prompt shows: its picture and its sentence.
    struct TimeOfDay {
        const char* picture;
        const char* sentence;
    };
    static TimeOfDay TimeOfDayFor(int hour);

    explicit CHaveRelaxPopDlg(RelaxReminder& reminder);
    ~CHaveRelaxPopDlg() override;

    QString LayoutFile() const override { return QStringLiteral("HaveRelaxPop.xml"); }
    void OnFinalMessage() override;
    // The actions of the prompt's menu items.
    void OnMenuCommand(const QString& item);

    // Ends the prompt and starts the break: on the lock, or here.
    void StartBreak();
    bool IsSliding() const { return slideTimer_.isActive(); }
    const QTimer& SlideTimer() const { return slideTimer_; }
    // The prompt's countdown and the break shown here.
    const Countdown& PromptCountdown() const { return prompt_; }
    const Countdown& BreakCountdown() const { return break_; }
    bool IsBreaking() const { return breaking_; }

  protected:
    void OnInit() override;

  private:
    void SlideStep();
    void BreakTick(long long remaining);
    void OpenMenu();

    RelaxReminder& reminder_;
    bool breaking_ = false;
    QTimer slideTimer_;
    Countdown prompt_;
    Countdown break_;
    struct {
        ui::Control* tips = nullptr;
        ui::Control* countdown = nullptr;
        ui::Control* relaxStart = nullptr;
        ui::Control* relaxTime = nullptr;
        ui::Control* relaxStop = nullptr;
        ui::Control* yes = nullptr;
        ui::Control* no = nullptr;
        ui::Control* stop = nullptr;
    } c_;
};
