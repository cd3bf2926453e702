#pragma once

#include <optional>
#include <span>
#include <vector>

#include "data/settings_notifier.h"

namespace ui {
class Control;
class WindowBase;
}  // namespace ui

namespace Reminders {

// A setting shown on a reminder's settings page: the control that shows it (a check box, a combo
// whose items are values, or a number field; null when the layout lacks it) and how it reads
// (switches as 0 or 1).
struct SettingView {
    SettingsKey key;
    ui::Control* control;
    int (*read)();
};

// Shows the stored value of `key` on its control, or of every view when no key is given. A
// value no combo item shows leaves the combo as it is; a field the user is typing into is left
// to the typing.
void ShowSettings(std::span<const SettingView> views, std::optional<SettingsKey> key = {});

// The switches both reminders obey, on either reminder's page: "离开时暂停计时" and
// "全屏、勿扰或通话时推迟提醒". Adds their views and stores what the user switches.
void AddPresenceSwitches(ui::WindowBase& page, std::vector<SettingView>& views);

}  // namespace Reminders
