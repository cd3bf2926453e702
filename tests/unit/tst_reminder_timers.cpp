#include <QtTest>
#include <climits>

#include "app/reminder_timers.h"

using namespace Reminders;

class TestReminderTimers : public QObject {
    Q_OBJECT

  private slots:
    void period_data();
    void period();
    void nextDue_data();
    void nextDue();
};

void TestReminderTimers::period_data() {
    QTest::addColumn<int>("hours");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<int>("period");
    QTest::newRow("30 minutes") << 0 << 30 << 1800000;
    QTest::newRow("2 hours") << 2 << 0 << 7200000;
    QTest::newRow("1 h 30") << 1 << 30 << 5400000;
    QTest::newRow("exactly 5 minutes") << 0 << 5 << 300000;
    QTest::newRow("4 minutes: the floor") << 0 << 4 << 300000;
    QTest::newRow("nothing: the floor") << 0 << 0 << 300000;
    QTest::newRow("negative: the floor") << -3 << 10 << 300000;
    // Stored values no page writes: 36 000 minutes overflow a 32-bit millisecond count.
    QTest::newRow("beyond a timer's reach") << 600 << 0 << INT_MAX;
    QTest::newRow("hours that overflow minutes") << INT_MAX << INT_MAX << INT_MAX;
    QTest::newRow("just within reach") << 0 << 35791 << 35791 * 60000;
}

void TestReminderTimers::period() {
    QFETCH(int, hours);
    QFETCH(int, minutes);
    QFETCH(int, period);
    QCOMPARE(ReminderTimerPeriod(hours, minutes), period);
}

void TestReminderTimers::nextDue_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<int>("hours");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QDateTime>("due");
    const QDateTime now(QDate(2026, 12, 8), QTime(23, 50, 30, 250));
    QTest::newRow("30 minutes, over midnight")
        << now << 0 << 30 << QDateTime(QDate(2026, 12, 9), QTime(0, 20, 30, 250));
    // The raw interval: the five-minute floor is the timer's, not the time shown.
    QTest::newRow("4 minutes") << now << 0 << 4
                               << QDateTime(QDate(2026, 12, 8), QTime(23, 54, 30, 250));
    QTest::newRow("nothing") << now << 0 << 0 << now;
    QTest::newRow("over the year's end")
        << QDateTime(QDate(2026, 12, 31), QTime(23, 0)) << 2 << 0
        << QDateTime(QDate(2027, 1, 1), QTime(1, 0));
    QTest::newRow("29 February") << QDateTime(QDate(2028, 2, 28), QTime(22, 0)) << 6 << 0
                                 << QDateTime(QDate(2028, 2, 29), QTime(4, 0));
    QTest::newRow("a negative stored interval counts as none") << now << -1 << 0 << now;
    QTest::newRow("a huge stored interval stays a date")
        << now << INT_MAX << 0 << now.addSecs(static_cast<qint64>(INT_MAX) * 3600);
}

void TestReminderTimers::nextDue() {
    QFETCH(QDateTime, now);
    QFETCH(int, hours);
    QFETCH(int, minutes);
    QFETCH(QDateTime, due);
    const QDateTime next = NextDue(now, hours, minutes);
    QCOMPARE(next.date(), due.date());
    QCOMPARE(next.time(), due.time());
}

QTEST_GUILESS_MAIN(TestReminderTimers)
#include "tst_reminder_timers.moc"
