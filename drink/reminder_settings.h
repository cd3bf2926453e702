#pragma once

#include <QDateTime>
#include <QString>
#include <utility>

namespace ui {
class Combo;
}

// What the settings pages of both reminders share: how the next reminder is shown and how the
// interval is read from the hour and minute combos.
namespace ReminderSettings {

// "HH:MM" of the due time while the reminder is on; "--" while it is off (or has none yet).
QString DueText(bool on, const QDateTime& due);

// The interval (hours, minutes) the two combos show. An interval of nothing is never taken: the
// minute combo turns to its second item ("5") first.
std::pair<int, int> ChosenInterval(ui::Combo& hour, ui::Combo& minute);

}  // namespace ReminderSettings
