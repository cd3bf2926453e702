// The store while other processes hold the database: a second instance sharing the data folder,
// a backup tool, a database browser. Waits for a passing lock, and a write the database would not
// take is kept and written later: nothing the user did in this run is lost.
//
// The test binary is also its own helper process:
//   tst_store_contention hold DATABASE MILLISECONDS   holds BEGIN EXCLUSIVE that long
//   tst_store_contention drinks DATA_HOME COUNT        logs COUNT drinks through the store

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "data/database_session.h"
#include "data/drink_log.h"
#include "data/settings_store.h"

using namespace SettingsStore;
using namespace DrinkLog;

namespace {

constexpr int kDone = 101;

int HoldExclusive(const QString& path, int milliseconds) {
    DatabaseSession session;
    if (session.Open(QFile::encodeName(path).toStdString(), kDatabaseKey) != 0 ||
        session.ExecStatement("BEGIN EXCLUSIVE") != kDone)
        return 1;
    std::fputs("held\n", stdout);
    std::fflush(stdout);
    QThread::msleep(static_cast<unsigned long>(milliseconds));
    return session.ExecStatement("COMMIT") == kDone ? 0 : 1;
}

int LogDrinks(const QString& dataHome, int count) {
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
    // A drink the other instance's lock refuses is kept and written later: the log's rows tell.
    OpenSettings();
    if (!Session().IsOpen()) return 1;
    for (int i = 1; i <= count; ++i) AddDrink(i);
    CloseSettings();
    return UnwrittenDrinks() == 0 ? 0 : 1;
}

int CountRows(const char* sql) {
    ResultSet rows;
    if (Session().QueryRows(sql, rows) != 0) return -1;
    const ResultSet::Row* row = rows.NextRow();
    return row ? LenientInt(row->front()) : -1;
}

}  // namespace

class TestStoreContention : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void aPassingLockIsNotWaitedFor();
    void keptPastTheExit();
    void writesTheDatabaseRefusedLater_data();
    void writesTheDatabaseRefusedLater();
    void twoInstancesLogEveryDrink();

  private:
    // Starts a helper holding the database exclusively for `milliseconds`; returns once it holds.
    void Hold(int milliseconds);
    void Reopen();

    std::unique_ptr<QTemporaryDir> home_;
    std::unique_ptr<QProcess> holder_;
};

void TestStoreContention::init() {
    home_ = std::make_unique<QTemporaryDir>();
    qputenv("XDG_DATA_HOME", QFile::encodeName(home_->path()));
    // A file with a stored value to read back; written with nobody in the way.
    QVERIFY(OpenSettings());
    SetRemindOnTime(false);
    CloseSettings();
}

void TestStoreContention::cleanup() {
    if (holder_) holder_->waitForFinished(10000);
    holder_.reset();
    CloseSettings();
    Session().SetBusyTimeout(DatabaseSession::kDefaultBusyTimeoutMs);
}

void TestStoreContention::Hold(int milliseconds) {
    if (holder_ && holder_->state() != QProcess::NotRunning)
        QVERIFY(holder_->waitForFinished(10000));
    holder_ = std::make_unique<QProcess>();
    holder_->start(QCoreApplication::applicationFilePath(),
                   {"hold", DatabasePath(), QString::number(milliseconds)});
    QVERIFY(holder_->waitForReadyRead(10000));
    QCOMPARE(holder_->readLine(), QByteArray("held\n"));
}

void TestStoreContention::Reopen() {
    CloseSettings();
    Session().SetBusyTimeout(DatabaseSession::kDefaultBusyTimeoutMs);
    QVERIFY(OpenSettings());
}

// A passing lock is not waited for on the UI thread: what it held up goes in on its own once
// the lock is gone, at the open as at a write.
void TestStoreContention::aPassingLockIsNotWaitedFor() {
    Hold(600);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot be read yet"));
    QVERIFY(!OpenSettings());
    QTRY_VERIFY_WITH_TIMEOUT(!GetRemindOnTime(), 5000);  // the stored value, once readable
    Hold(600);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^nRelaxMinute: database is locked"));
    SetRelaxMinute(25);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("drink was not logged yet"));
    QVERIFY(!AddDrink(300));
    QTRY_COMPARE_WITH_TIMEOUT(UnwrittenDrinks(), std::size_t(0), 5000);
    QCOMPARE(CountRows("select count(*) from DrinkWaterRecord where size = 300"), 1);
    Reopen();
    QCOMPARE(GetRelaxMinute(), 25);
}

void TestStoreContention::writesTheDatabaseRefusedLater_data() {
    QTest::addColumn<bool>("heldAtOpen");   // else held over the writes only
    QTest::addColumn<bool>("byNextWrite");  // else written when the settings close
    QTest::newRow("held at open, written by the next write") << true << true;
    QTest::newRow("held at open, written at close") << true << false;
    QTest::newRow("held over writes, written by the next write") << false << true;
    QTest::newRow("held over writes, written at close") << false << false;
}

// A lock longer than the busy timeout: the session stays open, the values stay in memory, and
// the database gets every one of them once the lock is gone.
void TestStoreContention::writesTheDatabaseRefusedLater() {
    QFETCH(bool, heldAtOpen);
    QFETCH(bool, byNextWrite);
    Session().SetBusyTimeout(50);
    if (heldAtOpen) {
        Hold(1500);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot be read yet: database is"));
        QVERIFY(!OpenSettings());
        QVERIFY(Session().IsOpen());
    } else {
        QVERIFY(OpenSettings());
        Hold(1500);
    }
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^nPercent: database is locked"));
    StorePercent(30);
    QCOMPARE(GetPercent(), 30);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("drink was not logged yet"));
    QVERIFY(!AddDrink(250));
    QCOMPARE(GetTodayTotal(), 250);
    QVERIFY(holder_->waitForFinished(10000));

    if (byNextWrite) SetCountDownSecond(45);
    Reopen();
    QCOMPARE(GetPercent(), 30);
    QCOMPARE(GetCountDownSecond(), byNextWrite ? 45 : 15);
    QVERIFY(!GetRemindOnTime());  // what was stored before is still there
    QCOMPARE(GetTodayTotal(), 250);
    QCOMPARE(CountRows("select count(*) from DrinkWaterRecord"), 1);
}

// A lock held past the exit: what the database did not take is kept beside it, enciphered, and
// the next start writes it in and lets the pending file go.
void TestStoreContention::keptPastTheExit() {
    QVERIFY(OpenSettings());
    const QString pending = DatabasePath() + ".pending";
    Hold(2500);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^nPercent: database is locked"));
    StorePercent(30);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("drink was not logged yet"));
    QVERIFY(!AddDrink(250));
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^closing with 1 setting.* and 1 drink.*kept for the "
                                            "next start"));
    CloseSettings();
    QFile kept(pending);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QVERIFY(!kept.readAll().contains("PendingDrink"));  // no plain page
    QVERIFY(holder_->waitForFinished(10000));
    QVERIFY(OpenSettings());
    QCOMPARE(GetPercent(), 30);
    QCOMPARE(CountRows("select count(*) from DrinkWaterRecord where size = 250"), 1);
    QVERIFY(!QFile::exists(pending));
}

// Two instances on two displays share one data folder: both log drinks at the same time.
void TestStoreContention::twoInstancesLogEveryDrink() {
    constexpr int kEach = 60;
    QProcess first, second;
    for (QProcess* p : {&first, &second})
        p->start(QCoreApplication::applicationFilePath(),
                 {"drinks", home_->path(), QString::number(kEach)});
    for (QProcess* p : {&first, &second}) {
        QVERIFY(p->waitForFinished(60000));
        QCOMPARE(p->exitCode(), 0);
    }
    QVERIFY(OpenSettings());
    QCOMPARE(CountRows("select count(*) from DrinkWaterRecord"), 2 * kEach);
    QCOMPARE(CountRows("select sum(size) from DrinkWaterRecord"), kEach * (kEach + 1));
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == "hold") return HoldExclusive(args[2], args[3].toInt());
    if (args.size() == 4 && args[1] == "drinks") return LogDrinks(args[2], args[3].toInt());
    TestStoreContention test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_store_contention.moc"
