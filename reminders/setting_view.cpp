#include "reminders/setting_view.h"

#include <QLineEdit>

#include "data/settings_store.h"
#include "ui/controls.h"
#include "ui/window_base.h"

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

void AddPresenceSwitches(ui::WindowBase& page, std::vector<SettingView>& views) {
    auto* away = page.Find<ui::CheckBox>("check_pause_away");
    auto* busy = page.Find<ui::CheckBox>("check_defer_busy");
    views.push_back(
        {SettingsKey::PauseWhenAway, away, [] { return int(SettingsStore::GetPauseWhenAway()); }});
    views.push_back(
        {SettingsKey::DeferWhenBusy, busy, [] { return int(SettingsStore::GetDeferWhenBusy()); }});
    ui::OnUserToggle(away, &page, &SettingsStore::SetPauseWhenAway);
    ui::OnUserToggle(busy, &page, &SettingsStore::SetDeferWhenBusy);
}

}  // namespace Reminders
