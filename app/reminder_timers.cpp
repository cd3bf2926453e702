#include "app/reminder_timers.h"

#include <algorithm>
#include <climits>

#include "data/clock.h"
#include "data/settings_store.h"

namespace Reminders {

namespace {

// Minutes of an interval, widened so that no stored value can overflow.
long long IntervalMinutes(int hours, int minutes) {
    return static_cast<long long>(hours) * 60 + minutes;
}

}  // namespace

int ReminderTimerPeriod(int hours, int minutes) {
    const long long ms = IntervalMinutes(hours, minutes) * 60000;
    return static_cast<int>(std::clamp<long long>(ms, kShortestPeriodMs, INT_MAX));
}

QDateTime NextDue(const QDateTime& now, int hours, int minutes) {
    const long long interval = std::max(0LL, IntervalMinutes(hours, minutes));
    // Wall-clock arithmetic: the date and time as written, moved on as if no clock change came.
    const QDateTime wall(now.date(), now.time(), Qt::UTC);
    const QDateTime due = wall.addSecs(interval * 60);
    return QDateTime(due.date(), due.time(), Qt::LocalTime);
}

void ComputeNextRelaxDue() {
    SettingsStore::SetNextRelaxDue(NextDue(Clock::Current().Now(), SettingsStore::GetRemindHour(),
                                           SettingsStore::GetRemindMinute()));
}

void ComputeNextDrinkDue() {
    SettingsStore::SetNextDrinkDue(NextDue(Clock::Current().Now(),
                                           SettingsStore::GetRemindHourDrk(),
                                           SettingsStore::GetRemindMinuteDrk()));
}

}  // namespace Reminders
