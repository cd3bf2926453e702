// A writer killed at random moments must leave an enciphered file that opens, passes the
// integrity check and holds every row whose write had returned success.
#include <fcntl.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <set>

#include "data/database_session.h"

namespace {

const std::string kKey = "MeadowLantern";

// Runs in the forked child: writes until killed, reporting each committed id on `fd`.
[[noreturn]] void Writer(const std::string& path, int fd, unsigned seed) {
    DatabaseSession db;
    if (db.Open(path, kKey) != SQLITE_OK) _exit(2);
    ResultSet rows;
    if (db.QueryRows("select ifnull(max(id), 0) from t", rows) != SQLITE_OK) _exit(3);
    long long id = std::stoll(rows.NextRow()->front());
    QRandomGenerator random(seed);
    auto report = [fd](long long value) {
        if (write(fd, &value, sizeof value) != sizeof value) _exit(4);
    };
    for (int step = 0; step < 100000; ++step) {
        const int batch = random.bounded(3) == 0 ? int(random.bounded(2, 40)) : 1;
        const bool explicitTx = batch > 1;
        if (explicitTx && db.ExecStatement("BEGIN") != SQLITE_DONE) _exit(5);
        const long long first = id + 1;
        for (int i = 0; i < batch; ++i) {
            const std::string text =
                "SECRETROW-" + std::string(size_t(random.bounded(10, 3000)), char('a' + i % 26));
            if (db.ExecStatement("insert into t values(?, ?)", {++id, text}) != SQLITE_DONE)
                _exit(6);
        }
        db.ExecStatement("insert or replace into c values(?, ?)", {id % 50, id});
        if (random.bounded(10) == 0) db.ExecStatement("delete from c where k % 7 = 0");
        if (explicitTx && db.ExecStatement("COMMIT") != SQLITE_DONE) _exit(7);
        for (long long done = first; done <= id; ++done) report(done);
    }
    _exit(0);
}

}  // namespace

class TestCrashRecovery : public QObject {
    Q_OBJECT
  private slots:
    void killedWriterLosesNoCommittedRow();
};

void TestCrashRecovery::killedWriterLosesNoCommittedRow() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string path = dir.filePath("DataSet.db").toStdString();
    std::set<long long> committed;
    QRandomGenerator random(QRandomGenerator::global()->generate());
    int kills = 0, midTransaction = 0;
    {
        DatabaseSession db;
        QCOMPARE(db.Open(path, kKey), SQLITE_OK);
        QCOMPARE(db.ExecStatement("create table t (id INTEGER PRIMARY KEY, v TEXT)"), SQLITE_DONE);
        QCOMPARE(db.ExecStatement("create table c (k INTEGER PRIMARY KEY, n INTEGER)"),
                 SQLITE_DONE);
    }

    for (int cycle = 0; cycle < 60; ++cycle) {
        int fds[2];
        QVERIFY(pipe(fds) == 0);
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            close(fds[0]);
            Writer(path, fds[1], random.generate());
        }
        close(fds[1]);
        usleep(useconds_t(random.bounded(3000, 60000)));
        if (kill(child, SIGKILL) == 0) ++kills;
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY2(WIFSIGNALED(status) || WEXITSTATUS(status) == 0,
                 qPrintable(QString("writer failed with %1").arg(WEXITSTATUS(status))));
        long long value;
        while (read(fds[0], &value, sizeof value) == sizeof value) committed.insert(value);
        close(fds[0]);
        if (QFile::exists(QString::fromStdString(path) + "-journal")) ++midTransaction;

        DatabaseSession db;
        QCOMPARE(db.Open(path, kKey), SQLITE_OK);
        ResultSet rows;
        QCOMPARE(db.QueryRows("PRAGMA integrity_check", rows), SQLITE_OK);
        QCOMPARE(rows.NextRow()->front(), std::string("ok"));
        QCOMPARE(db.QueryRows("select id from t", rows), SQLITE_OK);
        std::set<long long> present;
        while (const ResultSet::Row* row = rows.NextRow()) present.insert(std::stoll(row->front()));
        for (long long id : committed)
            QVERIFY2(present.count(id), qPrintable(QString("row %1 was lost").arg(id)));
    }
    qInfo("%d kills, %d left a journal behind, %zu committed rows", kills, midTransaction,
          committed.size());
    QVERIFY(kills >= 50);
    QVERIFY2(committed.size() > 100, "the writer hardly wrote anything");
    QFile file(QString::fromStdString(path));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(!file.readAll().contains("SECRETROW"));
}

QTEST_APPLESS_MAIN(TestCrashRecovery)
#include "tst_crash_recovery.moc"
