#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

// What the drink achievements page shows for one period, worked out from the drink log.
namespace AchieveFigures {

enum class Period { Day, Week, Month, Total };

struct Figures {
    bool chart = false;  // day, week and month: the chart; total: the ring
    // The chart: the daily target and the last seven days, weeks or months, oldest first.
    int target = 0;
    std::vector<int> values;
    QStringList labels;
    QString title;  // "11月3日喝水量", "第45周喝水量", "11月喝水量", "累计喝水量"
    int current = 0;  // drunk in the period shown (all of it in the total view)
    bool reached = false;
    QString amountCaption;
    int amount = 0;  // drinks today (day view), else days that reached the target
    QString averageCaption;
    int average = 0;  // per drink (day view), else per day with a drink
    // The ring of the total view: days with a drink out of the days of use.
    int drinkDays = 0;
    int daysOfUse = 0;  // shown after "/"; 1 when the store cannot tell
    int percent = 0;
    bool complete = true;  // false when a statistic could not be read (its figures are 0)
};

// The figures of `period` as of the day `today`, from the store's drink log and daily target.
Figures Compute(Period period, const QDate& today);

}  // namespace AchieveFigures
