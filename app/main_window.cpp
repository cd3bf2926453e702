#include "app/main_window.h"

#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QMouseEvent>

#include "app/confirm_exit.h"
#include "app/log.h"
#include "app/message_window.h"
#include "app/tray_icon.h"
#include "data/settings_notifier.h"
#include "data/settings_store.h"
#include "platform/autostart.h"
#include "reminders/reminder_scheduler.h"
#include "system/process_launch.h"
#include "ui/menu.h"
#include "ui/wnd_host.h"

namespace {

// The five pages, in the order of kPages.
enum PageIndex : std::size_t {
    kEyePage,
    kDrinkSettingsPage,
    kDrinkNowPage,
    kAchievementsPage,
    kRelaxSettingsPage,
};

// The five pages: layout tag, host name, the button name that selects the page, its title.
struct PageEntry {
    const char* tag;
    const char* host;
    const char* button;
    const char* title;
};
constexpr std::array<PageEntry, 5> kPages{{
    {"WndEyeProtect", "wnd_eyeprotect", "btn_eyeprotect_set", "防蓝光设置"},
    {"WndDrinkWater", "wnd_drinkwater", "btn_drinkwater_set", "喝水提醒设置"},
    {"WndDrinkWaterShow", "wnd_drinkwater_show", "btn_drink_imm", "立即喝水"},
    {"WndDrinkWaterAchieve", "wnd_drinkwater_achieve", "btn_achievement", "喝水成绩"},
    {"WndHaveRelax", "wnd_haverelax", "btn_haverelax_set", "休息提醒设置"},
}};

int PageIndexByButton(const QString& button) {
    for (std::size_t i = 0; i < kPages.size(); ++i)
        if (button == QLatin1String(kPages[i].button)) return static_cast<int>(i);
    return -1;
}

// A name (a click's sender, a menu item) and the page it opens.
struct Route {
    const char* from;
    const char* page;
};

// Clicks that open a page: the tiles and their small buttons.
constexpr std::array<Route, 8> kClickRoutes{{
    {"btn_eyeprotect_set", "btn_eyeprotect_set"},
    {"btn_eyeprotect", "btn_eyeprotect_set"},
    {"btn_drinkwater_set", "btn_drinkwater_set"},
    {"btn_drink_imm", "btn_drink_imm"},
    {"btn_achievement", "btn_achievement"},
    {"btn_haverelax_set", "btn_haverelax_set"},
    {"btn_relax", "btn_haverelax_set"},
    {"btn_back", "btn_back"},
}};

// Tray menu items that bring the window to the front on a page.
constexpr std::array<Route, 5> kTrayPageItems{{
    {"menu_tray_drink_imm", "btn_drink_imm"},
    {"menu_tray_drink_achieve", "btn_achievement"},
    {"menu_tray_drink_set", "btn_drinkwater_set"},
    {"menu_tray_relax_set", "btn_haverelax_set"},
    {"menu_tray_blue_set", "btn_eyeprotect_set"},
}};

// Where the notice that nothing can be saved lies: under the 26-pixel caption, in the layout's
// small font.
constexpr int kCaptionHeight = 26;
constexpr int kNoticeHeight = 22;
constexpr int kNoticeFont = 2;

// How far above the pointer the tray menu's top lies.
constexpr int kTrayMenuLift = 252;
// Gap between the title menu button and its menu.
constexpr int kTitleMenuGap = 10;

// Stands in for a feature page whose window has not been written yet: the page area in the
// window's colours, so navigation looks and behaves as it will.
ui::Control* NewPendingPage(QWidget* window) {
    auto* page = new ui::Control(window);
    page->SetAttribute(QStringLiteral("bkcolor"), QStringLiteral("#FFF7FFFF"));
    page->SetBkImage(QStringLiteral("file='label_wave.png' dest='0,320,350,424'"));
    page->hide();
    return page;
}

}  // namespace

CMainDlg::CMainDlg(ReminderScheduler& scheduler)
    : scheduler_(scheduler),
      drinkSettingsPage_(scheduler),
      drinkNowPage_(scheduler.Sounds()),
      relaxPage_(scheduler) {
    // The drink-now page asks to be left once a drink is done or declined.
    connect(&drinkNowPage_, &CDrinkWaterShowDlg::DismissRequested, this,
            [this] { ShowPage(QStringLiteral("btn_back")); });
    connect(&drinkNowPage_, &CDrinkWaterShowDlg::AchievementsRequested, this,
            [this] { ShowPage(QStringLiteral("btn_achievement")); });
    connect(&scheduler, &ReminderScheduler::PageRequested, this,
            [this](const QString& button, bool show) {
                if (show)
                    ShowOnPage(button);
                else
                    ShowPage(button);
            });
    connect(&scheduler, &ReminderScheduler::FeedbackRequested, this, [] { OpenFeedback(nullptr); });
}

CMainDlg::~CMainDlg() {
    // The windows it owns (a message) close as it goes, moving the focus: this window, half
    // gone by then, must not follow.
    disconnect(qApp, nullptr, this, nullptr);
    delete tray_;  // the icon leaves the panel before the window goes
    tray_ = nullptr;
}

ui::Control* CMainDlg::CreateControl(const QString& tag) {
    for (std::size_t i = 0; i < kPages.size(); ++i) {
        if (tag != QLatin1String(kPages[i].tag)) continue;
        // Each page is built when it is first shown: opening the window builds none of them.
        auto* host = new CWndUI;
        host->SetPageMaker([this, i]() -> QWidget* {
            if (!pages_[i]) pages_[i] = CreatePage(i);
            return pages_[i];
        });
        return host;
    }
    return nullptr;
}

QWidget* CMainDlg::CreatePage(std::size_t index) {
    // A page whose layout cannot be built leaves the page area empty, and says why.
    const auto host = [this](ui::WindowBase& page) -> QWidget* {
        if (page.CreateChild(this)) return &page;
        qCWarning(lcApp).noquote() << "a page cannot be built:" << page.ErrorText();
        return NewPendingPage(this);
    };
    switch (index) {
        case kEyePage:
            return host(eyePage_);
        case kDrinkSettingsPage:
            return host(drinkSettingsPage_);
        case kDrinkNowPage:
            drinkNowPage_.SetLayoutFile(QStringLiteral("DrinkWaterShow_large.xml"));
            return host(drinkNowPage_);
        case kAchievementsPage:
            return host(achievePage_);
        case kRelaxSettingsPage:
            relaxPage_.SetLayoutFile(QStringLiteral("haverelax_large.xml"));
            return host(relaxPage_);
        default:
            return nullptr;
    }
}

QString CMainDlg::CurrentPage() const {
    for (std::size_t i = 0; i < kPages.size(); ++i)
        if (c_.pageHosts[i] && c_.pageHosts[i]->IsVisibleFlag())
            return QString::fromLatin1(kPages[i].button);
    return {};
}

QWidget* CMainDlg::Page(const QString& hostName) const {
    for (std::size_t i = 0; i < kPages.size(); ++i)
        if (hostName == QLatin1String(kPages[i].host)) return pages_[i];
    return nullptr;
}

void CMainDlg::InitControls() {
    c_.btnAchievement = Find("btn_achievement");
    c_.btnDrinkWaterSet = Find("btn_drinkwater_set");
    c_.btnEyeProtectSet = Find("btn_eyeprotect_set");
    c_.btnHaveRelaxSet = Find("btn_haverelax_set");
    c_.containerTitle = Find("container_title");
    c_.containerBack = Find("container_back");
    c_.labelBack = Find("label_back");
    for (std::size_t i = 0; i < kPages.size(); ++i) c_.pageHosts[i] = Find(kPages[i].host);
    c_.containerDrinkWater = Find("container_drink_water");
    c_.containerRelax = Find("container_relax");
    c_.containerEyeProtect = Find("container_eye_protect");

    // The small buttons of a tile show while the shown focus is in it.
    connect(qApp, &QApplication::focusChanged, this, [this] { UpdateTileHover(pointer_); });
    connect(&ui::FocusMarks::Instance(), &ui::FocusMarks::ShownChanged, this,
            [this] { UpdateTileHover(pointer_); });
    // Tile hover follows the pointer over every control of the window.
    setMouseTracking(true);
    installEventFilter(this);
    for (ui::Control* control : Root()->findChildren<ui::Control*>()) {
        if (control->Window() != this) continue;
        control->setMouseTracking(true);
        control->installEventFilter(this);
    }
}

void CMainDlg::OnInit() {
    InitControls();
    for (const Route& route : kClickRoutes) {
        const QString page = QString::fromLatin1(route.page);
        OnClick(route.from, [this, page] { ShowPage(page); });
    }
    OnClick("btn_main_menu", [this] { OpenTitleMenu(); });
    OnClick("btn_show_min", [this] { OnSystemCommand(ui::SystemCommand::Minimize); });
    OnClick("btn_wnd_close", [this] { CloseToTray(); });
    if (!tray_) {
        tray_ = new TrayIcon;
        connect(tray_, &TrayIcon::AvailabilityChanged, this, &CMainDlg::SetTrayAvailable);
        connect(tray_, &TrayIcon::ShowRequested, this, &CMainDlg::BringToFront);
        connect(tray_, &TrayIcon::MenuRequested, this, [this] { OpenTrayMenu(QCursor::pos()); });
        connect(tray_, &TrayIcon::MenuItemChosen, this, &CMainDlg::OnMenuCommand);
    }
    tray_->Show();
    SetTrayAvailable(tray_->IsAvailable());
    connect(&SettingsNotifier::Instance(), &SettingsNotifier::saveProblemChanged, this,
            &CMainDlg::ShowSaveProblem);
    ShowSaveProblem(SettingsStore::SaveProblem());
}

void CMainDlg::ShowSaveProblem(const QString& problem) {
    const QString line = problem.isEmpty() ? QString() : QStringLiteral("无法保存数据：") + problem;
    if (!saveNotice_ && !problem.isEmpty()) {
        // A thin bar under the caption, over whatever page shows, where the user looks.
        saveNotice_ = new ui::Label(this);
        saveNotice_->setObjectName(QStringLiteral("label_save_problem"));
        for (const auto& [name, value] : {std::pair{"bkcolor", "#FFFFF1DC"},
                                          {"textcolor", "#FFB4640A"},
                                          {"align", "center"},
                                          {"bordersize", "1"},
                                          {"bordercolor", "#FFF5C98C"}})
            saveNotice_->SetAttribute(QString::fromLatin1(name), QString::fromLatin1(value));
        saveNotice_->setFont(FontById(kNoticeFont));
        saveNotice_->setGeometry(ClientRect().x(), ClientRect().y() + kCaptionHeight,
                                 ClientRect().width(), kNoticeHeight);
    }
    if (saveNotice_) {
        saveNotice_->SetText(line);
        saveNotice_->setToolTip(SettingsStore::DatabasePath());
        saveNotice_->setVisible(!problem.isEmpty());
        saveNotice_->raise();
    }
    if (tray_) tray_->SetNotice(line);
}

void CMainDlg::ShowPage(const QString& buttonName) {
    if (!c_.containerEyeProtect) return;
    for (ui::Control* control : {c_.containerTitle, c_.containerBack})
        if (control) control->setVisible(false);
    for (ui::Control* host : c_.pageHosts)
        if (host) host->setVisible(false);

    const int index = PageIndexByButton(buttonName);
    // The tiles lie under the pages: out of sight, they are out of the keyboard's way too.
    for (ui::Control* tile : {c_.containerEyeProtect, c_.containerDrinkWater, c_.containerRelax})
        if (tile) tile->setVisible(index < 0);
    if (index >= 0) {
        if (c_.containerBack) c_.containerBack->setVisible(true);
        if (ui::Control* host = c_.pageHosts[static_cast<std::size_t>(index)])
            host->setVisible(true);
        if (c_.labelBack)
            c_.labelBack->SetText(QString::fromUtf8(kPages[static_cast<std::size_t>(index)].title));
        ui::FocusFirstIn(pages_[static_cast<std::size_t>(index)]);
    } else if (buttonName == QLatin1String("btn_back") && c_.containerTitle) {
        c_.containerTitle->setVisible(true);
        ui::FocusFirstIn(c_.containerEyeProtect);
    }
    if (saveNotice_) saveNotice_->raise();  // over a page built just now
}

void CMainDlg::OnSystemCommand(ui::SystemCommand command) {
    switch (command) {
        case ui::SystemCommand::Close:
            CloseToTray();
            break;
        case ui::SystemCommand::Maximize:
            break;  // a fixed-size panel
        default:
            ui::WindowBase::OnSystemCommand(command);
    }
}

void CMainDlg::ShowOnPage(const QString& buttonName) {
    ShowWithFocus();  // shown, raised and active
    ShowPage(buttonName);
}

void CMainDlg::SetTrayAvailable(bool available) {
    trayAvailable_ = available;
    // The panel restarted or crashed: the window must not stay out of reach.
    if (!available && hiddenInTray_ && isHidden()) OnSystemCommand(ui::SystemCommand::Minimize);
}

void CMainDlg::CloseToTray() {
    hiddenInTray_ = trayAvailable_;
    if (trayAvailable_)
        hide();  // the program lives on in the tray
    else
        OnSystemCommand(ui::SystemCommand::Minimize);
}

CConfirmExitDlg* CMainDlg::ExitQuestion() const {
    auto* question = findChild<CConfirmExitDlg*>(QString(), Qt::FindDirectChildrenOnly);
    return question && !question->IsClosed() ? question : nullptr;
}

void CMainDlg::BringToFront() {
    CConfirmExitDlg* question = ExitQuestion();
    // During a full-screen break the break comes to the front: the window would show under it.
    if (!question && scheduler_.IsFullScreen(ReminderKind::Relax)) {
        scheduler_.Request(ReminderKind::Relax);
        return;
    }
    if (!question || isVisible()) ShowWithFocus();
    if (question) question->ShowWithFocus();
}

void CMainDlg::AskToExit() {
    // Asked again while the question is open: the question comes to the front.
    if (ExitQuestion()) return BringToFront();
    if (ConfirmExit(this) == kConfirmExitYes) emit QuitRequested(0);
}

void CMainDlg::UpdateTileHover(const QPoint& p) {
    pointer_ = p;
    if (!c_.containerEyeProtect) return;
    QWidget* focus = ui::FocusMarks::Instance().Shown() ? QApplication::focusWidget() : nullptr;
    // QRect::contains leaves the right and bottom edges (x + width, y + height) outside.
    const auto inside = [&p, focus](const ui::Control* tile) {
        return tile && (tile->geometry().contains(p) || tile->isAncestorOf(focus));
    };
    const bool onDrink = inside(c_.containerDrinkWater);
    if (c_.btnAchievement) c_.btnAchievement->setVisible(onDrink);
    if (c_.btnDrinkWaterSet) c_.btnDrinkWaterSet->setVisible(onDrink);
    if (c_.btnEyeProtectSet) c_.btnEyeProtectSet->setVisible(inside(c_.containerEyeProtect));
    if (c_.btnHaveRelaxSet) c_.btnHaveRelaxSet->setVisible(inside(c_.containerRelax));
}

bool CMainDlg::eventFilter(QObject* watched, QEvent* event) {
    if (c_.containerEyeProtect) {
        if (event->type() == QEvent::MouseMove) {
            const auto* me = static_cast<QMouseEvent*>(event);
            const QPoint inWindow = mapFromGlobal(me->globalPosition().toPoint());
            UpdateTileHover(Root()->mapFrom(this, inWindow));
        } else if (event->type() == QEvent::Leave && watched == this) {
            // The pointer left the window: no tile is under it any more.
            UpdateTileHover(QPoint(-1, -1));
        }
    }
    return ui::WindowBase::eventFilter(watched, event);
}

void CMainDlg::OpenTitleMenu() {
    ui::Control* button = FindControl(QStringLiteral("btn_main_menu"));
    if (!button) return;
    const QPoint below = button->mapToGlobal(QPoint(0, button->height() + kTitleMenuGap));
    ui::MenuWnd* menu = ui::MenuWnd::CreateMenu(this, QStringLiteral("menu_title.xml"), below);
    if (!menu) return;
    connect(menu, &ui::MenuWnd::itemChosen, this, &CMainDlg::OnMenuCommand);
    menu->SetItemIcon(QStringLiteral("menu_title_run"),
                      Autostart::IsAutoRunOn() ? QStringLiteral("menu_tick.png") : QString());
    // Without a tray the tray menu's way out is offered here.
    menu->SetItemVisible(QStringLiteral("menu_title_exit_line"), !trayAvailable_);
    menu->SetItemVisible(QStringLiteral("menu_title_exit"), !trayAvailable_);
}

void CMainDlg::OpenTrayMenu(const QPoint& cursor) {
    if (ui::MenuWnd* menu = ui::MenuWnd::CreateMenu(this, QStringLiteral("menu_tray.xml"),
                                                    QPoint(cursor.x(), cursor.y() - kTrayMenuLift)))
        connect(menu, &ui::MenuWnd::itemChosen, this, &CMainDlg::OnMenuCommand);
}

void CMainDlg::OnMenuCommand(const QString& item) {
    if (item == QLatin1String("menu_title_run")) {
        Autostart::SetAutoRun(!Autostart::IsAutoRunOn());
        return;
    }
    if (item == QLatin1String("menu_title_update") || item == QLatin1String("menu_tray_update")) {
        LaunchUpdater();
        return;
    }
    for (const Route& route : kTrayPageItems) {
        if (item == QLatin1String(route.from)) {
            ShowOnPage(QString::fromLatin1(route.page));
            return;
        }
    }
    if (item == QLatin1String("menu_tray_exit") || item == QLatin1String("menu_title_exit"))
        AskToExit();
    else if (item == QLatin1String("menu_title_feedback") ||
             item == QLatin1String("menu_tray_feedback"))
        OpenFeedback(this);
    // Anything unknown does nothing.
}

void CMainDlg::LaunchUpdater() {
    const QString folder = ProcessLaunch::GetProgramFolder();
    ProcessLaunch::RunRequest request;
    request.program = folder + QStringLiteral("/update");
    const bool found = !folder.isEmpty() && QFileInfo(request.program).isFile();
    if (found && ProcessLaunch::RunProcess(request)) return;
    if (found) qCWarning(lcApp).noquote() << "the updater cannot be started:" << request.program;
    CMessageDlg::Open(UpdaterMessage(request.program, found), this);
}
