#include "app/confirm_exit.h"

void CConfirmExitDlg::Notify(const ui::Notification& msg) {
    if (msg.type != QLatin1String("click")) return;
    const QString sender = msg.SenderName();
    if (sender == QLatin1String("btn_yes")) {
        Close(kConfirmExitYes);
    } else if (sender == QLatin1String("btn_no") || sender == QLatin1String("btn_wnd_close")) {
        Close(kConfirmExitNo);
    }
}

int ConfirmExit(QWidget* owner) {
    CConfirmExitDlg dialog;
    if (!dialog.Create(owner, Qt::Tool)) return 0;
    dialog.setWindowTitle(QString());
    dialog.CenterWindow();
    return dialog.ShowModal();
}
