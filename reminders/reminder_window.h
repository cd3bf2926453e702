#pragma once

#include <QPoint>
#include <QString>

class QWidget;

namespace ui {
class MenuWnd;
class WindowBase;
}  // namespace ui

// What the reminders' own windows share.
namespace Reminders {

// Makes `window` a reminder window owned by `owner` (may be null): a tool window on top of the
// others, out of the task bar (a reminder must be seen, and it comes and goes by itself).
// Unless `activate`, it does not take the keys from what the user is typing into (a click makes
// it active as usual). False, and the window's final message run, when its layout cannot be
// built.
bool CreateReminderWindow(ui::WindowBase& window, bool activate = false, QWidget* owner = nullptr);

// Opens the menu of `layout` under the window's button `button`, moved by `offset` from the
// button's bottom-left; nullptr when there is no such button or menu.
ui::MenuWnd* OpenMenuBelow(ui::WindowBase& window, const char* button, const QString& layout,
                           const QPoint& offset);

}  // namespace Reminders
