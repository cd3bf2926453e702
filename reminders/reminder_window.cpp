#include "reminders/reminder_window.h"

#include "platform/platform.h"
#include "ui/menu.h"
#include "ui/window_base.h"

namespace Reminders {

bool CreateReminderWindow(ui::WindowBase& window, bool activate, QWidget* owner) {
    // Set before the native window exists: Qt hands it to the window manager only then.
    if (!activate) window.setAttribute(Qt::WA_ShowWithoutActivating);
    if (!window.Create(owner, Qt::Tool | Qt::WindowStaysOnTopHint)) {
        window.OnFinalMessage();
        return false;
    }
    platform::Current().KeepOutOfTaskbar(window.NativeId());
    return true;
}

ui::MenuWnd* OpenMenuBelow(ui::WindowBase& window, const char* button, const QString& layout,
                           const QPoint& offset) {
    ui::Control* anchor = window.Find(button);
    if (!anchor) return nullptr;
    return ui::MenuWnd::CreateMenu(&window, layout,
                                   anchor->mapToGlobal(QPoint(0, anchor->height()) + offset));
}

}  // namespace Reminders
