#pragma once

#include <vector>

#include "reminders/setting_view.h"
#include "ui/window_base.h"

class ReminderScheduler;

namespace ui {
class CheckBox;
class Combo;
class Control;
class Edit;
}  // namespace ui

// The drink reminder settings: the reminder switch, two sound switches, the daily target, the
// amount of one drink and the interval, each stored the moment it changes; and the time of the
// next reminder. It follows changes made elsewhere (the reminder's menu) as they are announced.
class CDrinkWaterDlg : public ui::WindowBase {
    Q_OBJECT
  public:
    explicit CDrinkWaterDlg(const ReminderScheduler& scheduler) : scheduler_(scheduler) {}
    QString LayoutFile() const override { return QStringLiteral("DrinkWater.xml"); }
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
    void OnDailyTargetEdited();
    void OnOneDrinkEdited();

    // Shows a changed setting; a number being typed into is left to the typing.
    void ShowSetting(SettingsKey key);

    const ReminderScheduler& scheduler_;
    std::vector<Reminders::SettingView> views_;
    bool initialized_ = false;
    struct {
        ui::CheckBox* remind = nullptr;
        ui::CheckBox* drinkSound = nullptr;
        ui::CheckBox* remindSound = nullptr;
        ui::Edit* targetDay = nullptr;
        ui::Edit* targetOnce = nullptr;
        ui::Combo* hour = nullptr;
        ui::Combo* minute = nullptr;
        ui::Control* nextTime = nullptr;
    } c_;
};
