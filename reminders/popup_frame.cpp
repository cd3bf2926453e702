#include "reminders/popup_frame.h"

#include "reminders/corner_slide.h"
#include "reminders/reminder_window.h"
#include "ui/menu.h"
#include "ui/wnd_host.h"

namespace {

// The menu opens left of the menu button and a little below it.
constexpr QPoint kMenuOffset(-96, 10);

}  // namespace

CFramePopupDlg* CFramePopupDlg::Open(Setup setup, QWidget* owner) {
    auto* frame = new CFramePopupDlg(std::move(setup));
    const bool corner = frame->setup_.corner;
    return Reminders::CreateReminderWindow(*frame, !corner, corner ? nullptr : owner) ? frame
                                                                                      : nullptr;
}

CFramePopupDlg::CFramePopupDlg(Setup setup) : setup_(std::move(setup)) {}

ui::Control* CFramePopupDlg::CreateControl(const QString& tag) {
    if (tag != QLatin1String("ChildWndControl") || !setup_.makeContent) return nullptr;
    content_ = setup_.makeContent(*this);
    if (!content_ || !content_->CreateChild(this)) return nullptr;
    return CWndUI::CreateHost(content_.get());
}

void CFramePopupDlg::OnInit() {
    if (ui::Control* title = Find("label_title")) title->SetText(setup_.title);
    OnClick("btn_main_menu", [this] { OpenMenu(); });
    OnClick("btn_wnd_close", [this] { Close(1); });
    if (setup_.extraHeight > 0) {
        setMinimumHeight(minimumHeight() + setup_.extraHeight);
        resize(width(), height() + setup_.extraHeight);
    }
    if (setup_.corner) {
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
    const bool on = !setup_.remindersOn || setup_.remindersOn();
    menu->SetItemIcon(QStringLiteral("menu_frame_nopop"),
                      on ? QString() : QStringLiteral("menu_tick.png"));
}

void CFramePopupDlg::OnMenuCommand(const QString& item) {
    if (item == QLatin1String("menu_frame_nopop")) {
        if (setup_.remindersOn && setup_.setRemindersOn)
            setup_.setRemindersOn(!setup_.remindersOn());
    } else if (item == QLatin1String("menu_frame_tipset")) {
        if (setup_.openSettings) setup_.openSettings();
    } else if (item == QLatin1String("menu_frame_feedback")) {
        if (setup_.feedback) setup_.feedback();
    }
}

void CFramePopupDlg::OnFinalMessage() {
    deleteLater();
}
