#pragma once

#include <QTimer>

#include "ui/window_base.h"

namespace ui {
class CheckBox;
class Combo;
class Control;
class Edit;
}  // namespace ui

// The drink reminder settings: the reminder switch, two sound switches, the daily target, the
// amount of one drink and the interval, each stored the moment it changes; and the time of the
// next reminder, kept current while the page is seen.
class CDrinkWaterDlg : public ui::WindowBase {
    Q_OBJECT
  public:
    QString LayoutFile() const override { return QStringLiteral("DrinkWater.xml"); }
    void OnVisibilityChanged(bool visible) override;

    // Shows the stored values; unless forced, only once the page is set up.
    void LoadControls(bool forced);
    // Stores the interval the combos show (never 0 h 0 min) and re-arms the drink timer.
    void SaveInterval();
    // The next reminder's time and the switch, as stored now.
    void RefreshNextReminder();
    bool IsRefreshing() const { return refreshTimer_.isActive(); }

  protected:
    void OnInit() override;

  private:
    void OnDailyTargetEdited();
    void OnOneDrinkEdited();

    bool initialized_ = false;
    QTimer refreshTimer_;
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
