#include <QtTest>

#include "drink/drink_dates.h"

using namespace DrinkDates;

class TestDrinkDates : public QObject {
    Q_OBJECT

  private slots:
    void addMonths_data();
    void addMonths();
    void lastDayOfMonth_data();
    void lastDayOfMonth();
    void weekOfYear_data();
    void weekOfYear();
    void weekStart_data();
    void weekStart();
};

void TestDrinkDates::addMonths_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("months");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("same month") << 2024 << 3 << 0 << QDate(2024, 3, 1);
    QTest::newRow("one back") << 2024 << 3 << -1 << QDate(2024, 2, 1);
    QTest::newRow("six back from March") << 2024 << 3 << -6 << QDate(2023, 9, 1);
    QTest::newRow("back into December") << 2024 << 1 << -1 << QDate(2023, 12, 1);
    QTest::newRow("twelve back") << 2024 << 5 << -12 << QDate(2023, 5, 1);
    QTest::newRow("thirteen back from January") << 2024 << 1 << -13 << QDate(2022, 12, 1);
    QTest::newRow("1000 back from March") << 2024 << 3 << -1000 << QDate(1940, 11, 1);
    QTest::newRow("1000 back from December") << 2024 << 12 << -1000 << QDate(1941, 8, 1);
    QTest::newRow("1000 back from January") << 2024 << 1 << -1000 << QDate(1940, 9, 1);
    QTest::newRow("forward over a year") << 2024 << 11 << 3 << QDate(2025, 2, 1);
}

void TestDrinkDates::addMonths() {
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, months);
    QTEST(AddMonths(year, month, months), "expected");
}

void TestDrinkDates::lastDayOfMonth_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("February, leap") << QDate(2024, 2, 1) << QDate(2024, 2, 29);
    QTest::newRow("February, common") << QDate(2023, 2, 1) << QDate(2023, 2, 28);
    QTest::newRow("February, 1900") << QDate(1900, 2, 1) << QDate(1900, 2, 28);
    QTest::newRow("April") << QDate(2024, 4, 1) << QDate(2024, 4, 30);
    QTest::newRow("December") << QDate(2023, 12, 1) << QDate(2023, 12, 31);
    QTest::newRow("from its last day") << QDate(2024, 1, 31) << QDate(2024, 1, 31);
}

void TestDrinkDates::lastDayOfMonth() {
    QFETCH(QDate, date);
    QTEST(LastDayOfMonth(date), "expected");
}

void TestDrinkDates::weekOfYear_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("expected");
    QTest::newRow("1 January") << QDate(2024, 1, 1) << 1;
    QTest::newRow("7th day") << QDate(2024, 1, 7) << 1;
    QTest::newRow("8th day") << QDate(2024, 1, 8) << 2;
    QTest::newRow("8th day, a Sunday") << QDate(2023, 1, 8) << 2;
    QTest::newRow("1 March, leap: day 61") << QDate(2024, 3, 1) << 9;
    QTest::newRow("1 March, common: day 60") << QDate(2023, 3, 1) << 9;
    QTest::newRow("30 December, common: day 364") << QDate(2023, 12, 30) << 52;
    QTest::newRow("31 December, common: day 365") << QDate(2023, 12, 31) << 53;
    QTest::newRow("31 December, leap: day 366") << QDate(2024, 12, 31) << 53;
}

void TestDrinkDates::weekOfYear() {
    QFETCH(QDate, date);
    QTEST(WeekOfYear(date), "expected");
}

void TestDrinkDates::weekStart_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("Monday: itself") << QDate(2024, 3, 11) << QDate(2024, 3, 11);
    QTest::newRow("Wednesday") << QDate(2024, 3, 13) << QDate(2024, 3, 11);
    QTest::newRow("Sunday: six back") << QDate(2024, 3, 17) << QDate(2024, 3, 11);
    QTest::newRow("Sunday over a year") << QDate(2023, 1, 1) << QDate(2022, 12, 26);
    QTest::newRow("Tuesday over 29 Feb") << QDate(2024, 3, 5) << QDate(2024, 3, 4);
    QTest::newRow("Friday 1 March, leap") << QDate(2024, 3, 1) << QDate(2024, 2, 26);
}

void TestDrinkDates::weekStart() {
    QFETCH(QDate, date);
    QTEST(WeekStart(date), "expected");
}

QTEST_GUILESS_MAIN(TestDrinkDates)
#include "tst_drink_dates.moc"
