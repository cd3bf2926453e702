#include "reminders/interval.h"

#include <algorithm>

#include "ui/controls.h"

namespace Reminders {

namespace {
constexpr int kFiveMinutesItem = 1;
}  // namespace

long long IntervalSecs(int hours, int minutes) {
    const long long secs = (static_cast<long long>(hours) * 60 + minutes) * 60;
    return std::max(kShortestIntervalSecs, secs);
}

QString DueText(bool on, const QDateTime& due) {
    if (!on || !due.isValid()) return QStringLiteral("--");
    return QString::asprintf("%02d:%02d", due.time().hour(), due.time().minute());
}

std::pair<int, int> ChosenInterval(ui::Combo& hour, ui::Combo& minute) {
    const int hours = ui::LenientIntOf(hour.SelectedText());
    if (hours == 0 && ui::LenientIntOf(minute.SelectedText()) == 0)
        minute.SelectItem(kFiveMinutesItem);
    return {hours, ui::LenientIntOf(minute.SelectedText())};
}

}  // namespace Reminders
