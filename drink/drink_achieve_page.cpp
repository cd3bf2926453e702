#include "drink/drink_achieve_page.h"

#include "data/clock.h"
#include "drink/log.h"
#include "ui/controls.h"
#include "ui/report_line.h"

using AchieveFigures::Period;

CDrinkWaterAchieveDlg::CDrinkWaterAchieveDlg() = default;
CDrinkWaterAchieveDlg::~CDrinkWaterAchieveDlg() = default;

ui::Control* CDrinkWaterAchieveDlg::CreateControl(const QString& tag) {
    if (tag == QLatin1String("ReportLine")) return new CReportLineUI;
    return nullptr;
}

void CDrinkWaterAchieveDlg::BindControls() {
    c_.reportLine = Find<CReportLineUI>("report_line");
    c_.progressPercent = Find<ui::CircleProgress>("progress_percent");
    c_.labelDrinkDay = Find("label_drink_day");
    c_.labelTotalDay = Find("label_total_day");
    c_.labelCurrentDate = Find("label_current_date");
    c_.labelReachNot = Find("label_reach_not");
    c_.labelReachYet = Find("label_reach_yet");
    c_.labelCurrentDrink = Find("label_current_drink");
    c_.labelAmountText = Find("label_amount_text");
    c_.labelAmount = Find("label_amount");
    c_.labelAverageText = Find("label_average_text");
    c_.labelAverage = Find("label_average");
    c_.optDay = Find<ui::Option>("opt_day");
    c_.optWeek = Find<ui::Option>("opt_week");
    c_.optMonth = Find<ui::Option>("opt_month");
    c_.optTotal = Find<ui::Option>("opt_total");
    if (!c_.reportLine || !c_.progressPercent || !c_.optTotal)
        qCWarning(lcDrink) << LayoutFile() << "lacks the chart, the ring or the total option";
}

ui::Option* CDrinkWaterAchieveDlg::SelectedOption() const {
    for (ui::Option* option : {c_.optDay, c_.optWeek, c_.optMonth})
        if (option && option->IsSelected()) return option;
    return c_.optTotal;
}

void CDrinkWaterAchieveDlg::RefreshView() {
    const ui::Option* chosen = SelectedOption();
    if (chosen == c_.optDay)
        ShowView(Period::Day);
    else if (chosen == c_.optWeek)
        ShowView(Period::Week);
    else if (chosen == c_.optMonth)
        ShowView(Period::Month);
    else if (chosen)
        ShowView(Period::Total);
}

void CDrinkWaterAchieveDlg::OnInit() {
    BindControls();
    const std::pair<ui::Option*, Period> views[] = {{c_.optDay, Period::Day},
                                                    {c_.optWeek, Period::Week},
                                                    {c_.optMonth, Period::Month},
                                                    {c_.optTotal, Period::Total}};
    for (const auto& [option, period] : views)
        if (option)
            connect(option, &ui::Option::clicked, this, [this, p = period] { ShowView(p); });
    initialized_ = true;
    // A page out of sight is worked out when it comes into sight: years of drinks are not
    // read at start-up for a page nobody looks at.
    if (isVisible()) RefreshView();
}

void CDrinkWaterAchieveDlg::OnVisibilityChanged(bool visible) {
    if (visible && initialized_) RefreshView();
}

void CDrinkWaterAchieveDlg::ShowView(Period period) {
    const AchieveFigures::Figures figures =
        AchieveFigures::Compute(period, Clock::Current().Now().date());
    if (!figures.complete) qCWarning(lcDrink) << "drink statistics unreadable; showing zeros";
    Show(figures);
}

void CDrinkWaterAchieveDlg::Show(const AchieveFigures::Figures& f) {
    const auto setText = [](ui::Control* control, const QString& text) {
        if (control) control->SetText(text);
    };
    const auto setInt = [](ui::Control* control, int value) {
        if (control) ui::SetControlInt(control, value);
    };
    if (c_.reportLine) {
        c_.reportLine->setVisible(f.chart);
        if (f.chart) c_.reportLine->SetData(f.target, f.values, f.labels);
    }
    if (!f.chart) {
        setInt(c_.labelDrinkDay, f.drinkDays);
        setText(c_.labelTotalDay, QStringLiteral("/%1").arg(f.daysOfUse));
        if (c_.progressPercent) c_.progressPercent->SetValue(f.percent);
    }
    setText(c_.labelCurrentDate, f.title);
    if (c_.labelReachNot) c_.labelReachNot->setVisible(!f.reached);
    if (c_.labelReachYet) c_.labelReachYet->setVisible(f.reached);
    setInt(c_.labelCurrentDrink, f.current);
    setText(c_.labelAmountText, f.amountCaption);
    setInt(c_.labelAmount, f.amount);
    setText(c_.labelAverageText, f.averageCaption);
    setInt(c_.labelAverage, f.average);
}
