#include "app/message_window.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QPointer>
#include <QUrl>

#include "app/log.h"
#include "app/tray_icon.h"
#include "data/data_folder.h"
#include "platform/platform.h"

namespace {

QPointer<CMessageDlg>& OpenOne() {
    static QPointer<CMessageDlg> open;
    return open;
}

// A path as shown: "~" for the home folder, and a zero-width space after each separator so that
// it wraps there, not in the middle of a name.
QString ForDisplay(QString path) {
    const QString home = QDir::homePath();
    if (path.startsWith(home + '/')) path.replace(0, home.size(), QLatin1Char('~'));
    return path.replace(QLatin1Char('/'), QStringLiteral("/\u200b"));
}

}  // namespace

CMessageDlg* CMessageDlg::Open(const Message& message, QWidget* owner) {
    if (CMessageDlg* old = Current()) old->Close(0);
    auto* window = new CMessageDlg(message);
    if (!CreateNoticeWindow(*window, owner)) {
        delete window;
        return nullptr;
    }
    window->CenterWindow();
    window->ShowWithFocus();
    OpenOne() = window;
    return window;
}

CMessageDlg* CMessageDlg::Current() {
    CMessageDlg* open = OpenOne();
    return open && !open->IsClosed() ? open : nullptr;
}

void CMessageDlg::OnInit() {
    if (ui::Control* headline = Find("label_headline")) headline->SetText(message_.headline);
    if (ui::Control* detail = Find("text_detail")) detail->SetText(message_.detail);
    OnClick("btn_wnd_close", [this] { Close(0); });
    auto* button = Find<ui::Button>("btn_ok");
    if (!button) return;
    if (message_.copyText.isEmpty()) {
        connect(button, &ui::Button::clicked, this, [this] { Close(1); });
        return;
    }
    button->SetText(QStringLiteral("复制"));
    connect(button, &ui::Button::clicked, this, [this, button] {
        QGuiApplication::clipboard()->setText(message_.copyText);
        button->SetText(QStringLiteral("已复制"));
    });
}

void CMessageDlg::OnFinalMessage() {
    deleteLater();
}

bool CreateNoticeWindow(ui::WindowBase& window, QWidget* owner) {
    // Found in the task bar and by Alt+Tab, it cannot be lost behind other windows.
    if (!window.Create(owner, owner ? Qt::Dialog : Qt::Dialog | Qt::WindowStaysOnTopHint))
        return false;
    platform::Current().ListInTaskbar(window.NativeId());
    window.setWindowTitle(QStringLiteral("提示信息"));
    return true;
}

CMessageDlg::Message UpdaterMessage(const QString& updaterPath, bool found) {
    const QString where = ForDisplay(updaterPath);
    if (found) return {QStringLiteral("更新程序无法启动"), where, {}};
    return {QStringLiteral("未安装更新程序"), QStringLiteral("更新程序应位于：\n") + where, {}};
}

namespace {

// What the feedback items say where the build names no feedback address (or none opens it): the
// version and the data folder, to copy into a report.
CMessageDlg::Message FeedbackMessage() {
    const QString version =
        QStringLiteral("%1 %2").arg(QString::fromUtf8(kDisplayName), QStringLiteral(VITA_VERSION));
    const QString folder = DataFolder::GetDataFolder();
    const QString report = QStringLiteral("版本：%1\n数据文件夹：%2");
    return {QStringLiteral("反馈时请附上"), report.arg(version, ForDisplay(folder)),
            report.arg(version, folder) + '\n'};
}

}  // namespace

QString FeedbackAddress() {
    return QStringLiteral(VITA_FEEDBACK_URL);
}

void OpenFeedback(QWidget* owner, const QString& address) {
    if (!address.isEmpty()) {
        if (QDesktopServices::openUrl(QUrl(address))) return;
        qCWarning(lcApp).noquote() << "the feedback address cannot be opened:" << address;
    }
    CMessageDlg::Open(FeedbackMessage(), owner);
}
