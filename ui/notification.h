#pragma once

#include <QEvent>
#include <QString>

// What controls tell their window, and the messages windows send one another.
namespace ui {

class Control;

// A control notification: the type text ("windowinit", "click", "timer", "itemselect",
// "itemclick", "textchanged", "killfocus"), the sender and two integers (the timer's
// identifier for "timer", the new and old index for "itemselect").
struct Notification {
    QString type;
    Control* sender = nullptr;
    qintptr wParam = 0;
    qintptr lParam = 0;
    // The sender's layout name; handlers compare by it.
    QString SenderName() const;
    bool Is(const char* t, const char* name) const {
        return type == QLatin1String(t) && SenderName() == QLatin1String(name);
    }
};

// Numbers of the messages windows exchange; all are custom event types.
enum WindowMessageType : int {
    GoHomeMessage = 1025,           // a hosted panel asks its host to leave it
    ShowAchievementMessage = 1026,  // open the drink achievements
    TrayCallbackMessage = 1124,     // tray icon events
    MenuClickMessage = 1145,        // a menu item was chosen; text() is the item's name
};

class WindowMessage : public QEvent {
  public:
    explicit WindowMessage(int type, qintptr wParam = 0, qintptr lParam = 0, QString text = {})
        : QEvent(static_cast<QEvent::Type>(type)),
          wParam_(wParam),
          lParam_(lParam),
          text_(std::move(text)) {}
    qintptr wParam() const { return wParam_; }
    qintptr lParam() const { return lParam_; }
    const QString& text() const { return text_; }

  private:
    qintptr wParam_;
    qintptr lParam_;
    QString text_;
};

// Reserves the four message numbers with Qt so no other code is handed them. Idempotent.
void RegisterWindowMessages();

inline bool IsWindowMessage(int type) {
    return type == GoHomeMessage || type == ShowAchievementMessage || type == TrayCallbackMessage ||
           type == MenuClickMessage;
}

}  // namespace ui
