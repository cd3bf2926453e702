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

class FakeClock final : public Clock {
  public:
    QDateTime now;
    QDateTime Now() const override { return now; }
};

// The stored keys with their defaults, and a way to reach each through its own getter/setter.
struct KeyAccess {
    const char* key;
    int fallback;
    int (*get)();
    void (*set)(int);
};

const KeyAccess kAccess[] = {
    {"bEyeProtectOn", 0, [] { return GetEyeProtectOn() ? 1 : 0; },
     [](int v) { StoreEyeProtectOn(v != 0); }},
    {"nPercent", 0, GetPercent, StorePercent},
    {"bRemindOnTime", 1, [] { return GetRemindOnTime() ? 1 : 0; },
     [](int v) { SetRemindOnTime(v != 0); }},
    {"bRemindFullScreen", 1, [] { return GetRemindFullScreen() ? 1 : 0; },
     [](int v) { SetRemindFullScreen(v != 0); }},
    {"bRemindSound", 1, [] { return GetRemindSound() ? 1 : 0; },
     [](int v) { SetRemindSound(v != 0); }},
    {"nCountDownSecond", 15, GetCountDownSecond, SetCountDownSecond},
    {"nRelaxMinute", 10, GetRelaxMinute, SetRelaxMinute},
    {"nRemindHour", 2, GetRemindHour, SetRemindHour},
    {"nRemindMinute", 0, GetRemindMinute, SetRemindMinute},
    {"bRemindOnTimeDrk", 1, [] { return GetRemindOnTimeDrk() ? 1 : 0; },
     [](int v) { SetRemindOnTimeDrk(v != 0); }},
    {"bDrinkSound", 1, [] { return GetDrinkSound() ? 1 : 0; },
     [](int v) { SetDrinkSound(v != 0); }},
    {"bRemindSoundDrk", 1, [] { return GetRemindSoundDrk() ? 1 : 0; },
     [](int v) { SetRemindSoundDrk(v != 0); }},
    {"nDrinkTargetDay", 1500, GetDrinkTargetDay, SetDrinkTargetDay},
    {"nDrinkTargetOnce", 300, GetDrinkTargetOnce, SetDrinkTargetOnce},
    {"nRemindHourDrk", 0, GetRemindHourDrk, SetRemindHourDrk},
    {"nRemindMinuteDrk", 30, GetRemindMinuteDrk, SetRemindMinuteDrk},
};

const KeyAccess& AccessFor(const QString& key) {
    for (const KeyAccess& access : kAccess) {
        if (key == access.key) return access;
    }
    qFatal("unknown key");
}

bool IsBool(const KeyAccess& access) {
    return access.key[0] == 'b';
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

void InsertDrink(int size, const QDate& date) {
    QCOMPARE(Session().ExecStatement("insert into DrinkWaterRecord values(?, ?, '12:00:00')",
                                     {static_cast<long long>(size), FormatDrinkDate(date)}),
             101);
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
    void ensureTable_data();
    void ensureTable();

    void drinkStatistics_data();
    void drinkStatistics();
    void queriesFailQuietly_data();
    void queriesFailQuietly();
    void todayTotalAtMonthEnd_data();
    void todayTotalAtMonthEnd();
    void todayTotalFollowsMidnight();
    void addDrinkCountsWhenInsertFails_data();
    void addDrinkCountsWhenInsertFails();
    void todayTotalSaturates();
    void drinkRecordFormat_data();
    void drinkRecordFormat();

    void daysOfUse_data();
    void daysOfUse();
    void daysOfUseWithoutFile();

    void foreignFileIsNeverTouched_data();
    void foreignFileIsNeverTouched();
    void openFailsWhenFolderCannotBeMade();

    void lenientInt_data();
    void lenientInt();

  private:
    QString DbPath() const { return temp_->path() + "/VitaCompanion/DataSet.db"; }
    void Reopen() {
        CloseSettings();
        QVERIFY(OpenSettings());
    }

    std::unique_ptr<QTemporaryDir> temp_;
    FakeClock clock_;
};

void TestSettingsStore::init() {
    temp_ = std::make_unique<QTemporaryDir>();
    QVERIFY(temp_->isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(temp_->path()));
    clock_.now = QDateTime::currentDateTime();
}

void TestSettingsStore::cleanup() {
    CloseSettings();
    Clock::Install(nullptr);
    temp_.reset();
}

void TestSettingsStore::freshDatabase() {
    QVERIFY(OpenSettings());
    QCOMPARE(DatabasePath(), DbPath());
    QVERIFY(QFile::exists(DbPath()));
    const QStringList tables =
        Rows("select name, sql from sqlite_master where type='table' order by name");
    QCOMPARE(tables,
             QStringList({"DataSet|CREATE TABLE DataSet (key TEXT primary key, value INTEGER)",
                          "DrinkWaterRecord|CREATE TABLE DrinkWaterRecord (size INTEGER, DrinkDate "
                          "date, DrinkTime time)"}));
    QCOMPARE(Rows("select count(*) from DataSet"), QStringList{"0"});
    for (const KeyAccess& access : kAccess) QCOMPARE(access.get(), access.fallback);
    QCOMPARE(GetTodayTotal(), 0);

    // Date ranges must be served by an index, not a scan of years of drinks; reopening keeps it
    // and adds neither tables nor keys.
    for (int pass = 0; pass < 2; ++pass) {
        const QStringList plan = Rows(
            "explain query plan select sum(size) from DrinkWaterRecord where DrinkDate >= ? and "
            "DrinkDate < ?",
            {std::string("2024-01-01"), std::string("2024-02-01")});
        QVERIFY2(plan.join(' ').contains("USING INDEX"), qPrintable(plan.join(' ')));
        Reopen();
    }
    QCOMPARE(Rows("select count(*) from sqlite_master where type='index' and "
                  "tbl_name='DrinkWaterRecord'"),
             QStringList{"1"});
    QCOMPARE(Rows("select count(*) from DataSet"), QStringList{"0"});
}

void TestSettingsStore::keyRoundTrip_data() {
    QTest::addColumn<QString>("key");
    for (const KeyAccess& access : kAccess) QTest::newRow(access.key) << QString(access.key);
}

void TestSettingsStore::keyRoundTrip() {
    QFETCH(QString, key);
    const KeyAccess& access = AccessFor(key);
    const std::string k = key.toStdString();
    // The second value differs from the default, so only a stored value can bring it back.
    const int first = IsBool(access) ? access.fallback : 7;
    const int second = IsBool(access) ? 1 - access.fallback : 4321;

    QCOMPARE(access.get(), access.fallback);
    QVERIFY(OpenSettings());
    access.set(first);
    QCOMPARE(access.get(), first);
    QCOMPARE(Rows("select value from DataSet where key = ?", {k}),
             QStringList{QString::number(first)});
    access.set(second);
    QCOMPARE(Rows("select key, value from DataSet"),
             QStringList{key + '|' + QString::number(second)});

    CloseSettings();
    QCOMPARE(access.get(), access.fallback);
    QVERIFY(OpenSettings());
    QCOMPARE(access.get(), second);
}

void TestSettingsStore::storedValuesReadLeniently_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("literal");  // as written into the value column
    QTest::addColumn<int>("expected");

    QTest::newRow("text") << "nRelaxMinute"
                          << "'abc'" << 0;
    QTest::newRow("padded text") << "nRelaxMinute"
                                 << "'  42x'" << 42;
    QTest::newRow("real") << "nRelaxMinute"
                          << "3.9" << 3;
    QTest::newRow("negative real") << "nRemindHour"
                                   << "-2.5" << -2;
    QTest::newRow("above int") << "nDrinkTargetDay"
                               << "99999999999" << INT_MAX;
    QTest::newRow("below int") << "nDrinkTargetDay"
                               << "-99999999999" << INT_MIN;
    QTest::newRow("null") << "nCountDownSecond"
                          << "NULL" << 0;
    QTest::newRow("blob of digits") << "nCountDownSecond"
                                    << "x'3137'" << 17;
    QTest::newRow("binary blob") << "nCountDownSecond"
                                 << "x'00ff31'" << 0;
    QTest::newRow("target once 0") << "nDrinkTargetOnce"
                                   << "0" << 300;
    QTest::newRow("target once text") << "nDrinkTargetOnce"
                                      << "'none'" << 300;
    QTest::newRow("target once negative") << "nDrinkTargetOnce"
                                          << "-5" << -5;
    QTest::newRow("target day 0") << "nDrinkTargetDay"
                                  << "0" << 0;
    QTest::newRow("bool 5") << "bEyeProtectOn"
                            << "5" << 1;
    QTest::newRow("bool -1") << "bRemindSound"
                             << "-1" << 1;
    QTest::newRow("bool 0") << "bRemindSound"
                            << "0" << 0;
    QTest::newRow("bool text") << "bRemindOnTime"
                               << "'yes'" << 0;
    QTest::newRow("bool fraction") << "bDrinkSound"
                                   << "0.5" << 0;
}

void TestSettingsStore::storedValuesReadLeniently() {
    QFETCH(QString, key);
    QFETCH(QString, literal);
    QFETCH(int, expected);
    const KeyAccess& access = AccessFor(key);
    const std::string k = key.toStdString();

    QVERIFY(OpenSettings());
    QCOMPARE(Session().ExecStatement("insert into DataSet values(?, " + literal.toStdString() + ")",
                                     {k}),
             101);
    const QStringList stored = Rows("select quote(value) from DataSet where key = ?", {k});
    Reopen();
    QCOMPARE(access.get(), expected);
    // Reading repairs nothing on disk.
    QCOMPARE(Rows("select quote(value) from DataSet where key = ?", {k}), stored);

    // The next write stores the value as held, booleans as 0/1.
    access.set(access.get());
    QCOMPARE(Rows("select quote(value) from DataSet where key = ?", {k}),
             QStringList{QString::number(expected)});
}

void TestSettingsStore::ensureTable_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("create");
    QTest::addColumn<bool>("expected");
    QTest::addColumn<QString>("tables");

    const QString ours = "DataSet,DrinkWaterRecord";
    QTest::newRow("exists: create not run") << "DataSet"
                                            << "bogus" << true << ours;
    QTest::newRow("made") << "Extra"
                          << "CREATE TABLE Extra (x INTEGER)" << true
                          << "DataSet,DrinkWaterRecord,Extra";
    QTest::newRow("create fails") << "Extra"
                                  << "CREATE TABL Extra (x)" << false << ours;
    QTest::newRow("index is no table") << "sqlite_autoindex_DataSet_1"
                                       << "bogus" << false << ours;
    QTest::newRow("name is data, not SQL") << "x' or '1'='1"
                                           << "bogus" << false << ours;
}

void TestSettingsStore::ensureTable() {
    QFETCH(QString, name);
    QFETCH(QString, create);
    QFETCH(bool, expected);
    QFETCH(QString, tables);

    QVERIFY(OpenSettings());
    QCOMPARE(EnsureTable(name.toUtf8().constData(), create.toUtf8().constData()), expected);
    QCOMPARE(Rows("select group_concat(name) from (select name from sqlite_master where "
                  "type='table' order by name)"),
             QStringList{tables});
}

void TestSettingsStore::drinkStatistics_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("sum");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("days");

    QTest::newRow("before the log") << "2024-01-01"
                                    << "2024-02-01" << 1 << 0 << 0 << 0;
    QTest::newRow("start equals end") << "2024-03-01"
                                      << "2024-03-01" << 1 << 0 << 0 << 0;
    QTest::newRow("reversed") << "2024-03-05"
                              << "2024-03-01" << 1 << 0 << 0 << 0;
    QTest::newRow("one day at target") << "2024-03-01"
                                       << "2024-03-02" << 600 << 600 << 2 << 1;
    QTest::newRow("two days, 600") << "2024-03-01"
                                   << "2024-03-03" << 600 << 1300 << 3 << 2;
    QTest::newRow("two days, 650") << "2024-03-01"
                                   << "2024-03-03" << 650 << 1300 << 3 << 1;
    QTest::newRow("two days, 701") << "2024-03-01"
                                   << "2024-03-03" << 701 << 1300 << 3 << 0;
    QTest::newRow("month, day-32 end") << "2024-03-01"
                                       << "2024-03-32" << 600 << 2050 << 5 << 3;
    QTest::newRow("end excluded") << "2024-03-02"
                                  << "2024-03-31" << 600 << 800 << 2 << 1;
    QTest::newRow("start included") << "2024-03-31"
                                    << "2024-04-02" << 100 << 700 << 2 << 1;
    QTest::newRow("everything") << "0000-00-00"
                                << "9999-99-99" << 0 << 2100 << 6 << 5;
}

void TestSettingsStore::drinkStatistics() {
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(int, target);
    QFETCH(int, sum);
    QFETCH(int, count);
    QFETCH(int, days);

    QVERIFY(OpenSettings());
    InsertDrink(200, QDate(2024, 3, 1));
    InsertDrink(400, QDate(2024, 3, 1));
    InsertDrink(700, QDate(2024, 3, 2));
    InsertDrink(100, QDate(2024, 3, 3));
    InsertDrink(650, QDate(2024, 3, 31));
    InsertDrink(50, QDate(2024, 4, 1));

    const std::string s = start.toStdString(), e = end.toStdString();
    int out = -1;
    QVERIFY(SumDrinkSize(s, e, out));
    QCOMPARE(out, sum);
    out = -1;
    QVERIFY(CountDrinks(s, e, out));
    QCOMPARE(out, count);
    out = -1;
    QVERIFY(CountDaysReachingTarget(s, e, target, out));
    QCOMPARE(out, days);
}

void TestSettingsStore::queriesFailQuietly_data() {
    QTest::addColumn<bool>("dropLog");  // else the database is closed
    QTest::newRow("closed") << false;
    QTest::newRow("log table gone") << true;
}

void TestSettingsStore::queriesFailQuietly() {
    QFETCH(bool, dropLog);
    QVERIFY(OpenSettings());
    QVERIFY(WriteIntSetting("nPercent", 40));
    if (dropLog) {
        QCOMPARE(Session().ExecStatement("drop table DrinkWaterRecord"), 101);
    } else {
        CloseSettings();
    }

    int out = 77;
    QVERIFY(!SumDrinkSize("2024-01-01", "2025-01-01", out));
    QCOMPARE(out, 0);
    out = 77;
    QVERIFY(!CountDrinks("2024-01-01", "2025-01-01", out));
    QCOMPARE(out, 0);
    out = 77;
    QVERIFY(!CountDaysReachingTarget("2024-01-01", "2025-01-01", 1, out));
    QCOMPARE(out, 0);
    out = 77;
    QVERIFY(!GetDaysOfUse(out));
    QCOMPARE(out, 0);
    QVERIFY(!InsertDrinkRecord(100));

    // Settings reads leave the caller's value alone: on failure, and for a key never stored.
    out = 77;
    QCOMPARE(ReadIntSetting("nPercent", out), dropLog);
    QCOMPARE(out, dropLog ? 40 : 77);
    out = 77;
    QCOMPARE(ReadIntSetting("neverStored", out), dropLog);
    QCOMPARE(out, 77);
    QCOMPARE(WriteIntSetting("nPercent", 41), dropLog);
}

void TestSettingsStore::todayTotalAtMonthEnd_data() {
    QTest::addColumn<QDate>("day");
    QTest::newRow("31 Jan") << QDate(2024, 1, 31);
    QTest::newRow("29 Feb, leap") << QDate(2024, 2, 29);
    QTest::newRow("28 Feb") << QDate(2023, 2, 28);
    QTest::newRow("30 Apr") << QDate(2024, 4, 30);
    QTest::newRow("31 Dec") << QDate(2023, 12, 31);
    QTest::newRow("mid-month") << QDate(2024, 3, 15);
}

void TestSettingsStore::todayTotalAtMonthEnd() {
    QFETCH(QDate, day);
    Clock::Install(&clock_);
    clock_.now = QDateTime(day, QTime(12, 0));
    QVERIFY(OpenSettings());
    InsertDrink(1, day.addDays(-1));
    InsertDrink(10, day);
    InsertDrink(20, day);
    InsertDrink(300, day.addDays(1));
    InsertDrink(4000, day.addDays(2));

    Reopen();
    QCOMPARE(GetTodayTotal(), 30);
    // Started afresh on the next day, only that day counts.
    CloseSettings();
    clock_.now = QDateTime(day.addDays(1), QTime(0, 0, 1));
    QVERIFY(OpenSettings());
    QCOMPARE(GetTodayTotal(), 300);
}

void TestSettingsStore::todayTotalFollowsMidnight() {
    Clock::Install(&clock_);
    clock_.now = QDateTime(QDate(2024, 3, 10), QTime(23, 59, 30));
    QVERIFY(OpenSettings());
    QVERIFY(AddDrink(200));
    QCOMPARE(GetTodayTotal(), 200);

    clock_.now = QDateTime(QDate(2024, 3, 11), QTime(0, 0, 10));
    QCOMPARE(GetTodayTotal(), 0);
    QVERIFY(AddDrink(150));
    QCOMPARE(GetTodayTotal(), 150);
    QCOMPARE(Rows("select size, DrinkDate, DrinkTime from DrinkWaterRecord order by rowid"),
             QStringList({"200|2024-03-10|23:59:30", "150|2024-03-11|00:00:10"}));

    // A drink another path logged for a day is picked up when that day comes round again.
    InsertDrink(75, QDate(2024, 3, 12));
    clock_.now = QDateTime(QDate(2024, 3, 12), QTime(1, 0));
    QVERIFY(AddDrink(25));
    QCOMPARE(GetTodayTotal(), 100);
    // The clock set back re-reads the earlier day from the log.
    clock_.now = QDateTime(QDate(2024, 3, 10), QTime(22, 0));
    QCOMPARE(GetTodayTotal(), 200);
}

void TestSettingsStore::addDrinkCountsWhenInsertFails_data() {
    QTest::addColumn<bool>("open");
    QTest::newRow("log table gone") << true;
    QTest::newRow("no database") << false;
}

void TestSettingsStore::addDrinkCountsWhenInsertFails() {
    QFETCH(bool, open);
    if (open) {
        QVERIFY(OpenSettings());
        QVERIFY(AddDrink(100));
        QCOMPARE(Session().ExecStatement("drop table DrinkWaterRecord"), 101);
    }
    const int before = GetTodayTotal();
    QCOMPARE(before, open ? 100 : 0);
    QVERIFY(!AddDrink(250));
    QVERIFY(!AddDrink(5));
    QCOMPARE(GetTodayTotal(), before + 255);
}

void TestSettingsStore::todayTotalSaturates() {
    QVERIFY(OpenSettings());
    QVERIFY(AddDrink(INT_MAX - 10));
    QVERIFY(AddDrink(100));
    QCOMPARE(GetTodayTotal(), INT_MAX);
    // The log's own sum is wider than int; read back it is clamped the same way.
    Reopen();
    QCOMPARE(GetTodayTotal(), INT_MAX);
    QVERIFY(AddDrink(INT_MIN));
    QVERIFY(AddDrink(INT_MIN));
    QCOMPARE(GetTodayTotal(), INT_MIN);
}

void TestSettingsStore::drinkRecordFormat_data() {
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("expected");
    QTest::newRow("midnight") << QDateTime(QDate(2024, 1, 2), QTime(0, 0)) << "2024-01-02|00:00:00";
    QTest::newRow("afternoon") << QDateTime(QDate(2024, 11, 30), QTime(13, 5, 9))
                               << "2024-11-30|13:05:09";
    QTest::newRow("last second") << QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59))
                                 << "2023-12-31|23:59:59";
    QTest::newRow("short year") << QDateTime(QDate(987, 6, 7), QTime(8, 9, 10))
                                << "0987-06-07|08:09:10";
}

void TestSettingsStore::drinkRecordFormat() {
    QFETCH(QDateTime, when);
    QFETCH(QString, expected);
    Clock::Install(&clock_);
    clock_.now = when;
    QVERIFY(OpenSettings());
    QVERIFY(InsertDrinkRecord(250));
    QCOMPARE(Rows("select size, DrinkDate, DrinkTime from DrinkWaterRecord"),
             QStringList{"250|" + expected});
    QCOMPARE(QString::fromStdString(FormatDrinkDate(when.date())), expected.left(10));
}

void TestSettingsStore::daysOfUse_data() {
    QTest::addColumn<QList<int>>("drinkDays");  // relative to today
    QTest::addColumn<QStringList>("oddDates");  // written as they are
    QTest::addColumn<int>("clockDays");         // the clock moved this far from the real today
    QTest::addColumn<int>("expected");

    QTest::newRow("new file, no drinks") << QList<int>{} << QStringList{} << 0 << 1;
    QTest::newRow("first drink 9 days ago") << QList<int>{-3, -9, 0} << QStringList{} << 0 << 10;
    QTest::newRow("drinks after creation") << QList<int>{2, 3} << QStringList{} << 5 << 6;
    QTest::newRow("clock 5 days on") << QList<int>{} << QStringList{} << 5 << 6;
    QTest::newRow("clock set back") << QList<int>{} << QStringList{} << -3 << 1;
    QTest::newRow("clock back, older drink") << QList<int>{-9} << QStringList{} << -3 << 7;
    QTest::newRow("no real date") << QList<int>{} << QStringList{"garbage", "0-0-0", "2024-13-01"}
                                  << 0 << 1;
}

void TestSettingsStore::daysOfUse() {
    QFETCH(QList<int>, drinkDays);
    QFETCH(QStringList, oddDates);
    QFETCH(int, clockDays);
    QFETCH(int, expected);

    const QDate today = QDate::currentDate();
    Clock::Install(&clock_);
    clock_.now = QDateTime::currentDateTime().addDays(clockDays);
    QVERIFY(OpenSettings());
    for (int offset : drinkDays) InsertDrink(250, today.addDays(offset));
    for (const QString& date : oddDates) {
        QCOMPARE(Session().ExecStatement("insert into DrinkWaterRecord values(1, ?, '')",
                                         {date.toStdString()}),
                 101);
    }
    int out = -1;
    QVERIFY(GetDaysOfUse(out));
    QCOMPARE(out, expected);
}

void TestSettingsStore::daysOfUseWithoutFile() {
    QVERIFY(OpenSettings());
    QVERIFY(QFile::remove(DbPath()));
    int out = -1;
    QVERIFY(!GetDaysOfUse(out));
    QCOMPARE(out, 0);
}

void TestSettingsStore::foreignFileIsNeverTouched_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("random bytes") << 0;
    QTest::newRow("plain database") << 1;
    QTest::newRow("short text") << 2;
}

void TestSettingsStore::foreignFileIsNeverTouched() {
    QFETCH(int, kind);
    QVERIFY(QDir().mkpath(temp_->path() + "/VitaCompanion"));
    if (kind == 1) {
        DatabaseSession plain;
        QCOMPARE(plain.Open(DbPath().toStdString(), ""), 0);
        QCOMPARE(plain.ExecStatement("CREATE TABLE DataSet (key TEXT primary key, value INTEGER)"),
                 101);
        QCOMPARE(plain.ExecStatement("insert into DataSet values('nPercent', 70)"), 101);
    } else {
        QFile file(DbPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray bytes = "not a database\n";
        if (kind == 0) {
            QRandomGenerator random(42);
            bytes.resize(8192);
            for (char& byte : bytes) byte = static_cast<char>(random.bounded(256));
        }
        QCOMPARE(file.write(bytes), static_cast<qint64>(bytes.size()));
    }
    const QByteArray before = ReadAll(DbPath());

    QVERIFY(!OpenSettings());
    for (const KeyAccess& access : kAccess) QCOMPARE(access.get(), access.fallback);
    QCOMPARE(GetTodayTotal(), 0);

    // Everything after fails quietly and writes nothing.
    StorePercent(55);
    QCOMPARE(GetPercent(), 55);
    SetRemindHour(3);
    QVERIFY(!AddDrink(100));
    QCOMPARE(GetTodayTotal(), 100);
    int out = -1;
    QVERIFY(!GetDaysOfUse(out));
    QVERIFY(!OpenSettings());
    CloseSettings();

    QCOMPARE(ReadAll(DbPath()), before);
    QVERIFY(!QFile::exists(DbPath() + "-journal"));
}

void TestSettingsStore::openFailsWhenFolderCannotBeMade() {
    QFile blocker(temp_->path() + "/VitaCompanion");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    QVERIFY(!OpenSettings());
    QVERIFY(!Session().IsOpen());
    SetRelaxMinute(25);
    QCOMPARE(GetRelaxMinute(), 25);
    QCOMPARE(QFileInfo(blocker.fileName()).size(), 0);
}

void TestSettingsStore::lenientInt_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");

    QTest::newRow("empty") << "" << 0;
    QTest::newRow("plain") << "42" << 42;
    QTest::newRow("fraction") << "3.7" << 3;
    QTest::newRow("blanks, sign, tail") << "  -12abc" << -12;
    QTest::newRow("every blank") << " \t\n\r\v\f7" << 7;
    QTest::newRow("plus") << "+8" << 8;
    QTest::newRow("letters") << "abc" << 0;
    QTest::newRow("sign alone") << "-" << 0;
    QTest::newRow("two signs") << "+-3" << 0;
    QTest::newRow("space after sign") << "- 3" << 0;
    QTest::newRow("leading zeros") << "000123" << 123;
    QTest::newRow("int max") << "2147483647" << INT_MAX;
    QTest::newRow("int max + 1") << "2147483648" << INT_MAX;
    QTest::newRow("int min") << "-2147483648" << INT_MIN;
    QTest::newRow("int min - 1") << "-2147483649" << INT_MIN;
    QTest::newRow("huge") << "99999999999" << INT_MAX;
    QTest::newRow("very long") << QString(400, '9') << INT_MAX;
    QTest::newRow("very long negative") << '-' + QString(400, '9') << INT_MIN;
    QTest::newRow("exponent") << "1e5" << 1;
    QTest::newRow("hex") << "0x1F" << 0;
}

void TestSettingsStore::lenientInt() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(LenientInt(text.toStdString()), expected);
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
