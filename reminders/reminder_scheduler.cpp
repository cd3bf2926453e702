#include "reminders/reminder_scheduler.h"

#include <algorithm>
#include <optional>

#include "data/clock.h"
#include "data/settings_notifier.h"
#include "data/settings_store.h"
#include "reminders/interval.h"
#include "reminders/log.h"
#include "ui/window_base.h"

namespace {

// What waited comes this long after the user is free again: not in the same second a
// presentation ends or the screen unlocks.
constexpr int kReleaseDelayMs = 5000;

// A timer runs for at most a day: a due time further away is reached in steps.
constexpr qint64 kLongestWaitMs = 24LL * 3600 * 1000;

constexpr std::array<ReminderKind, 2> kKinds{ReminderKind::Relax, ReminderKind::Drink};

const char* NameOf(ReminderKind kind) {
    return kind == ReminderKind::Relax ? "relax" : "drink";
}

// The local time with its offset, which tells the two 02:30s of a night the clocks go back.
QString Stamp(const QDateTime& due) {
    if (!due.isValid()) return QStringLiteral("off");
    return due.toOffsetFromUtc(due.offsetFromUtc()).toString(Qt::ISODate);
}

ReminderKind Other(ReminderKind kind) {
    return kind == ReminderKind::Relax ? ReminderKind::Drink : ReminderKind::Relax;
}

bool SwitchedOn(ReminderKind kind) {
    return kind == ReminderKind::Relax ? SettingsStore::GetRemindOnTime()
                                       : SettingsStore::GetRemindOnTimeDrk();
}

long long Interval(ReminderKind kind) {
    return kind == ReminderKind::Relax
               ? Reminders::IntervalSecs(SettingsStore::GetRemindHour(),
                                         SettingsStore::GetRemindMinute())
               : Reminders::IntervalSecs(SettingsStore::GetRemindHourDrk(),
                                         SettingsStore::GetRemindMinuteDrk());
}

// The reminder a setting belongs to, when it decides when that reminder comes.
std::optional<ReminderKind> ClockOf(SettingsKey key) {
    switch (key) {
        case SettingsKey::RemindOnTime:
        case SettingsKey::RemindHour:
        case SettingsKey::RemindMinute:
            return ReminderKind::Relax;
        case SettingsKey::RemindOnTimeDrk:
        case SettingsKey::RemindHourDrk:
        case SettingsKey::RemindMinuteDrk:
            return ReminderKind::Drink;
        default:
            return std::nullopt;
    }
}

bool AnyOpen(const std::vector<QPointer<ui::WindowBase>>& windows) {
    return std::ranges::any_of(windows, [](const auto& w) { return w && !w->IsClosed(); });
}

}  // namespace

ReminderScheduler::ReminderScheduler(QObject* parent) : QObject(parent) {
    for (ReminderKind kind : kKinds) {
        QTimer& timer = Of(kind).timer;
        timer.setSingleShot(true);
        // A coarse timer may come minutes late on a long interval; the page says the minute.
        timer.setTimerType(Qt::PreciseTimer);
        connect(&timer, &QTimer::timeout, this, [this, kind] { FallDue(kind); });
    }
    release_.setSingleShot(true);
    release_.setInterval(kReleaseDelayMs);
    connect(&release_, &QTimer::timeout, this, &ReminderScheduler::Release);
}

ReminderScheduler::~ReminderScheduler() = default;

void ReminderScheduler::Install(ReminderKind kind, Reminder reminder) {
    Of(kind).reminder = std::move(reminder);
}

void ReminderScheduler::Start() {
    connect(&SettingsNotifier::Instance(), &SettingsNotifier::changed, this,
            [this](SettingsKey key) {
                if (const std::optional<ReminderKind> kind = ClockOf(key)) Arm(*kind);
                if (key == SettingsKey::PauseWhenAway) {
                    const bool pausing = away_ && SettingsStore::GetPauseWhenAway();
                    if (pausing && !paused_) Pause();
                    if (!pausing && paused_) Resume();
                }
                if (key == SettingsKey::DeferWhenBusy && !IsDeferring()) release_.start();
            });
    connect(&SettingsNotifier::Instance(), &SettingsNotifier::reloaded, this, [this] {
        for (ReminderKind kind : kKinds) Arm(kind);
    });
    for (ReminderKind kind : kKinds) Arm(kind);
}

QDateTime ReminderScheduler::NextDue(ReminderKind kind) const {
    return Of(kind).due;
}

bool ReminderScheduler::IsShowing(ReminderKind kind) const {
    return AnyOpen(Of(kind).windows);
}

bool ReminderScheduler::IsFullScreen(ReminderKind kind) const {
    return AnyOpen(Of(kind).fullScreen);
}

bool ReminderScheduler::IsWaiting(ReminderKind kind) const {
    return Of(kind).waiting;
}

void ReminderScheduler::Arm(ReminderKind kind) {
    Track& c = Of(kind);
    if (!SwitchedOn(kind)) {
        c.timer.stop();
        c.due = QDateTime();
        c.waiting = false;
    } else {
        c.due = Clock::Current().Now().addSecs(Interval(kind));
        Wake(kind);
    }
    qCDebug(lcReminders).noquote() << NameOf(kind) << "due" << Stamp(c.due);
    emit DueChanged(kind);
}

void ReminderScheduler::Wake(ReminderKind kind) {
    Track& c = Of(kind);
    if (IsPaused()) {  // it stands still; Resume sets it going
        c.timer.stop();
        return;
    }
    const qint64 left = Clock::Current().Now().msecsTo(c.due);
    c.timer.start(static_cast<int>(std::clamp<qint64>(left, 0, kLongestWaitMs)));
}

void ReminderScheduler::FallDue(ReminderKind kind) {
    Track& c = Of(kind);
    if (!c.due.isValid() || IsPaused()) return;
    const QDateTime now = Clock::Current().Now();
    if (now < c.due) {  // a step of a long wait, or the clock went back
        Wake(kind);
        return;
    }
    // Late after a suspend or not, the next interval counts from now.
    c.due = now.addSecs(Interval(kind));
    Wake(kind);
    qCDebug(lcReminders).noquote() << NameOf(kind) << "due" << Stamp(c.due);
    emit DueChanged(kind);
    if (HeldBack(kind)) {
        qCDebug(lcReminders).noquote() << NameOf(kind) << "waits for the break to end";
        c.waiting = true;
    } else if (!IsShowing(kind)) {  // one at a time: a reminder that shows is not queued
        Open(kind);
    } else if (c.reminder.raise) {  // it comes to the front instead, perhaps from under others
        c.reminder.raise();
    }
}

void ReminderScheduler::Recheck() {
    for (ReminderKind kind : kKinds)
        if (Of(kind).due.isValid()) FallDue(kind);
}

bool ReminderScheduler::HeldBack(ReminderKind kind) const {
    return IsFullScreen(Other(kind)) || IsDeferring() || IsPaused();
}

bool ReminderScheduler::IsPaused() const {
    return paused_;
}

bool ReminderScheduler::IsDeferring() const {
    return busy_ && SettingsStore::GetDeferWhenBusy();
}

void ReminderScheduler::SetAway(bool away, const QDateTime& since) {
    if (away == away_) return;
    away_ = away;
    if (away) {
        const QDateTime now = Clock::Current().Now();
        awaySince_ = since.isValid() && since <= now ? since : now;
        if (SettingsStore::GetPauseWhenAway()) Pause();
    } else if (paused_) {
        Resume();
    }
}

void ReminderScheduler::Pause() {
    qCDebug(lcReminders).noquote() << "away since" << Stamp(awaySince_) << ": the clocks stand";
    paused_ = true;
    for (ReminderKind kind : kKinds) Of(kind).timer.stop();
}

void ReminderScheduler::Resume() {
    paused_ = false;
    const QDateTime now = Clock::Current().Now();
    const qint64 absence = awaySince_.secsTo(now);
    qCDebug(lcReminders).noquote() << "back after" << absence << "s";
    for (ReminderKind kind : kKinds) {
        Track& c = Of(kind);
        if (!c.due.isValid()) continue;
        if (kind == ReminderKind::Relax && absence >= SettingsStore::GetRelaxMinute() * 60LL) {
            // The absence was the break.
            c.waiting = false;
            Arm(kind);
            continue;
        }
        // Where it stood when the user left, never more than an interval away (a reminder that
        // came meanwhile was due from then).
        const qint64 left = std::clamp<qint64>(awaySince_.secsTo(c.due), 0, Interval(kind));
        c.due = now.addSecs(left);
        Wake(kind);
        qCDebug(lcReminders).noquote() << NameOf(kind) << "due" << Stamp(c.due);
        emit DueChanged(kind);
    }
    release_.start();
}

void ReminderScheduler::SetBusy(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    qCDebug(lcReminders) << (busy ? "busy: reminders wait" : "free again");
    if (!busy) release_.start();
}

void ReminderScheduler::Release() {
    for (ReminderKind kind : kKinds)
        if (Of(kind).waiting && !HeldBack(kind) && !IsShowing(kind)) Open(kind);
}

bool ReminderScheduler::Request(ReminderKind kind) {
    Track& c = Of(kind);
    if (IsShowing(kind)) {
        if (c.reminder.raise) c.reminder.raise();
        return false;
    }
    Open(kind);
    return true;
}

void ReminderScheduler::Open(ReminderKind kind) {
    Track& c = Of(kind);
    c.waiting = false;
    qCDebug(lcReminders).noquote() << NameOf(kind) << "comes";
    if (c.reminder.open) c.reminder.open();
}

void ReminderScheduler::Showing(ReminderKind kind, ui::WindowBase* window, bool fullScreen) {
    if (!window) return;
    Track& c = Of(kind);
    c.windows.emplace_back(window);
    if (fullScreen) c.fullScreen.emplace_back(window);
    connect(window, &ui::WindowBase::Closed, this, [this, kind] { WindowGone(kind); });
    connect(window, &QObject::destroyed, this, [this, kind] { WindowGone(kind); });
}

void ReminderScheduler::WindowGone(ReminderKind kind) {
    Track& c = Of(kind);
    std::erase_if(c.windows, [](const auto& w) { return !w || w->IsClosed(); });
    std::erase_if(c.fullScreen, [](const auto& w) { return !w || w->IsClosed(); });
    // What waited for this reminder's full-screen window comes now, once.
    const ReminderKind other = Other(kind);
    if (Of(other).waiting && !HeldBack(other) && !IsShowing(other)) Open(other);
}
