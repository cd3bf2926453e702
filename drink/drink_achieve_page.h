#pragma once

#include "drink/achieve_figures.h"
#include "ui/window_base.h"

class CReportLineUI;
namespace ui {
class CircleProgress;
class Control;
class Option;
}  // namespace ui

// The drink achievements page ("喝水成绩"): four options choose the day, week, month or total
// view; the first three draw the last seven periods as a chart, the total view a ring of the
// days with a drink out of the days of use. The shown view is worked out afresh each time the
// page comes into sight; the chosen option stays while the program runs.
class CDrinkWaterAchieveDlg : public ui::WindowBase {
    Q_OBJECT
  public:
    CDrinkWaterAchieveDlg();
    ~CDrinkWaterAchieveDlg() override;

    QString LayoutFile() const override { return QStringLiteral("DrinkWaterAchieve.xml"); }
    // The chart for "ReportLine"; nothing for any other tag.
    ui::Control* CreateControl(const QString& tag) override;
    void OnVisibilityChanged(bool visible) override;

    // The chosen period's option: opt_day, opt_week or opt_month when selected, else opt_total.
    ui::Option* SelectedOption() const;

  protected:
    void OnInit() override;

  private:
    void BindControls();
    // Works out and shows the chosen option's view.
    void RefreshView();
    void ShowView(AchieveFigures::Period period);
    void Show(const AchieveFigures::Figures& figures);

    bool initialized_ = false;
    struct Controls {
        CReportLineUI* reportLine = nullptr;
        ui::CircleProgress* progressPercent = nullptr;
        ui::Control* labelDrinkDay = nullptr;
        ui::Control* labelTotalDay = nullptr;
        ui::Control* labelCurrentDate = nullptr;
        ui::Control* labelReachNot = nullptr;
        ui::Control* labelReachYet = nullptr;
        ui::Control* labelCurrentDrink = nullptr;
        ui::Control* labelAmountText = nullptr;
        ui::Control* labelAmount = nullptr;
        ui::Control* labelAverageText = nullptr;
        ui::Control* labelAverage = nullptr;
        ui::Option* optDay = nullptr;
        ui::Option* optWeek = nullptr;
        ui::Option* optMonth = nullptr;
        ui::Option* optTotal = nullptr;
    } c_;
};
