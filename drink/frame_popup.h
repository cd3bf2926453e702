#pragma once

#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "drink/drink_show_panel.h"
#include "ui/window_base.h"

// The small free-standing window that carries a feature panel outside the main window: the
// drink reminder (kind 1: the drink-now panel, sliding up into the corner of the work area) and
// the relax settings (kind 2: centred). At most one frame of each kind is open. Frames live on
// the heap and delete themselves when closed.
enum PopupKind : int {
    kDrinkReminderPopup = 1,
    kRelaxSettingsPopup = 2,
};

class CFramePopupDlg : public ui::WindowBase {
    Q_OBJECT
  public:
    // The relax settings page belongs to the relax feature, which stands on this one: it hands
    // its page in through this, and the frame owns what it makes.
    using ContentFactory = std::function<std::unique_ptr<ui::WindowBase>()>;
    static void SetRelaxSettingsContent(ContentFactory make);

    explicit CFramePopupDlg(PopupKind kind);
    ~CFramePopupDlg() override;

    PopupKind Kind() const { return kind_; }
    // The panel the frame carries: the drink-now panel or the relax settings page.
    ui::WindowBase* Content() const;
    bool IsSliding() const { return slideTimer_.isActive(); }
    const QTimer& SlideTimer() const { return slideTimer_; }

    QString LayoutFile() const override { return QStringLiteral("FramePopup.xml"); }
    ui::Control* CreateControl(const QString& tag) override;
    void OnFinalMessage() override;
    // The actions of the frame's menu items.
    void OnMenuCommand(const QString& item);

  protected:
    void OnInit() override;

  private:
    void OpenMenu();

    PopupKind kind_;
    ui::Control* titleLabel_ = nullptr;
    QTimer slideTimer_;
    CDrinkWaterShowDlg drinkPanel_;
    std::unique_ptr<ui::WindowBase> relaxPanel_;
};

// The frames that exist, oldest first.
std::vector<CFramePopupDlg*>& OpenPopupFrames();
// The open frame of a kind, or nullptr.
CFramePopupDlg* OpenPopupFrame(PopupKind kind);

// Opens the drink reminder frame, unless one is open.
void DrinkPopupOpen();
// Opens the relax settings frame owned by `owner`, unless one is open.
void RelaxSettingsPopupOpen(QWidget* owner);
