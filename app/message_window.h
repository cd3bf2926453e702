#pragma once

#include <QString>

#include "ui/window_base.h"

// A small notice in the program's style (the exit question's look): a headline, a few lines
// under it and one green button, which either closes it or copies a text for the user to paste
// elsewhere. One shows at a time; it frees itself when closed.
class CMessageDlg : public ui::WindowBase {
    Q_OBJECT
  public:
    struct Message {
        QString headline;
        QString detail;    // a few lines; long paths wrap at their separators
        QString copyText;  // what "复制" copies; empty: the button is "确定" and closes
    };

    // Shows `message` in a new window in place of any open one, centred over `owner` and kept
    // above it; with no owner (a reminder's menu asked) above every window. nullptr when its
    // layout cannot be built.
    static CMessageDlg* Open(const Message& message, QWidget* owner);
    // The one open now; nullptr when none is.
    static CMessageDlg* Current();

    QString LayoutFile() const override { return QStringLiteral("MessageTip.xml"); }
    const Message& Shown() const { return message_; }
    void OnFinalMessage() override;

  protected:
    void OnInit() override;

  private:
    explicit CMessageDlg(Message message) : message_(std::move(message)) {}

    Message message_;
};

// Builds a small window of the program's (the exit question, a message) as a dialog owned by
// `owner` (may be hidden; null: above every window), kept above it, with a task-bar entry and a
// place in Alt+Tab of its own, titled by its header; false when its layout cannot be built.
bool CreateNoticeWindow(ui::WindowBase& window, QWidget* owner);

// What "检查更新" says where the updater is missing (`found` false) or cannot be started.
CMessageDlg::Message UpdaterMessage(const QString& updaterPath, bool found);
// Where the feedback items lead: the build's VITA_FEEDBACK_URL (a web page, a mailto: address);
// empty when it names none.
QString FeedbackAddress();
// The feedback items: `address` opened in the desktop's browser or mail program, or else (none
// given, or none opens it) the feedback message, owned by `owner`.
void OpenFeedback(QWidget* owner, const QString& address = FeedbackAddress());
