#include "reminders/popup_frame.h"

#include "reminders/corner_slide.h"
#include "reminders/reminder_window.h"
#include "ui/menu.h"
#include "ui/wnd_host.h"

namespace {

// The menu opens left of the menu button and a little below it.
constexpr QPoint kMenuOffset(-96, 10);

}  // namespace

CFramePopupDlg* CFramePopupDlg::Open(Spec spec, QWidget* owner) {
    auto* frame = new CFramePopupDlg(std::move(spec));
    const bool corner = frame->spec_.corner;
    return Reminders::CreateReminderWindow(*frame, !corner, corner ? nullptr : owner) ? frame
                                                                                      : nullptr;
}

CFramePopupDlg::CFramePopupDlg(Spec spec) : spec_(std::move(spec)) {}

ui::Control* CFramePopupDlg::CreateControl(const QString& tag) {
    if (tag != QLatin1String("ChildWndControl") || !spec_.makeContent) return nullptr;
    content_ = spec_.makeContent(*this);
    if (!content_ || !content_->CreateChild(this)) return nullptr;
    return CWndUI::CreateHost(content_.get());
}

void CFramePopupDlg::OnInit() {
    if (ui::Control* title = Find("label_title")) title->SetText(spec_.title);
    OnClick("btn_main_menu", [this] { OpenMenu(); });
    OnClick("btn_wnd_close", [this] { Close(1); });
    if (spec_.corner) {
        // From just below the work area, up into the corner.
        Reminders::CornerSlide::PlaceBelow(*this);
        show();
        raise();
        connect(&slideTimer_, &QTimer::timeout, this, [this] {
            if (!Reminders::CornerSlide::Step(*this)) slideTimer_.stop();
        });
        slideTimer_.start(Reminders::CornerSlide::kStepMs);
    } else {
        CenterWindow();
        ShowWithFocus();
    }
}

void CFramePopupDlg::OpenMenu() {
    ui::MenuWnd* menu = Reminders::OpenMenuBelow(*this, "btn_main_menu",
                                                 QStringLiteral("menu_frame.xml"), kMenuOffset);
    if (!menu) return;
    connect(menu, &ui::MenuWnd::itemChosen, this, &CFramePopupDlg::OnMenuCommand);
    // The tick says "no more reminders" is in force.
    const bool on = !spec_.remindersOn || spec_.remindersOn();
    menu->SetItemIcon(QStringLiteral("menu_frame_nopop"),
                      on ? QString() : QStringLiteral("menu_tick.png"));
}

void CFramePopupDlg::OnMenuCommand(const QString& item) {
    if (item == QLatin1String("menu_frame_nopop")) {
        if (spec_.remindersOn && spec_.setRemindersOn) spec_.setRemindersOn(!spec_.remindersOn());
    } else if (item == QLatin1String("menu_frame_tipset")) {
        if (spec_.openSettings) spec_.openSettings();
    }
    // "意见反馈" does nothing.
}

void CFramePopupDlg::OnFinalMessage() {
    deleteLater();
}
