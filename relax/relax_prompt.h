#pragma once

#include <QPointer>
#include <QTimer>

#include "ui/window_base.h"

// The relax reminder: a small window that rises into the corner of the work area, greets the
// user by the time of day and counts down to the break, which then runs on the full-screen lock
// or, with full-screen breaks off, in the prompt itself. One prompt at most, and none while the
// lock is open. It deletes itself when closed.
class CHaveRelaxPopDlg : public ui::WindowBase {
    Q_OBJECT
  public:
    // The time of day a prompt shows: its picture and its sentence.
    struct TimeOfDay {
        const char* picture;
        const char* sentence;
    };
    static TimeOfDay TimeOfDayFor(int hour);

    CHaveRelaxPopDlg();
    ~CHaveRelaxPopDlg() override;
    // The open prompt, or nullptr.
    static CHaveRelaxPopDlg* Instance();

    QString LayoutFile() const override { return QStringLiteral("HaveRelaxPop.xml"); }
    void OnFinalMessage() override;
    // The actions of the prompt's menu items.
    void OnMenuCommand(const QString& item);

    // Ends the prompt and starts the break: on the lock, or here.
    void StartBreak();
    bool IsSliding() const { return slideTimer_.isActive(); }
    const QTimer& SlideTimer() const { return slideTimer_; }
    // The prompt's countdown and the break shown here, a tick a second.
    const QTimer& PromptTimer() const { return promptTimer_; }
    const QTimer& BreakTimer() const { return breakTimer_; }
    bool IsBreaking() const { return breaking_; }
    int PromptSeconds() const { return promptSeconds_; }
    int BreakSeconds() const { return breakSeconds_; }

  protected:
    void OnInit() override;

  private:
    void SlideStep();
    void PromptTick();
    void BreakTick();
    void OpenMenu();

    int promptSeconds_ = 0;  // seconds gone in the prompt countdown
    int breakSeconds_ = 0;   // seconds gone in the break shown here
    bool breaking_ = false;
    QTimer slideTimer_;
    QTimer promptTimer_;
    QTimer breakTimer_;
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

// Opens the relax prompt, unless one or the lock is open.
void RelaxPromptOpen();
