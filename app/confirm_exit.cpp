#include "app/confirm_exit.h"

#include "app/message_window.h"

void CConfirmExitDlg::OnInit() {
    OnClick("btn_yes", [this] { Close(kConfirmExitYes); });
    OnClick("btn_no", [this] { Close(kConfirmExitNo); });
    OnClick("btn_wnd_close", [this] { Close(kConfirmExitNo); });
}

int ConfirmExit(QWidget* owner) {
    CConfirmExitDlg dialog;
    if (!CreateNoticeWindow(dialog, owner)) return 0;
    dialog.CenterWindow();
    return dialog.ShowModal();
}
