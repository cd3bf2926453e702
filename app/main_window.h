#pragma once

#include <QPointer>
#include <QString>
#include <array>

#include "eye/eye_protect_page.h"
#include "ui/window_base.h"

class CWndUI;
class TrayIcon;

// The program's one main window: a header, three feature tiles and five feature pages shown one
// at a time. Closing it only hides it; the tray brings it back.
class CMainDlg : public ui::WindowBase {
    Q_OBJECT
  public:
    CMainDlg();
    ~CMainDlg() override;

    QString LayoutFile() const override { return QStringLiteral("main_frame.xml"); }
    ui::Control* CreateControl(const QString& tag) override;
    void Notify(const ui::Notification& msg) override;
    bool HandleWindowMessage(ui::WindowMessage* msg) override;
    void OnMenuClick(const QString& itemName) override { OnMenuCommand(itemName); }
    void OnSystemCommand(ui::SystemCommand command) override;

    // Switches to the page a button name selects, or home for "btn_back"; any other name hides
    // every page and shows nothing.
    void ShowPage(const QString& buttonName);
    // The actions of the title and tray menus' items.
    void OnMenuCommand(const QString& itemName);
    // Shows each tile's small buttons while the point (client coordinates) is on that tile.
    void UpdateTileHover(const QPoint& clientPoint);
    void OpenTitleMenu();
    // The tray's own menu, its top 252 pixels above the pointer.
    void OpenTrayMenu(const QPoint& cursor);
    // Starts "update" beside the executable, hidden, detached, without arguments.
    static void LaunchUpdater();

    // The name of the button whose page is shown; empty at home.
    QString CurrentPage() const;
    QWidget* Page(const QString& hostName) const;
    TrayIcon* Tray() const { return tray_; }

  signals:
    // The user confirmed the exit; the event loop is to end with this code.
    void QuitRequested(int exitCode);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void InitControls();
    // The window of page `index` (an index of the page table), a child of this window.
    QWidget* CreatePage(std::size_t index);
    void OnTrayEvent(qintptr mouseMessage);

    struct Controls {
        ui::Control* btnBack = nullptr;
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
    // The pages, in the order of the page table; those not written yet stand in as plain areas.
    CEyeProtectDlg eyePage_;
    std::array<QPointer<QWidget>, 5> pages_;
    TrayIcon* tray_ = nullptr;
};

// The one main window, for pages that switch views or re-arm reminders. Null when there is none.
extern CMainDlg* TheMainWindow;
