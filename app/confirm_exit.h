#pragma once

#include "ui/window_base.h"

inline constexpr int kConfirmExitYes = 1;
inline constexpr int kConfirmExitNo = 2;

// The question whether the program should really quit.
class CConfirmExitDlg : public ui::WindowBase {
    Q_OBJECT
  public:
    QString LayoutFile() const override { return QStringLiteral("ConfirmExit.xml"); }

  protected:
    void OnInit() override;
};

// Asks modally, owned by `owner` (which may be hidden) and kept above it: kConfirmExitYes to
// quit, kConfirmExitNo to stay; 0 when the dialog could not be shown or was dismissed with Escape.
int ConfirmExit(QWidget* owner);
