#include "drink/frame_popup.h"

#include <algorithm>

#include "data/settings_store.h"
#include "drink/feature_host.h"
#include "platform/platform.h"
#include "ui/corner_slide.h"
#include "ui/menu.h"
#include "ui/wnd_host.h"

namespace {

// The menu opens left of the menu button and a little below it.
constexpr QPoint kMenuOffset(-96, 10);

CFramePopupDlg::ContentFactory& RelaxSettingsFactory() {
    static CFramePopupDlg::ContentFactory make;
    return make;
}

// Whether the reminder a frame's menu switches is on: drink reminders in the drink frame, relax
// reminders in the relax settings frame.
bool RemindersOn(PopupKind kind) {
    return kind == kDrinkReminderPopup ? SettingsStore::GetRemindOnTimeDrk()
                                       : SettingsStore::GetRemindOnTime();
}

void CreateFrame(PopupKind kind, QWidget* owner) {
    if (OpenPopupFrame(kind)) return;
    auto* frame = new CFramePopupDlg(kind);
    // A reminder comes by itself: it must not take the keys from what the user is typing into;
    // a click on it makes it active as usual. Set before the native window exists: Qt hands it
    // to the window manager (a user time of 0) only when it creates that window.
    if (kind == kDrinkReminderPopup) frame->setAttribute(Qt::WA_ShowWithoutActivating);
    // A tool window on top of the others: out of the task bar, and a reminder must be seen.
    if (!frame->Create(owner, Qt::Tool | Qt::WindowStaysOnTopHint)) {
        frame->OnFinalMessage();
        return;
    }
    platform::Current().KeepOutOfTaskbar(frame->winId());
}

}  // namespace

std::vector<CFramePopupDlg*>& OpenPopupFrames() {
    static std::vector<CFramePopupDlg*> frames;
    return frames;
}

CFramePopupDlg* OpenPopupFrame(PopupKind kind) {
    for (CFramePopupDlg* frame : OpenPopupFrames())
        if (frame->Kind() == kind) return frame;
    return nullptr;
}

void DrinkPopupOpen() {
    CreateFrame(kDrinkReminderPopup, nullptr);
}

void RelaxSettingsPopupOpen(QWidget* owner) {
    CreateFrame(kRelaxSettingsPopup, owner);
}

void CFramePopupDlg::SetRelaxSettingsContent(ContentFactory make) {
    RelaxSettingsFactory() = std::move(make);
}

CFramePopupDlg::CFramePopupDlg(PopupKind kind) : kind_(kind) {
    OpenPopupFrames().push_back(this);
}

CFramePopupDlg::~CFramePopupDlg() {
    // Also when its owner window took it along before it could close by itself.
    std::erase(OpenPopupFrames(), this);
}

ui::WindowBase* CFramePopupDlg::Content() const {
    if (kind_ == kDrinkReminderPopup) return const_cast<CDrinkWaterShowDlg*>(&drinkPanel_);
    return relaxPanel_.get();
}

ui::Control* CFramePopupDlg::CreateControl(const QString& tag) {
    if (tag != QLatin1String("ChildWndControl")) return nullptr;
    ui::WindowBase* content = nullptr;
    if (kind_ == kDrinkReminderPopup) {
        content = &drinkPanel_;
    } else if (kind_ == kRelaxSettingsPopup && RelaxSettingsFactory()) {
        relaxPanel_ = RelaxSettingsFactory()();
        content = relaxPanel_.get();
    }
    if (!content || !content->CreateChild(this)) return nullptr;
    // The drink panel asks to be let go once its drink is done or declined.
    if (content == &drinkPanel_)
        connect(&drinkPanel_, &CDrinkWaterShowDlg::DismissRequested, this, [this] { Close(1); });
    return CWndUI::CreateHost(content);
}

void CFramePopupDlg::OnInit() {
    titleLabel_ = FindControl(QStringLiteral("label_title"));
    OnClick("btn_main_menu", [this] { OpenMenu(); });
    OnClick("btn_wnd_close", [this] { Close(1); });
    if (kind_ == kDrinkReminderPopup) {
        if (titleLabel_) titleLabel_->SetText(QStringLiteral("喝水提醒"));
        // From just below the work area, flush with its right edge, up into the corner.
        ui::CornerSlide::PlaceBelow(*this);
        show();
        raise();
        connect(&slideTimer_, &QTimer::timeout, this, [this] {
            if (!ui::CornerSlide::Step(*this)) slideTimer_.stop();
        });
        slideTimer_.start(ui::CornerSlide::kStepMs);
    } else {
        if (titleLabel_) titleLabel_->SetText(QStringLiteral("休息提醒设置"));
        CenterWindow();
        ShowWithFocus();
    }
}

void CFramePopupDlg::OpenMenu() {
    ui::Control* button = FindControl(QStringLiteral("btn_main_menu"));
    if (!button) return;
    const QPoint anchor = button->mapToGlobal(QPoint(0, button->height()) + kMenuOffset);
    ui::MenuWnd* menu = ui::MenuWnd::CreateMenu(this, QStringLiteral("menu_frame.xml"), anchor);
    if (!menu) return;
    connect(menu, &ui::MenuWnd::itemChosen, this, &CFramePopupDlg::OnMenuCommand);
    // The tick says "no more reminders" is in force.
    menu->SetItemIcon(QStringLiteral("menu_frame_nopop"),
                      RemindersOn(kind_) ? QString() : QStringLiteral("menu_tick.png"));
}

void CFramePopupDlg::OnMenuCommand(const QString& item) {
    if (item == QLatin1String("menu_frame_nopop")) {
        // Takes effect at once: the timer is re-armed (or stopped) with the new switch.
        if (kind_ == kDrinkReminderPopup) {
            SettingsStore::SetRemindOnTimeDrk(!SettingsStore::GetRemindOnTimeDrk());
            if (TheMainWindow) TheMainWindow->RearmDrinkTimer();
        } else {
            SettingsStore::SetRemindOnTime(!SettingsStore::GetRemindOnTime());
            if (TheMainWindow) TheMainWindow->RearmRelaxTimer();
        }
    } else if (item == QLatin1String("menu_frame_tipset")) {
        // The drink reminder's settings live on the main window's page; the relax settings
        // frame is those settings already.
        if (kind_ == kDrinkReminderPopup && TheMainWindow)
            TheMainWindow->ShowOnPage(QStringLiteral("btn_drinkwater_set"));
    }
    // "意见反馈" does nothing.
}

void CFramePopupDlg::OnFinalMessage() {
    std::erase(OpenPopupFrames(), this);
    deleteLater();
}
