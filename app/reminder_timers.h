#pragma once

#include <QDateTime>

// The scheduling rules of both reminders: how often their timers tick and when the next reminder
// falls due. The main window runs the two timers; these compute for it.
namespace Reminders {

// No reminder comes more often than every five minutes.
inline constexpr int kShortestPeriodMs = 300000;

// The timer period of an interval: (hours × 60 + minutes) minutes in milliseconds, at least five
// minutes. Stored values too large for a timer (beyond 2^31 − 1 ms, some 24 days) are bad
// values: they give the longest period a timer can have, never an overflowed one.
int ReminderTimerPeriod(int hours, int minutes);

// When a reminder armed at `now` falls due: now plus the raw interval (no five-minute floor), on
// the local wall clock (a daylight-saving change in between is not accounted for). A negative
// stored interval counts as none.
QDateTime NextDue(const QDateTime& now, int hours, int minutes);

// Store the next due times from the clock and the stored intervals.
void ComputeNextRelaxDue();
void ComputeNextDrinkDue();

}  // namespace Reminders
