#include <QDir>
#include <QRandomGenerator>
#include <climits>

#include "data/drink_log.h"
#include "data/settings_notifier.h"
#include "store_fixture.h"

using namespace DrinkLog;
using namespace SettingsStore;
using namespace store_test;

class TestDrinkLog : public QObject, StoreFixture {
    Q_OBJECT

  private slots:
    void init() { SetUp(); }
    void cleanup() { TearDown(); }
    void drinkStatistics_data();
    void drinkStatistics();
    void todayTotal_data();
    void todayTotal();
    void daysOfUse_data();
    void daysOfUse();
    void malformedDatesIgnored_data();
    void malformedDatesIgnored();
    void dayTotalsAnswerAsStatistics();
    void dayTotalsFollowTheLog();
    void daySizeIndexOnAnOlderFile();
    void newerFileTakesDrinksAndSettings();
    void anotherWritersDrinksCountToday();
};

void TestDrinkLog::drinkStatistics_data() {
    QTest::addColumn<QString>("range");  // start, included, and end, excluded
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("sum");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("days");

    QTest::newRow("before the log") << "2024-01-01 2024-02-01" << 1 << 0 << 0 << 0;
    QTest::newRow("start equals end") << "2024-03-01 2024-03-01" << 1 << 0 << 0 << 0;
    QTest::newRow("reversed") << "2024-03-05 2024-03-01" << 1 << 0 << 0 << 0;
    QTest::newRow("two days, 600") << "2024-03-01 2024-03-03" << 600 << 1300 << 3 << 2;
    QTest::newRow("two days, 650") << "2024-03-01 2024-03-03" << 650 << 1300 << 3 << 1;
    QTest::newRow("month, day-32 end") << "2024-03-01 2024-03-32" << 600 << 2050 << 5 << 3;
    QTest::newRow("end excluded") << "2024-03-02 2024-03-31" << 600 << 800 << 2 << 1;
    QTest::newRow("start included") << "2024-03-31 2024-04-02" << 100 << 700 << 2 << 1;
}

void TestDrinkLog::drinkStatistics() {
    QFETCH(QString, range);
    QFETCH(int, target);
    QFETCH(int, sum);
    QFETCH(int, count);
    QFETCH(int, days);

    QVERIFY(OpenSettings());
    QCOMPARE(Session().ExecStatement("insert into DrinkWaterRecord values (200, '2024-03-01', ''), "
                                     "(400, '2024-03-01', ''), (700, '2024-03-02', ''), "
                                     "(100, '2024-03-03', ''), (650, '2024-03-31', ''), "
                                     "(50, '2024-04-01', '')"),
             kDone);
    const std::string s = range.section(' ', 0, 0).toStdString();
    const std::string e = range.section(' ', 1).toStdString();
    int out = -1;
    QVERIFY(SumDrinkSize(s, e, out));
    QCOMPARE(out, sum);
    QVERIFY(CountDrinks(s, e, out));
    QCOMPARE(out, count);
    QVERIFY(CountDaysReachingTarget(s, e, target, out));
    QCOMPARE(out, days);
}

void TestDrinkLog::todayTotal_data() {
    QTest::addColumn<QDate>("day");
    QTest::newRow("31 Jan") << QDate(2024, 1, 31);
    QTest::newRow("29 Feb, leap") << QDate(2024, 2, 29);
    QTest::newRow("30 Apr") << QDate(2024, 4, 30);
    QTest::newRow("31 Dec") << QDate(2023, 12, 31);
}

void TestDrinkLog::todayTotal() {
    QFETCH(QDate, day);
    const QDate next = day.addDays(1);
    clock_.now = QDateTime(day, QTime(23, 59, 30));
    QVERIFY(OpenSettings());
    InsertDrink(1, FormatDrinkDate(day.addDays(-1)));
    InsertDrink(300, FormatDrinkDate(next));
    InsertDrink(4000, FormatDrinkDate(next.addDays(1)));
    QVERIFY(AddDrink(10));
    QVERIFY(AddDrink(20));
    QVERIFY(Reopen());
    // Each change of the total is announced once, with the total already current (and read
    // again by the listener, which must not announce anew).
    QList<int> announced;
    QObject listener;
    QObject::connect(&SettingsNotifier::Instance(), &SettingsNotifier::changed, &listener,
                     [&](SettingsKey key) {
                         if (key == SettingsKey::TodayTotal) announced << GetTodayTotal();
                     });
    QCOMPARE(GetTodayTotal(), 30);
    // The program left running past midnight starts the new day from the log.
    clock_.now = QDateTime(next, QTime(0, 0, 10));
    QCOMPARE(GetTodayTotal(), 300);
    QVERIFY(AddDrink(5));
    QVERIFY(AddDrink(0));  // logged, but the total stays
    QCOMPARE(GetTodayTotal(), 305);
    clock_.now = QDateTime(day, QTime(22, 0));  // the clock set back
    QCOMPARE(GetTodayTotal(), 30);
    QCOMPARE(announced, QList<int>({300, 305, 30}));
    QCOMPARE(Rows("select * from DrinkWaterRecord where size in (5, 10)"),
             QStringList({"10|" + day.toString(Qt::ISODate) + "|23:59:30",
                          "5|" + next.toString(Qt::ISODate) + "|00:00:10"}));
    // A drink counts for the day whether or not the log takes it, up to the largest total.
    QCOMPARE(Session().ExecStatement("drop table DrinkWaterRecord"), kDone);
    QVERIFY(!AddDrink(70));
    QCOMPARE(GetTodayTotal(), 100);
    QVERIFY(!AddDrink(INT_MAX));
    QCOMPARE(GetTodayTotal(), INT_MAX);
}

void TestDrinkLog::daysOfUse_data() {
    // Offsets from today or, when not a number, the text stored as the drink's date.
    QTest::addColumn<QStringList>("drinkDates");
    QTest::addColumn<int>("clockDays");  // the clock moved this far from the real today
    QTest::addColumn<int>("expected");   // 0: the file is removed and the call fails

    QTest::newRow("new file") << QStringList{} << 0 << 1;
    QTest::newRow("first drink 9 days ago") << QStringList{"-3", "-9", "0"} << 0 << 10;
    QTest::newRow("later drinks") << QStringList{"2", "3"} << 5 << 6;
    QTest::newRow("clock set back") << QStringList{"-1"} << -3 << 1;
    QTest::newRow("no real date") << QStringList{"garbage", "0-0-0", "2024-13-01"} << 0 << 1;
    QTest::newRow("file gone") << QStringList{} << 0 << 0;
}

void TestDrinkLog::daysOfUse() {
    QFETCH(QStringList, drinkDates);
    QFETCH(int, clockDays);
    QFETCH(int, expected);

    clock_.now = clock_.now.addDays(clockDays);
    QVERIFY(OpenSettings());
    for (const QString& date : drinkDates) {
        bool isOffset = false;
        const QDate day = QDate::currentDate().addDays(date.toInt(&isOffset));
        InsertDrink(1, isOffset ? FormatDrinkDate(day) : date.toStdString());
    }
    if (expected == 0) QVERIFY(QFile::remove(DatabasePath()));
    int out = -1;
    QCOMPARE(GetDaysOfUse(out), expected != 0);
    QCOMPARE(out, expected);
}

void TestDrinkLog::malformedDatesIgnored_data() {
    // As written into the date column; "%1" stands for today's date text.
    QTest::addColumn<QString>("literal");
    QTest::newRow("no zero padding") << "'2000-1-5'";
    QTest::newRow("time glued on") << "'2000-01-05 08:00:00'";
    QTest::newRow("today, time glued on") << "'%1 08:00:00'";
    QTest::newRow("30 February") << "'2000-02-30'";
    QTest::newRow("month 13") << "'1999-13-01'";
    QTest::newRow("day 0") << "'2000-01-00'";
    QTest::newRow("empty") << "''";
    QTest::newRow("words") << "'abc'";
    QTest::newRow("a number") << "20000105";
    QTest::newRow("null") << "NULL";
    QTest::newRow("blob of a date") << "x'323030302d30312d3035'";
}

// A record whose date is no real day in the log's form counts nowhere, even where its text
// sorts inside a range or before every real date.
void TestDrinkLog::malformedDatesIgnored() {
    QFETCH(QString, literal);
    QVERIFY(OpenSettings());
    const QDate today = QDate::currentDate();  // days of use count from the file's real birth
    const std::string date = literal.replace("%1", today.toString(Qt::ISODate)).toStdString();
    QCOMPARE(Session().ExecStatement("insert into DrinkWaterRecord values(1000, " + date +
                                     ", '08:00:00')"),
             kDone);
    InsertDrink(300, FormatDrinkDate(today.addDays(-9)));
    QVERIFY(Reopen());

    const std::string start = "1999-01-01", end = "9999-01-01";  // every text starting 1999…9998
    int out = -1;
    QVERIFY(SumDrinkSize(start, end, out));
    QCOMPARE(out, 300);
    QVERIFY(CountDrinks(start, end, out));
    QCOMPARE(out, 1);
    QVERIFY(CountDaysReachingTarget(start, end, 1, out));
    QCOMPARE(out, 1);
    QCOMPARE(GetTodayTotal(), 0);
    QVERIFY(GetDaysOfUse(out));
    QCOMPARE(out, 10);

    QVERIFY(UpdateDrinkDayTotals());
    const DrinkDayTotals& totals = GetDrinkDayTotals();
    QCOMPARE(totals.Days().size(), size_t(1));
    QCOMPARE(totals.SumDrinkSize(start, end), 300);
    QCOMPARE(totals.CountDrinks(start, end), 1);
    QCOMPARE(totals.CountDaysReachingTarget(start, end, 1), 1);
}

// The per-day totals give the statistics' answers for any range and target: a random log over
// four months with odd sizes and dates, and ranges between any two of a set of bounds.
void TestDrinkLog::dayTotalsAnswerAsStatistics() {
    QVERIFY(OpenSettings());
    QRandomGenerator random(20240229);
    const QDate first(2023, 12, 20);
    QCOMPARE(Session().ExecStatement("BEGIN"), kDone);
    for (int i = 0; i < 400; ++i)
        InsertDrink(random.bounded(-20, 900), FormatDrinkDate(first.addDays(random.bounded(110))));
    // Odd records on days of their own, after the random ones.
    for (const char* odd :
         {"(NULL, '2024-05-10', '')", "(NULL, '2024-05-11', '')", "(0, '2024-05-11', '')",
          "('abc', '2024-05-12', '')", "(250.5, '2024-05-13', '')", "(250.5, '2024-05-14', '')",
          "(-1.5, '2024-05-15', '')", "(5000, '2024-5-13', '')", "(5000, '2024-05-13 10:00', '')",
          "(5000, '2024-02-30', '')"}) {
        QCOMPARE(Session().ExecStatement(std::string("insert into DrinkWaterRecord values ") + odd),
                 kDone);
    }
    QCOMPARE(Session().ExecStatement("COMMIT"), kDone);
    QVERIFY(UpdateDrinkDayTotals());
    const DrinkDayTotals& totals = GetDrinkDayTotals();

    // Texts that are not numbers: the column's numeric affinity would turn "2024" into one.
    std::vector<std::string> bounds = {"",           "2024-",    "2024-01",   "2024-01-32",
                                       "2024-02-30", "2024-1-5", "9999-99-99"};
    for (QDate day = first.addDays(-2); day <= first.addDays(150); day = day.addDays(1))
        bounds.push_back(FormatDrinkDate(day));
    QStringList mismatches;
    for (int i = 0; i < 400; ++i) {
        const std::string& start = bounds[random.bounded(int(bounds.size()))];
        const std::string& end = bounds[random.bounded(int(bounds.size()))];
        const int target = std::array{-5, 0, 1, 250, 700, 1500}[random.bounded(6)];
        int sum = -1, count = -1, days = -1;
        QVERIFY(SumDrinkSize(start, end, sum) && CountDrinks(start, end, count) &&
                CountDaysReachingTarget(start, end, target, days));
        const QList<int> expected{sum, count, days};
        const QList<int> found{totals.SumDrinkSize(start, end), totals.CountDrinks(start, end),
                               totals.CountDaysReachingTarget(start, end, target)};
        if (found != expected) {
            mismatches << QString("[%1, %2) target %3: %4 instead of %5")
                              .arg(QString::fromStdString(start), QString::fromStdString(end))
                              .arg(target)
                              .arg(QDebug::toString(found), QDebug::toString(expected));
        }
    }
    QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.join('\n')));
}

void TestDrinkLog::dayTotalsFollowTheLog() {
    clock_.now = QDateTime(QDate(2024, 3, 5), QTime(9, 0));
    QVERIFY(OpenSettings());
    const auto sum = [] { return GetDrinkDayTotals().SumDrinkSize("2024-01-01", "2025-01-01"); };
    InsertDrink(100, "2024-03-01");
    QVERIFY(UpdateDrinkDayTotals());
    QCOMPARE(sum(), 100);

    // What this connection writes afterwards is added, wherever its day falls.
    QVERIFY(AddDrink(250));
    InsertDrink(7, "2023-12-31");
    InsertDrink(1000, "2024-1-5");
    QVERIFY(UpdateDrinkDayTotals());
    QCOMPARE(sum(), 350);
    QCOMPARE(GetDrinkDayTotals().CountDrinks("", "9"), 3);
    QCOMPARE(GetDrinkDayTotals().Days().size(), size_t(3));
    QVERIFY(UpdateDrinkDayTotals());  // nothing new: nothing counted twice
    QCOMPARE(sum(), 350);

    // Another connection's change, even one that takes a drink away, is read afresh.
    {
        DatabaseSession other;
        QCOMPARE(other.Open(DatabasePath().toStdString(), kDatabaseKey), 0);
        QCOMPARE(other.ExecStatement("delete from DrinkWaterRecord where size = 100"), kDone);
    }
    QVERIFY(UpdateDrinkDayTotals());
    QCOMPARE(sum(), 250);

    // Another log opened later shares nothing with this one.
    CloseSettings();
    QVERIFY(GetDrinkDayTotals().Days().empty());
    QTemporaryDir otherHome;
    qputenv("XDG_DATA_HOME", QFile::encodeName(otherHome.path()));
    QVERIFY(OpenSettings());
    InsertDrink(40, "2024-03-02");
    QVERIFY(UpdateDrinkDayTotals());
    QCOMPARE(sum(), 40);

    // Without a log: false, nothing, and a trace of it.
    CloseSettings();
    QTest::ignoreMessage(QtWarningMsg, "the drink log cannot be read for its daily totals");
    QVERIFY(!UpdateDrinkDayTotals());
    QVERIFY(GetDrinkDayTotals().Days().empty());
}

// A log written before the index of real days existed gets it at the next open, holding its old
// drinks, and range statistics read it alone.
void TestDrinkLog::daySizeIndexOnAnOlderFile() {
    QVERIFY(QDir().mkpath(QFileInfo(DatabasePath()).path()));
    {
        DatabaseSession older;
        QCOMPARE(older.Open(DatabasePath().toStdString(), kDatabaseKey), 0);
        QCOMPARE(older.ExecStatement("CREATE TABLE DrinkWaterRecord (size INTEGER, DrinkDate date, "
                                     "DrinkTime time)"),
                 kDone);
        QCOMPARE(older.ExecStatement("insert into DrinkWaterRecord values (300, '2024-03-01', ''), "
                                     "(500, '2024-03-02', ''), (900, '2024-3-3', '')"),
                 kDone);
    }
    QVERIFY(OpenSettings());
    QCOMPARE(Rows("select sum(size) from DrinkWaterRecord indexed by DrinkWaterRecordByDateSize "
                  "where DrinkDate >= '' and DrinkDate = date(DrinkDate, '+0 days')"),
             QStringList{"800"});
    const QString plan = Rows(
                             "explain query plan select sum(size) from DrinkWaterRecord where "
                             "DrinkDate >= '2024-01-01' and DrinkDate < '2024-01-32' and "
                             "DrinkDate = date(DrinkDate, '+0 days')")
                             .join(' ');
    QVERIFY2(plan.contains("COVERING INDEX DrinkWaterRecordByDateSize"), qPrintable(plan));
}

// A newer version's file, with a column more in each table: drinks and settings still go in.
void TestDrinkLog::newerFileTakesDrinksAndSettings() {
    QVERIFY(QDir().mkpath(QFileInfo(DatabasePath()).path()));
    {
        DatabaseSession newer;
        QCOMPARE(newer.Open(DatabasePath().toStdString(), kDatabaseKey), 0);
        QCOMPARE(newer.ExecStatement("CREATE TABLE DrinkWaterRecord (size INTEGER, DrinkDate date, "
                                     "DrinkTime time, note TEXT DEFAULT '')"),
                 kDone);
        QCOMPARE(newer.ExecStatement("CREATE TABLE DataSet (key TEXT primary key, value INTEGER, "
                                     "changed INTEGER DEFAULT 0)"),
                 kDone);
    }
    QVERIFY(OpenSettings());
    clock_.now = QDateTime(QDate(2026, 12, 8), QTime(9, 30));
    QVERIFY(AddDrink(250));
    SetDrinkTargetDay(2000);
    QCOMPARE(Rows("select size, DrinkDate, note from DrinkWaterRecord"),
             QStringList{"250|2026-12-08|"});
    QCOMPARE(Rows("select value from DataSet where key = 'nDrinkTargetDay'"), QStringList{"2000"});
}

// A second instance on another display writes to the same file: today's total follows.
void TestDrinkLog::anotherWritersDrinksCountToday() {
    clock_.now = QDateTime(QDate(2026, 12, 8), QTime(9, 30));
    QVERIFY(OpenSettings());
    QVERIFY(AddDrink(200));
    QObject owner;
    FollowOtherWriters(&owner);
    QSignalSpy announced(&SettingsNotifier::Instance(), &SettingsNotifier::changed);
    DatabaseSession other;
    QCOMPARE(other.Open(DatabasePath().toStdString(), kDatabaseKey), 0);
    QCOMPARE(
        other.ExecStatement("insert into DrinkWaterRecord values (300, '2026-12-08', '09:40:00')"),
        kDone);
    QTRY_COMPARE(GetTodayTotal(), 500);
    QVERIFY(announced.contains({QVariant::fromValue(SettingsKey::TodayTotal)}));
    QVERIFY(AddDrink(100));  // our own write is no other writer's
    QTest::qWait(50);
    QCOMPARE(GetTodayTotal(), 600);
}

QTEST_GUILESS_MAIN(TestDrinkLog)
#include "tst_drink_log.moc"
