#pragma once

#include <vector>

#include "reminders/setting_view.h"
#include "ui/window_base.h"

class ReminderScheduler;

namespace ui {
class CheckBox;
class Combo;
class Control;
}  // namespace ui

// The relax reminder settings: the reminder switch, the full-screen break switch, the sound
// switch, the prompt's countdown, the break's length and the interval, each stored the moment it
// changes; and the time of the next reminder. It follows changes made elsewhere (the prompt's and
// the lock's menus, the other copy of this page) as they are announced. It lives in the main
// window ("haverelax_large.xml") and in the relax settings frame ("haverelax.xml").
class CHaveRelaxDlg : public ui::WindowBase {
    Q_OBJECT
  public:
    explicit CHaveRelaxDlg(ReminderScheduler& scheduler) : scheduler_(scheduler) {}
    QString LayoutFile() const override { return layoutFile_; }
    // Before the window is made: the main window uses the large layout.
    void SetLayoutFile(const QString& file) { layoutFile_ = file; }

    void OnVisibilityChanged(bool visible) override;

    // Shows the stored values; unless forced, only once the page is set up.
    void LoadControls(bool forced);
    // Stores the interval the combos show (never 0 h 0 min).
    void SaveInterval();
    // The next reminder's time, as the scheduler has it.
    void RefreshNextReminder();

  protected:
    void OnInit() override;

  private:
    // The full-screen switch and its caption belong to reminders that are on.
    void ShowFullScreenSwitch(bool shown);
    // Shows a changed setting.
    void ShowSetting(SettingsKey key);

    ReminderScheduler& scheduler_;
    std::vector<Reminders::SettingView> views_;
    QString layoutFile_ = QStringLiteral("haverelax.xml");
    bool initialized_ = false;
    struct {
        ui::CheckBox* remind = nullptr;
        ui::Control* fullScreenCaption = nullptr;
        ui::CheckBox* fullScreen = nullptr;
        ui::CheckBox* sound = nullptr;
        ui::Combo* countdown = nullptr;
        ui::Combo* relaxMinute = nullptr;
        ui::Combo* hour = nullptr;
        ui::Combo* minute = nullptr;
        ui::Control* nextTime = nullptr;
    } c_;
};
