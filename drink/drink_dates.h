#pragma once

#include <QDate>

// The calendar steps of the drink statistics: whole days, whole months back, weeks that run
// Monday to Sunday and are numbered in 7-day blocks from 1 January.
namespace DrinkDates {

// The date `days` days later (earlier when negative), across months, years and leap days.
QDate AddDays(const QDate& date, qint64 days);
// The first day of the month `months` months from (year, month), the month number 1–12. The
// year and month are stepped the way the statistics always have: by months % 12 and months / 12
// (both truncated towards zero) and one carry.
QDate AddMonths(int year, int month, int months);
// The last day of the month `date` lies in.
QDate LastDayOfMonth(const QDate& date);
// 1 for the 1st to the 7th of January, 2 for the 8th to the 14th, …, 53 for 31 December.
int WeekOfYear(const QDate& date);
// The Monday of the week `date` lies in: six days back on a Sunday.
QDate WeekStart(const QDate& date);

}  // namespace DrinkDates
