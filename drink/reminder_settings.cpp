#include "drink/reminder_settings.h"

#include "ui/controls.h"

namespace ReminderSettings {

namespace {
constexpr int kFiveMinutesItem = 1;
}  // namespace

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

}  // namespace ReminderSettings
