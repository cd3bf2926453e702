#include <QDir>
#include <QFile>

#include "data/drink_log.h"
#include "data/settings_notifier.h"
#include "store_fixture.h"

using namespace SettingsStore;
using namespace store_test;

namespace {

// Each stored key with its default and another value it can hold, reached through its own getter
// and setter.
struct KeyAccess {
    const char* key;
    SettingsKey announced;
    int fallback;
    int other;
    int (*get)();
    void (*set)(int);
};

template <bool (*Get)(), void (*Set)(bool)>
KeyAccess Flag(const char* key, SettingsKey announced, int fallback) {
    return {key,
            announced,
            fallback,
            1 - fallback,
            [] { return Get() ? 1 : 0; },
            [](int v) { Set(v != 0); }};
}

using K = SettingsKey;
const KeyAccess kAccess[] = {
    Flag<GetEyeProtectOn, StoreEyeProtectOn>("bEyeProtectOn", K::EyeProtectOn, 0),
    {"nPercent", K::Percent, 0, 30, GetPercent, StorePercent},
    Flag<GetRemindOnTime, SetRemindOnTime>("bRemindOnTime", K::RemindOnTime, 1),
    Flag<GetRemindFullScreen, SetRemindFullScreen>("bRemindFullScreen", K::RemindFullScreen, 1),
    Flag<GetRemindSound, SetRemindSound>("bRemindSound", K::RemindSound, 1),
    {"nCountDownSecond", K::CountDownSecond, 15, 45, GetCountDownSecond, SetCountDownSecond},
    {"nRelaxMinute", K::RelaxMinute, 10, 25, GetRelaxMinute, SetRelaxMinute},
    {"nRemindHour", K::RemindHour, 2, 6, GetRemindHour, SetRemindHour},
    {"nRemindMinute", K::RemindMinute, 0, 55, GetRemindMinute, SetRemindMinute},
    Flag<GetRemindOnTimeDrk, SetRemindOnTimeDrk>("bRemindOnTimeDrk", K::RemindOnTimeDrk, 1),
    Flag<GetDrinkSound, SetDrinkSound>("bDrinkSound", K::DrinkSound, 1),
    Flag<GetRemindSoundDrk, SetRemindSoundDrk>("bRemindSoundDrk", K::RemindSoundDrk, 1),
    {"nDrinkTargetDay", K::DrinkTargetDay, 1500, 99999, GetDrinkTargetDay, SetDrinkTargetDay},
    {"nDrinkTargetOnce", K::DrinkTargetOnce, 300, 1, GetDrinkTargetOnce, SetDrinkTargetOnce},
    {"nRemindHourDrk", K::RemindHourDrk, 0, 3, GetRemindHourDrk, SetRemindHourDrk},
    {"nRemindMinuteDrk", K::RemindMinuteDrk, 30, 5, GetRemindMinuteDrk, SetRemindMinuteDrk},
};

const KeyAccess& AccessFor(const QString& key) {
    return *std::find_if(std::begin(kAccess), std::end(kAccess),
                         [&](const KeyAccess& access) { return key == access.key; });
}

// What the store announces, in order: the keys, and -1 for a reload.
struct Announcements : QObject {
    QList<int> heard;
    Announcements() {
        const SettingsNotifier* notifier = &SettingsNotifier::Instance();
        connect(notifier, &SettingsNotifier::changed, this, [this](K key) { heard << int(key); });
        connect(notifier, &SettingsNotifier::reloaded, this, [this] { heard << -1; });
    }
    QList<int> Take() { return std::exchange(heard, {}); }
};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}  // namespace

class TestSettingsStore : public QObject, StoreFixture {
    Q_OBJECT

  private slots:
    void init() { SetUp(); }
    void cleanup() { TearDown(); }
    void freshDatabase();
    void keyRoundTrip_data();
    void keyRoundTrip();
    void storedValuesReadThroughRules_data();
    void storedValuesReadThroughRules();
    void setValuesReadThroughRules();
    void unusableFileIsNeverTouched_data();
    void unusableFileIsNeverTouched();
    void fileReplacedOrRemoved();
};

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
        QCOMPARE(DrinkLog::GetTodayTotal(), 0);
        QVERIFY(Reopen());
    }
}

void TestSettingsStore::keyRoundTrip_data() {
    QTest::addColumn<QString>("key");
    for (const KeyAccess& access : kAccess) QTest::newRow(access.key) << QString(access.key);
}

// A value set is written, announced once and read back after a reopen; setting it again writes
// and announces nothing; opening and closing announce a reload.
void TestSettingsStore::keyRoundTrip() {
    QFETCH(QString, key);
    const KeyAccess& access = AccessFor(key);
    const int announced = int(access.announced);
    const auto stored = [] { return Rows("select * from DataSet"); };
    Announcements announcements;

    QVERIFY(OpenSettings());
    QCOMPARE(announcements.Take(), QList<int>{-1});
    access.set(access.fallback);
    QCOMPARE(stored(), QStringList{});
    access.set(access.other);
    QCOMPARE(access.get(), access.other);
    QCOMPARE(stored(), QStringList{key + '|' + QString::number(access.other)});
    QCOMPARE(announcements.Take(), QList<int>{announced});
    access.set(access.other);
    QCOMPARE(announcements.Take(), QList<int>{});
    access.set(access.fallback);
    QCOMPARE(stored(), QStringList{key + '|' + QString::number(access.fallback)});
    access.set(access.other);
    QCOMPARE(announcements.Take(), QList<int>({announced, announced}));

    CloseSettings();
    QCOMPARE(access.get(), access.fallback);
    QVERIFY(OpenSettings());
    QCOMPARE(access.get(), access.other);
    QCOMPARE(announcements.Take(), QList<int>({-1, -1}));
}

void TestSettingsStore::storedValuesReadThroughRules_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("literal");  // as written into the value column
    QTest::addColumn<int>("expected");

    const QString nines = QByteArray(400, '9').toHex();  // as a blob: no numeric affinity
    const struct {
        const char *name, *key;
        QString literal;
        int expected;
    } rows[] = {
        // Break length: no number, none, below or beyond the range read as the default.
        {"break text", "nRelaxMinute", "'abc'", 10},
        {"break 0", "nRelaxMinute", "0", 10},
        {"break -5", "nRelaxMinute", "-5", 10},
        {"break 61", "nRelaxMinute", "61", 10},
        {"break 400 digits", "nRelaxMinute", "x'" + nines + "'", 10},
        {"break tail", "nRelaxMinute", "'12x'", 10},
        {"break 60", "nRelaxMinute", "60", 60},
        {"break 7: nearest item", "nRelaxMinute", "7", 5},
        {"break 4: smaller of two", "nRelaxMinute", "4", 3},
        {"break blanks and sign", "nRelaxMinute", "' \t+45\n'", 45},
        {"break real", "nRelaxMinute", "20.9", 20},
        {"countdown 12", "nCountDownSecond", "12", 10},
        {"interval 1000 hours", "nRemindHour", "1000", 2},
        {"interval 6 hours", "nRemindHour", "6", 6},
        {"minutes 58", "nRemindMinute", "58", 55},
        {"minutes 60", "nRemindMinuteDrk", "60", 30},
        {"target int max", "nDrinkTargetDay", "2147483647", 1500},
        {"target 5 digits", "nDrinkTargetDay", "99999", 99999},
        {"target 6 digits", "nDrinkTargetDay", "100000", 1500},
        {"target 0, as old files hold", "nDrinkTargetDay", "0", 0},
        {"drink int max", "nDrinkTargetOnce", "2147483647", 300},
        {"drink 1.5e300", "nDrinkTargetOnce", "1.5e300", 300},
        {"drink 0", "nDrinkTargetOnce", "0", 300},
        {"percent beyond the int range", "nPercent", "4e9", 0},
        {"percent 250, shown clamped by eye/", "nPercent", "250", 250},
        {"bool 5", "bEyeProtectOn", "5", 1},
        {"bool fraction", "bDrinkSound", "0.5", 0},
    };
    for (const auto& row : rows)
        QTest::newRow(row.name) << QString(row.key) << row.literal << row.expected;
}

// Stored text, as a hand-edited or damaged file may hold it, to the value the page shows and the
// program uses; the text itself stays.
void TestSettingsStore::storedValuesReadThroughRules() {
    QFETCH(QString, key);
    QFETCH(QString, literal);
    QFETCH(int, expected);
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
    access.set(expected);  // a page echoing the value back
    QCOMPARE(Rows(query, {k}), stored);
}

// A value set reads through the same rule, and is announced only when what it reads as changes.
void TestSettingsStore::setValuesReadThroughRules() {
    QVERIFY(OpenSettings());
    Announcements announcements;
    SetRelaxMinute(-5);  // reads as the 10 in hand
    SetRelaxMinute(7);
    QCOMPARE(GetRelaxMinute(), 5);
    SetRelaxMinute(6);
    SetDrinkTargetOnce(0);  // the panel's emptied edit
    QCOMPARE(GetDrinkTargetOnce(), 300);
    SetDrinkTargetOnce(2147483647);
    QCOMPARE(GetDrinkTargetOnce(), 300);
    QCOMPARE(announcements.Take(), QList<int>{int(K::RelaxMinute)});
    QCOMPARE(Rows("select * from DataSet"), QStringList{"nRelaxMinute|7"});
}

void TestSettingsStore::unusableFileIsNeverTouched_data() {
    QTest::addColumn<QString>("path");        // below the data home
    QTest::addColumn<bool>("plainDatabase");  // else a line of text
    QTest::addColumn<QString>("problem");     // what the user is told
    QTest::newRow("plain database") << "VitaCompanion/DataSet.db" << true << "数据文件无法识别";
    QTest::newRow("file in the folder's place")
        << "VitaCompanion" << false << "无法创建或打开数据文件";
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
    QTEST(SaveProblem(), "problem");
    for (const KeyAccess& access : kAccess) QCOMPARE(access.get(), access.fallback);
    // Everything after fails quietly, keeps what it can in memory and writes nothing.
    StorePercent(55);
    QCOMPARE(GetPercent(), 55);
    QVERIFY(!DrinkLog::AddDrink(100));
    QCOMPARE(DrinkLog::GetTodayTotal(), 100);
    int out = -1;
    QVERIFY(!DrinkLog::SumDrinkSize("2024-01-01", "2025-01-01", out));
    QCOMPARE(out, 0);
    QVERIFY(!DrinkLog::GetDaysOfUse(out));
    QVERIFY(!OpenSettings());
    QTEST(SaveProblem(), "problem");  // still: nothing went in
    CloseSettings();
    QCOMPARE(ReadAll(path), before);
    QVERIFY(QFile::remove(path));
    QVERIFY(OpenSettings());  // a usable file again: saved, and nothing to tell
    QVERIFY(SaveProblem().isEmpty());
    QVERIFY(!QFile::exists(path + "-journal"));
}

// The file changes under the program: a backup put back with mv is read and written to; a file
// deleted is made anew with what the program holds.
void TestSettingsStore::fileReplacedOrRemoved() {
    QVERIFY(OpenSettings());
    StorePercent(40);
    const QString backup = DatabasePath() + ".bak";
    QVERIFY(QFile::copy(DatabasePath(), backup));
    {
        DatabaseSession older;
        QCOMPARE(older.Open(backup.toStdString(), kDatabaseKey), 0);
        QCOMPARE(older.ExecStatement("update DataSet set value = 70 where key = 'nPercent'"),
                 kDone);
    }
    QCOMPARE(::rename(QFile::encodeName(backup).constData(),
                      QFile::encodeName(DatabasePath()).constData()),
             0);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("file was replaced"));
    SetRelaxMinute(25);
    QCOMPARE(GetPercent(), 70);
    QVERIFY(QFile::remove(DatabasePath()));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("file was removed"));
    SetCountDownSecond(45);
    QVERIFY(Reopen());
    QCOMPARE(GetPercent(), 70);
    QCOMPARE(GetRelaxMinute(), 25);
    QCOMPARE(GetCountDownSecond(), 45);
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
