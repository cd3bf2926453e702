#include "drink/drink_dates.h"

namespace DrinkDates {

QDate AddDays(const QDate& date, qint64 days) {
    return date.addDays(days);
}

QDate AddMonths(int year, int month, int months) {
    int m = month + months % 12;
    int y = year + months / 12;
    if (m <= 0) {
        m += 12;
        y -= 1;
    } else if (m > 12) {
        m -= 12;
        y += 1;
    }
    return QDate(y, m, 1);
}

QDate LastDayOfMonth(const QDate& date) {
    return QDate(date.year(), date.month(), date.daysInMonth());
}

int WeekOfYear(const QDate& date) {
    return (date.dayOfYear() - 1) / 7 + 1;
}

QDate WeekStart(const QDate& date) {
    // Qt numbers the days Monday 1 … Sunday 7.
    return date.addDays(1 - date.dayOfWeek());
}

}  // namespace DrinkDates
