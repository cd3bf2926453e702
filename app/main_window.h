#pragma once

#include <QPointer>
#include <QString>
#include <array>

#include "drink/drink_achieve_page.h"
#include "drink/drink_settings_page.h"
#include "drink/drink_show_panel.h"
#include "eye/eye_protect_page.h"
#include "relax/relax_settings_page.h"
#include "ui/window_base.h"

class CConfirmExitDlg;
class CWndUI;
class ReminderScheduler;
class TrayIcon;

// The program's one main window: a header, three feature tiles and five feature pages shown one
// at a time. Closing it only hides it; the tray brings it back. The reminders reach it through
// their scheduler, whose page requests it shows.
class CMainDlg : public ui::WindowBase {
    Q_OBJECT
  public:
    explicit CMainDlg(ReminderScheduler& scheduler);
    ~CMainDlg() override;

    QString LayoutFile() const override { return QStringLiteral("main_frame.xml"); }
    ui::Control* CreateControl(const QString& tag) override;
    void OnSystemCommand(ui::SystemCommand command) override;

    // Switches to the page a button name selects, or home for "btn_back"; any other name hides
    // every page and shows nothing.
    void ShowPage(const QString& buttonName);
    // Shown, raised and active, on that page (the tray menu's page items).
    void ShowOnPage(const QString& buttonName);
    // The actions of the title and tray menus' items.
    void OnMenuCommand(const QString& itemName);
    // Shows each tile's small buttons while the point (client coordinates) is on that tile, or
    // while the keyboard focus, shown, is in it.
    void UpdateTileHover(const QPoint& clientPoint);
    void OpenTitleMenu();
    // The tray's own menu, its top 252 pixels above the pointer.
    void OpenTrayMenu(const QPoint& cursor);
    // Starts "update" beside the executable, hidden, detached, without arguments; says so in a
    // message where there is none or it cannot be started.
    void LaunchUpdater();
    // What a tray activation and a second start ask for: the window to the front, and the exit
    // question above it while it is open (the question may be all there is to see).
    void BringToFront();

    // The name of the button whose page is shown; empty at home.
    QString CurrentPage() const;
    QWidget* Page(const QString& hostName) const;
    TrayIcon* Tray() const { return tray_; }

    // Whether a tray shows the program's icon. Without one, nothing could bring a hidden window
    // back or end the program: closing then minimises, a window hidden in a tray that goes away
    // comes back minimised, and the title menu offers the exit.
    bool TrayAvailable() const { return trayAvailable_; }
    void SetTrayAvailable(bool available);

  signals:
    // The user confirmed the exit; the event loop is to end with this code.
    void QuitRequested(int exitCode);

  protected:
    void OnInit() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void InitControls();
    // The one-line notice under the caption while nothing can be saved, and the tray's tip.
    void ShowSaveProblem(const QString& problem);
    // The window of page `index` (an index of the page table), a child of this window.
    QWidget* CreatePage(std::size_t index);
    // Closing: to the tray when there is one, else down to the task bar.
    void CloseToTray();
    void AskToExit();
    // The exit question while it is open; nullptr otherwise.
    CConfirmExitDlg* ExitQuestion() const;

    struct Controls {
        ui::Control* btnAchievement = nullptr;
        ui::Control* btnDrinkWaterSet = nullptr;
        ui::Control* btnEyeProtectSet = nullptr;
        ui::Control* btnHaveRelaxSet = nullptr;
        ui::Control* containerTitle = nullptr;
        ui::Control* containerBack = nullptr;
        ui::Control* labelBack = nullptr;
        std::array<ui::Control*, 5> pageHosts{};
        ui::Control* containerEyeProtect = nullptr;  // null until the layout is initialised
        ui::Control* containerDrinkWater = nullptr;
        ui::Control* containerRelax = nullptr;
    } c_;
    ReminderScheduler& scheduler_;
    // The pages, in the order of the page table; those not written yet stand in as plain areas.
    CEyeProtectDlg eyePage_;
    std::array<QPointer<QWidget>, 5> pages_;
    CDrinkWaterDlg drinkSettingsPage_;
    CDrinkWaterShowDlg drinkNowPage_;
    CDrinkWaterAchieveDlg achievePage_;
    CHaveRelaxDlg relaxPage_;
    TrayIcon* tray_ = nullptr;
    ui::Label* saveNotice_ = nullptr;
    bool trayAvailable_ = true;
    bool hiddenInTray_ = false;  // the last close hid the window in the tray
    QPoint pointer_{-1, -1};     // over the window's client area; off it, outside every tile
};
