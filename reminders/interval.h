#pragma once

#include <QDateTime>
#include <QString>
#include <utility>

namespace ui {
class Combo;
}

// The interval rules both reminders share: how long an interval really lasts, how the next
// reminder is shown, and how the hour and minute combos give an interval.
namespace Reminders {

// No reminder comes more often than every five minutes.
inline constexpr long long kShortestIntervalSecs = 300;

// The seconds a stored interval really lasts: (hours × 60 + minutes) minutes, at least five
// minutes; widened so that no stored value overflows.
long long IntervalSecs(int hours, int minutes);

// "HH:MM" of the due time while the reminder is on; "--" while it is off (or has none yet).
QString DueText(bool on, const QDateTime& due);

// The interval (hours, minutes) the two combos show. An interval of nothing is never taken: the
// minute combo turns to its second item ("5") first.
std::pair<int, int> ChosenInterval(ui::Combo& hour, ui::Combo& minute);

}  // namespace Reminders
