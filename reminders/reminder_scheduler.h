#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <array>
#include <functional>
#include <vector>

#include "reminders/reminder_sounds.h"

namespace ui {
class WindowBase;
}

enum class ReminderKind { Relax, Drink };

// Both reminder clocks, and the one gate every reminder opens through: its own timers, the
// command line's --drink-now and --break-now, the menus, the sound switch. Due times live on the
// wall clock (the injectable one): what the settings pages show is when the reminder comes,
// across daylight-saving changes and suspends. Two reminders never cover each other: the corner
// windows rest side by side, and a drink reminder that falls due during a full-screen break
// waits for its end and then comes once.
class ReminderScheduler : public QObject {
    Q_OBJECT
  public:
    // What a feature gives for its reminder.
    struct Reminder {
        std::function<void()> open;   // shows it; never called while it shows
        std::function<void()> raise;  // brings what shows to the front; may be empty
    };

    explicit ReminderScheduler(QObject* parent = nullptr);
    ~ReminderScheduler() override;

    void Install(ReminderKind kind, Reminder reminder);
    // Arms both clocks from the stored switches and intervals, and follows their changes.
    void Start();

    // When the reminder comes next; invalid while it is switched off.
    QDateTime NextDue(ReminderKind kind) const;
    bool IsShowing(ReminderKind kind) const;
    // Whether one of its windows shows on the whole screen (the break lock).
    bool IsFullScreen(ReminderKind kind) const;
    // Whether a reminder fell due while it had to wait, and will come once it may.
    bool IsWaiting(ReminderKind kind) const;

    // The user asks for a reminder (a command-line option, a menu, the sound switch): it comes
    // at once, or what of it shows comes to the front. False when it was showing already.
    bool Request(ReminderKind kind);
    // A window of the reminder is on the screen (the drink frame, the prompt, the lock): the
    // reminder shows while any of its windows is open. A full-screen one holds back the other
    // reminder until it closes.
    void Showing(ReminderKind kind, ui::WindowBase* window, bool fullScreen = false);
    // The wall clock may have jumped (a resume from suspend, the clock set): a reminder that fell
    // due meanwhile comes once, now, and its interval counts from then; the others keep their
    // due times.
    void Recheck();
    // The user as the desktop sees them: away since their last input (at once when the session
    // locks or the machine sleeps), or back; busy (a full-screen program, do-not-disturb, a call)
    // or not. What follows is the stored switches': while away the clocks stand still and an
    // absence as long as a break was one, so the relax clock starts over; while busy, reminders
    // that fall due wait and come once, a few seconds after it ends.
    void SetAway(bool away, const QDateTime& since = {});
    void SetBusy(bool busy);
    // Away or busy, with the switch that makes it count on.
    bool IsPaused() const;
    bool IsDeferring() const;
    // The timer that lets what waited come a few seconds after the user is free again.
    const QTimer& ReleaseTimer() const { return release_; }

    // A reminder asks for a page of the main window (its settings, the drink achievements),
    // brought to the front or not.
    void RequestPage(const QString& button, bool show) { emit PageRequested(button, show); }
    // A reminder's menu asks for the feedback the program offers (its "反馈" items).
    void RequestFeedback() { emit FeedbackRequested(); }

    // What the reminders let be heard; silent until given a player.
    Reminders::ReminderSounds& Sounds() { return sounds_; }

    // The timer that wakes the program for a reminder (tests fire it after moving the clock).
    const QTimer& Timer(ReminderKind kind) const { return Of(kind).timer; }

  public slots:
    // logind's signal around a suspend: on the way back, Recheck.
    void OnPrepareForSleep(bool sleeping) {
        if (!sleeping) Recheck();
    }

  signals:
    void DueChanged(ReminderKind kind);
    void PageRequested(const QString& button, bool show);
    void FeedbackRequested();

  private:
    struct Track {
        QTimer timer;
        QDateTime due;
        bool waiting = false;
        Reminder reminder;
        std::vector<QPointer<ui::WindowBase>> windows;
        std::vector<QPointer<ui::WindowBase>> fullScreen;
    };
    Track& Of(ReminderKind kind) { return clocks_[static_cast<std::size_t>(kind)]; }
    const Track& Of(ReminderKind kind) const { return clocks_[static_cast<std::size_t>(kind)]; }

    // From the stored switch and interval: due one interval from now, or off.
    void Arm(ReminderKind kind);
    // The timer for the time left until the due moment.
    void Wake(ReminderKind kind);
    void FallDue(ReminderKind kind);
    void Open(ReminderKind kind);
    bool HeldBack(ReminderKind kind) const;
    void WindowGone(ReminderKind kind);
    void Pause();
    void Resume();
    // What waited and may come now, the relax prompt first.
    void Release();

    std::array<Track, 2> clocks_;
    bool away_ = false;
    bool paused_ = false;  // the clocks stand: away, with pausing on
    QDateTime awaySince_;
    bool busy_ = false;
    QTimer release_;
    Reminders::ReminderSounds sounds_;
};
