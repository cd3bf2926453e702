#include "drink/achieve_figures.h"

#include <algorithm>

#include "data/drink_log.h"
#include "data/settings_store.h"
#include "drink/drink_dates.h"

namespace AchieveFigures {

namespace {

using namespace DrinkDates;

// How far back the total view reaches: 1000 months, and the days it counts from there.
constexpr int kTotalMonthsBack = -1000;
constexpr int kTotalDays = 31000;
constexpr int kPoints = 7;

std::string Text(const QDate& date) {
    return DrinkLog::FormatDrinkDate(date);
}

int PerItem(int total, int items) {
    return items > 0 ? total / items : 0;
}

// Days with a drink and days reaching the target among `days` days from `start`.
struct DayCounts {
    int drinkDays = 0;
    int reachDays = 0;
};

DayCounts CountDays(const DrinkLog::DrinkDayTotals& log, const QDate& start, int days, int target) {
    const std::string from = Text(start);
    const std::string to = Text(AddDays(start, days));
    return {log.CountDaysReachingTarget(from, to, 1),
            log.CountDaysReachingTarget(from, to, target)};
}

void DayView(Figures& f, const DrinkLog::DrinkDayTotals& log, const QDate& today) {
    for (int k = 1 - kPoints; k <= 0; ++k) {
        const QDate day = AddDays(today, k);
        f.values.push_back(log.SumDrinkSize(Text(day), Text(AddDays(day, 1))));
        f.labels << QStringLiteral("%1/%2").arg(day.month()).arg(day.day());
    }
    f.current = f.values.back();
    f.reached = f.current >= f.target;
    f.title = QStringLiteral("%1月%2日喝水量").arg(today.month()).arg(today.day());
    const int drinks = log.CountDrinks(Text(today), Text(AddDays(today, 1)));
    f.amountCaption = QStringLiteral("当天喝水(次)");
    f.amount = drinks;
    f.averageCaption = QStringLiteral("平均每次(毫升)");
    f.average = PerItem(f.current, drinks);
}

// The captions the week, month and total views share, for days of `counts`.
void PerDayFigures(Figures& f, const DayCounts& counts) {
    f.amountCaption = QStringLiteral("达标天数(天)");
    f.amount = counts.reachDays;
    f.averageCaption = QStringLiteral("平均每天(毫升)");
    f.average = PerItem(f.current, counts.drinkDays);
}

void WeekView(Figures& f, const DrinkLog::DrinkDayTotals& log, const QDate& today) {
    const QDate monday = WeekStart(today);
    for (int k = 1 - kPoints; k <= 0; ++k) {
        const QDate week = AddDays(monday, 7 * k);
        f.values.push_back(log.SumDrinkSize(Text(week), Text(AddDays(week, 7))));
        f.labels << QStringLiteral("%1周").arg(WeekOfYear(week));
    }
    f.current = f.values.back();
    const DayCounts counts = CountDays(log, monday, 7, f.target);
    f.reached = counts.reachDays > 0;
    f.title = QStringLiteral("第%1周喝水量").arg(WeekOfYear(today));
    PerDayFigures(f, counts);
}

void MonthView(Figures& f, const DrinkLog::DrinkDayTotals& log, const QDate& today) {
    const QDate first(today.year(), today.month(), 1);
    for (int k = 1 - kPoints; k <= 0; ++k) {
        const QDate month = AddMonths(first.year(), first.month(), k);
        f.values.push_back(log.SumDrinkSize(Text(month), Text(AddDays(LastDayOfMonth(month), 1))));
        f.labels << QStringLiteral("%1月").arg(month.month());
    }
    f.current = f.values.back();
    const DayCounts counts = CountDays(log, first, LastDayOfMonth(first).day(), f.target);
    f.reached = counts.reachDays > 0;
    f.title = QStringLiteral("%1月喝水量").arg(today.month());
    PerDayFigures(f, counts);
}

void TotalView(Figures& f, const DrinkLog::DrinkDayTotals& log, const QDate& today) {
    const QDate start = AddMonths(today.year(), today.month(), kTotalMonthsBack);
    f.current = log.SumDrinkSize(Text(start), Text(AddDays(today, 1)));
    const DayCounts counts = CountDays(log, start, kTotalDays, f.target);
    int days = 0;
    if (!DrinkLog::GetDaysOfUse(days)) f.complete = false;
    f.drinkDays = counts.drinkDays;
    // Without the days of use there is no share to show: an empty ring over "/1".
    f.daysOfUse = days > 0 ? days : 1;
    f.percent = days > 0 ? static_cast<int>(std::min<long long>(
                               100, static_cast<long long>(counts.drinkDays) * 100 / days))
                         : 0;
    f.title = QStringLiteral("累计喝水量");
    f.reached = counts.reachDays >= 1;
    PerDayFigures(f, counts);
}

}  // namespace

Figures Compute(Period period, const QDate& today) {
    Figures f;
    f.complete = DrinkLog::UpdateDrinkDayTotals();
    const DrinkLog::DrinkDayTotals& log = DrinkLog::GetDrinkDayTotals();
    f.target = SettingsStore::GetDrinkTargetDay();
    f.chart = period != Period::Total;
    switch (period) {
        case Period::Day:
            DayView(f, log, today);
            break;
        case Period::Week:
            WeekView(f, log, today);
            break;
        case Period::Month:
            MonthView(f, log, today);
            break;
        case Period::Total:
            TotalView(f, log, today);
            break;
    }
    return f;
}

}  // namespace AchieveFigures
