#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <climits>
#include <memory>

#include "data/clock.h"
#include "data/database_session.h"
#include "data/settings_store.h"

using namespace SettingsStore;

namespace {

constexpr int kDone = 101;  // a statement that ran to completion

struct FakeClock final : Clock {
    QDateTime now;
    QDateTime Now() const override { return now; }
};

// Each stored key with its default, reached through its own getter and setter.
struct KeyAccess {
    const char* key;
    int fallback;
    int (*get)();
    void (*set)(int);
};

template <bool (*Get)(), void (*Set)(bool)>
KeyAccess Flag(const char* key, int fallback) {
    return {key, fallback, [] { return Get() ? 1 : 0; }, [](int v) { Set(v != 0); }};
}

const KeyAccess kAccess[] = {
    Flag<GetEyeProtectOn, StoreEyeProtectOn>("bEyeProtectOn", 0),
    {"nPercent", 0, GetPercent, StorePercent},
    Flag<GetRemindOnTime, SetRemindOnTime>("bRemindOnTime", 1),
    Flag<GetRemindFullScreen, SetRemindFullScreen>("bRemindFullScreen", 1),
    Flag<GetRemindSound, SetRemindSound>("bRemindSound", 1),
    {"nCountDownSecond", 15, GetCountDownSecond, SetCountDownSecond},
    {"nRelaxMinute", 10, GetRelaxMinute, SetRelaxMinute},
    {"nRemindHour", 2, GetRemindHour, SetRemindHour},
    {"nRemindMinute", 0, GetRemindMinute, SetRemindMinute},
    Flag<GetRemindOnTimeDrk, SetRemindOnTimeDrk>("bRemindOnTimeDrk", 1),
    Flag<GetDrinkSound, SetDrinkSound>("bDrinkSound", 1),
    Flag<GetRemindSoundDrk, SetRemindSoundDrk>("bRemindSoundDrk", 1),
    {"nDrinkTargetDay", 1500, GetDrinkTargetDay, SetDrinkTargetDay},
    {"nDrinkTargetOnce", 300, GetDrinkTargetOnce, SetDrinkTargetOnce},
    {"nRemindHourDrk", 0, GetRemindHourDrk, SetRemindHourDrk},
    {"nRemindMinuteDrk", 30, GetRemindMinuteDrk, SetRemindMinuteDrk},
};

const KeyAccess& AccessFor(const QString& key) {
    return *std::find_if(std::begin(kAccess), std::end(kAccess),
                         [&](const KeyAccess& access) { return key == access.key; });
}

// Every row of `sql`, each row's columns joined by '|'.
QStringList Rows(const std::string& sql, std::initializer_list<SqlValue> params = {}) {
    ResultSet rows;
    if (Session().QueryRows(sql, rows, params) != 0) return {"<failed>"};
    QStringList out;
    while (const ResultSet::Row* row = rows.NextRow()) {
        QStringList columns;
        for (const std::string& column : *row) columns << QString::fromStdString(column);
        out << columns.join('|');
    }
    return out;
}

void InsertDrink(int size, const std::string& date) {
    QCOMPARE(Session().ExecStatement("insert into DrinkWaterRecord values(?, ?, '12:00:00')",
                                     {static_cast<long long>(size), date}),
             kDone);
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}  // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void freshDatabase();
    void keyRoundTrip_data();
    void keyRoundTrip();
    void storedValuesReadLeniently_data();
    void storedValuesReadLeniently();
    void drinkStatistics_data();
    void drinkStatistics();
    void todayTotal_data();
    void todayTotal();
    void daysOfUse_data();
    void daysOfUse();
    void unusableFileIsNeverTouched_data();
    void unusableFileIsNeverTouched();
    void malformedDatesIgnored_data();
    void malformedDatesIgnored();
    void dayTotalsAnswerAsStatistics();
    void dayTotalsFollowTheLog();
    void daySizeIndexOnAnOlderFile();

  private:
    bool Reopen() {
        CloseSettings();
        return OpenSettings();
    }
    std::unique_ptr<QTemporaryDir> temp_;
    FakeClock clock_;
};

void TestSettingsStore::init() {
    temp_ = std::make_unique<QTemporaryDir>();
    qputenv("XDG_DATA_HOME", QFile::encodeName(temp_->path()));
    clock_.now = QDateTime::currentDateTime();
    Clock::Install(&clock_);
}

void TestSettingsStore::cleanup() {
    CloseSettings();
    Clock::Install(nullptr);
}

void TestSettingsStore::freshDatabase() {
    QVERIFY(OpenSettings());
    QCOMPARE(DatabasePath(), temp_->path() + "/VitaCompanion/DataSet.db");
    for (int pass = 0; pass < 2; ++pass) {  // reopening adds nothing
        QCOMPARE(Rows("select sql from sqlite_master where type='table' order by name"),
                 QStringList({"CREATE TABLE DataSet (key TEXT primary key, value INTEGER)",
                              "CREATE TABLE DrinkWaterRecord (size INTEGER, DrinkDate date, "
                              "DrinkTime time)"}));
        // Years of drinks must not be scanned for each day's sum.
        const QString plan = Rows(
                                 "explain query plan select sum(size) from DrinkWaterRecord where "
                                 "DrinkDate >= '2024-01-01' and DrinkDate < '2024-01-32'")
                                 .join(' ');
        QVERIFY2(plan.contains("USING INDEX"), qPrintable(plan));
        QCOMPARE(Rows("select count(*) from DataSet"), QStringList{"0"});
        for (const KeyAccess& access : kAccess) QCOMPARE(access.get(), access.fallback);
        QCOMPARE(GetTodayTotal(), 0);
        QVERIFY(Reopen());
    }
}

void TestSettingsStore::keyRoundTrip_data() {
    QTest::addColumn<QString>("key");
    for (const KeyAccess& access : kAccess) QTest::newRow(access.key) << QString(access.key);
}

void TestSettingsStore::keyRoundTrip() {
    QFETCH(QString, key);
    const KeyAccess& access = AccessFor(key);
    // The second value is not the default, so only a stored value can bring it back.
    const bool flag = key.startsWith('b');
    const int first = flag ? access.fallback : 7;
    const int second = flag ? 1 - access.fallback : 4321;

    QVERIFY(OpenSettings());
    access.set(first);
    QCOMPARE(access.get(), first);
    QCOMPARE(Rows("select * from DataSet"), QStringList{key + '|' + QString::number(first)});
    access.set(second);
    QCOMPARE(Rows("select * from DataSet"), QStringList{key + '|' + QString::number(second)});
    CloseSettings();
    QCOMPARE(access.get(), access.fallback);
    QVERIFY(OpenSettings());
    QCOMPARE(access.get(), second);
}

void TestSettingsStore::storedValuesReadLeniently_data() {
    QTest::addColumn<QString>("literal");  // as written into the value column
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("key");

    const QString nines = QByteArray(400, '9').toHex();  // as a blob: no numeric affinity
    QTest::newRow("text") << "'abc'" << 0 << "nRelaxMinute";
    QTest::newRow("blanks, sign, tail") << "' \t\n-12x'" << -12 << "nRelaxMinute";
    QTest::newRow("real") << "3.9" << 3 << "nRelaxMinute";
    QTest::newRow("null") << "NULL" << 0 << "nRelaxMinute";
    QTest::newRow("blob of digits") << "x'3137'" << 17 << "nRelaxMinute";
    QTest::newRow("int max + 1") << "2147483648" << INT_MAX << "nRelaxMinute";
    QTest::newRow("int min") << "-2147483648" << INT_MIN << "nRelaxMinute";
    QTest::newRow("400 digits") << "x'" + nines + "'" << INT_MAX << "nRelaxMinute";
    QTest::newRow("-400 digits") << "x'2d" + nines + "'" << INT_MIN << "nRelaxMinute";
    // Only a per-drink target of 0 has a meaning of its own.
    QTest::newRow("target once 0") << "0" << 300 << "nDrinkTargetOnce";
    QTest::newRow("target day 0") << "0" << 0 << "nDrinkTargetDay";
    QTest::newRow("bool 5") << "5" << 1 << "bEyeProtectOn";
    QTest::newRow("bool fraction") << "0.5" << 0 << "bDrinkSound";
}

void TestSettingsStore::storedValuesReadLeniently() {
    QFETCH(QString, literal);
    QFETCH(int, expected);
    QFETCH(QString, key);
    const KeyAccess& access = AccessFor(key);
    const std::string k = key.toStdString();
    const std::string query = "select quote(value) from DataSet where key = ?";

    QVERIFY(OpenSettings());
    QCOMPARE(Session().ExecStatement("insert into DataSet values(?, " + literal.toStdString() + ")",
                                     {k}),
             kDone);
    const QStringList stored = Rows(query, {k});
    QVERIFY(Reopen());
    QCOMPARE(access.get(), expected);
    QCOMPARE(Rows(query, {k}), stored);  // reading repairs nothing on disk
    access.set(access.get());            // the next write stores the value as held
    QCOMPARE(Rows(query, {k}), QStringList{QString::number(expected)});
}

void TestSettingsStore::drinkStatistics_data() {
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

void TestSettingsStore::drinkStatistics() {
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

void TestSettingsStore::todayTotal_data() {
    QTest::addColumn<QDate>("day");
    QTest::newRow("31 Jan") << QDate(2024, 1, 31);
    QTest::newRow("29 Feb, leap") << QDate(2024, 2, 29);
    QTest::newRow("30 Apr") << QDate(2024, 4, 30);
    QTest::newRow("31 Dec") << QDate(2023, 12, 31);
}

void TestSettingsStore::todayTotal() {
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
    QCOMPARE(GetTodayTotal(), 30);
    // The program left running past midnight starts the new day from the log.
    clock_.now = QDateTime(next, QTime(0, 0, 10));
    QCOMPARE(GetTodayTotal(), 300);
    QVERIFY(AddDrink(5));
    QCOMPARE(GetTodayTotal(), 305);
    clock_.now = QDateTime(day, QTime(22, 0));  // the clock set back
    QCOMPARE(GetTodayTotal(), 30);
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

void TestSettingsStore::daysOfUse_data() {
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

void TestSettingsStore::daysOfUse() {
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

void TestSettingsStore::unusableFileIsNeverTouched_data() {
    QTest::addColumn<QString>("path");        // below the data home
    QTest::addColumn<bool>("plainDatabase");  // else a line of text
    QTest::newRow("plain database") << "VitaCompanion/DataSet.db" << true;
    QTest::newRow("file in the folder's place") << "VitaCompanion" << false;
}

void TestSettingsStore::unusableFileIsNeverTouched() {
    QFETCH(QString, path);
    QFETCH(bool, plainDatabase);
    path = temp_->path() + '/' + path;
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    if (plainDatabase) {
        DatabaseSession plain;
        QCOMPARE(plain.Open(path.toStdString(), ""), 0);
        QCOMPARE(plain.ExecStatement("CREATE TABLE DataSet (key TEXT, value INTEGER)"), kDone);
        QCOMPARE(plain.ExecStatement("insert into DataSet values('nPercent', 70)"), kDone);
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a database\n") == 15);
    }
    const QByteArray before = ReadAll(path);

    QVERIFY(!OpenSettings());
    for (const KeyAccess& access : kAccess) QCOMPARE(access.get(), access.fallback);
    // Everything after fails quietly, keeps what it can in memory and writes nothing.
    StorePercent(55);
    QCOMPARE(GetPercent(), 55);
    QVERIFY(!AddDrink(100));
    QCOMPARE(GetTodayTotal(), 100);
    int out = -1;
    QVERIFY(!SumDrinkSize("2024-01-01", "2025-01-01", out));
    QCOMPARE(out, 0);
    QVERIFY(!GetDaysOfUse(out));
    QVERIFY(!OpenSettings());
    CloseSettings();
    QCOMPARE(ReadAll(path), before);
    QVERIFY(!QFile::exists(path + "-journal"));
}

void TestSettingsStore::malformedDatesIgnored_data() {
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
void TestSettingsStore::malformedDatesIgnored() {
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
void TestSettingsStore::dayTotalsAnswerAsStatistics() {
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

void TestSettingsStore::dayTotalsFollowTheLog() {
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
void TestSettingsStore::daySizeIndexOnAnOlderFile() {
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

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
