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
    const auto find = [this](const char* name) { return FindControl(QString::fromLatin1(name)); };
    const auto option = [&find](const char* name) { return qobject_cast<ui::Option*>(find(name)); };
    c_.reportLine = qobject_cast<CReportLineUI*>(find("report_line"));
    c_.progressPercent = qobject_cast<ui::CircleProgress*>(find("progress_percent"));
    c_.labelDrinkDay = find("label_drink_day");
    c_.labelTotalDay = find("label_total_day");
    c_.labelCurrentDate = find("label_current_date");
    c_.labelReachNot = find("label_reach_not");
    c_.labelReachYet = find("label_reach_yet");
    c_.labelCurrentDrink = find("label_current_drink");
    c_.labelAmountText = find("label_amount_text");
    c_.labelAmount = find("label_amount");
    c_.labelAverageText = find("label_average_text");
    c_.labelAverage = find("label_average");
    c_.optDay = option("opt_day");
    c_.optWeek = option("opt_week");
    c_.optMonth = option("opt_month");
    c_.optTotal = option("opt_total");
    if (!c_.reportLine || !c_.progressPercent || !c_.optTotal)
        qCWarning(lcDrink) << LayoutFile() << "lacks the chart, the ring or the total option";
}

ui::Option* CDrinkWaterAchieveDlg::SelectedOption() const {
    for (ui::Option* option : {c_.optDay, c_.optWeek, c_.optMonth})
        if (option && option->IsSelected()) return option;
    return c_.optTotal;
}

void CDrinkWaterAchieveDlg::RefreshView() {
    if (ui::Option* option = SelectedOption()) SendNotify(option, QStringLiteral("click"));
}

void CDrinkWaterAchieveDlg::Notify(const ui::Notification& msg) {
    if (msg.type == QLatin1String("windowinit")) {
        BindControls();
        initialized_ = true;
        // A page out of sight is worked out when it comes into sight: years of drinks are not
        // read at start-up for a page nobody looks at.
        if (isVisible()) RefreshView();
        return;
    }
    if (msg.type != QLatin1String("click")) return;
    const QString sender = msg.SenderName();
    if (sender == QLatin1String("opt_day"))
        ShowView(Period::Day);
    else if (sender == QLatin1String("opt_week"))
        ShowView(Period::Week);
    else if (sender == QLatin1String("opt_month"))
        ShowView(Period::Month);
    else if (sender == QLatin1String("opt_total"))
        ShowView(Period::Total);
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
