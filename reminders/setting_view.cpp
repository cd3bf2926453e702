#include "reminders/setting_view.h"

#include <QLineEdit>

#include "ui/controls.h"

namespace Reminders {

void ShowSettings(std::span<const SettingView> views, std::optional<SettingsKey> key) {
    for (const SettingView& view : views) {
        if ((key && view.key != *key) || !view.control) continue;
        const int value = view.read();
        if (auto* box = qobject_cast<ui::CheckBox*>(view.control)) {
            box->SetCheck(value != 0);
        } else if (auto* combo = qobject_cast<ui::Combo*>(view.control)) {
            combo->SelectItemByValue(value);
        } else if (auto* edit = qobject_cast<ui::Edit*>(view.control)) {
            if (!edit->LineEdit()->hasFocus()) ui::SetControlInt(edit, value);
        }
    }
}

}  // namespace Reminders
