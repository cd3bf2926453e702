#include "app/confirm_exit.h"

void CConfirmExitDlg::OnInit() {
    OnClick("btn_yes", [this] { Close(kConfirmExitYes); });
    OnClick("btn_no", [this] { Close(kConfirmExitNo); });
    OnClick("btn_wnd_close", [this] { Close(kConfirmExitNo); });
}

int ConfirmExit(QWidget* owner) {
    CConfirmExitDlg dialog;
    if (!dialog.Create(owner, Qt::Tool)) return 0;
    dialog.setWindowTitle(QString());
    dialog.CenterWindow();
    return dialog.ShowModal();
}
