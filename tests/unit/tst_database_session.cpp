// The database session and, through it, what the page cipher leaves on disk.
#include <sqlite3.h>

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include "data/database_session.h"
#include "data/page_cipher.h"

namespace {

const std::string kKey = "MeadowLantern";

PageCipher::Key KeyOf(const std::string& text) {
    const QString s = QString::fromStdString(text);
    return PageCipher::DeriveKey(
        QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2));
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray CodePages(QByteArray bytes, int pageSize, const std::string& key, bool encipher) {
    const PageCipher::Key k = KeyOf(key);
    for (qsizetype off = 0; off + pageSize <= bytes.size(); off += pageSize) {
        auto* page = reinterpret_cast<unsigned char*>(bytes.data() + off);
        encipher ? PageCipher::EncipherPage(page, size_t(pageSize), k)
                 : PageCipher::DecipherPage(page, size_t(pageSize), k);
    }
    return bytes;
}

std::string QueryOne(DatabaseSession& db, const std::string& sql) {
    ResultSet rows;
    if (db.QueryRows(sql, rows) != SQLITE_OK) return "<error>";
    const ResultSet::Row* row = rows.NextRow();
    return row && !row->empty() ? row->front() : "<none>";
}

// A table of `rows` rows whose texts spread over many pages.
void Fill(DatabaseSession& db, int rows) {
    QCOMPARE(db.ExecStatement("create table t (id INTEGER, v TEXT)"), SQLITE_DONE);
    QCOMPARE(db.ExecStatement("BEGIN"), SQLITE_DONE);
    for (int i = 0; i < rows; ++i) {
        const std::string text = "PLAINMARKER-" + std::string(size_t(20 + i % 300), 'a' + i % 26);
        QCOMPARE(db.ExecStatement("insert into t values(?, ?)", {i, text}), SQLITE_DONE);
    }
    QCOMPARE(db.ExecStatement("COMMIT"), SQLITE_DONE);
}

uint32_t Be32(const QByteArray& b, qsizetype off) {
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData() + off);
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

uint32_t Samples(const QByteArray& b, qsizetype off, int pageSize) {
    uint32_t sum = 0;
    for (int i = pageSize - 200; i > 0; i -= 200) sum += uint8_t(b[off + i]);
    return sum;
}

}  // namespace

class TestDatabaseSession : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void statementsAndQueries_data();
    void statementsAndQueries();
    void newFileIsEncipheredPageByPage();
    void badFilesFailAndStayUntouched_data();
    void badFilesFailAndStayUntouched();
    void existingFilesOfEveryPageSize_data();
    void existingFilesOfEveryPageSize();
    void pageSizeAndJournalModeCannotChange();
    void journalHoldsOnlyEncipheredImages();
    void hotJournalRollsBack();
    void damagedFilesNeverCrash();

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString Path(const QString& name = "test.db") const { return dir_->filePath(name); }
};

void TestDatabaseSession::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void TestDatabaseSession::statementsAndQueries_data() {
    QTest::addColumn<QString>("key");
    QTest::newRow("plain") << QString();
    QTest::newRow("enciphered") << QString::fromStdString(kKey);
}

void TestDatabaseSession::statementsAndQueries() {
    QFETCH(QString, key);
    DatabaseSession db;
    QCOMPARE(db.ExecStatement("select 1"), SQLITE_MISUSE);  // not open yet
    QCOMPARE(db.Open(Path().toStdString(), key.toStdString()), SQLITE_OK);
    QVERIFY(QFile::exists(Path()));
    QCOMPARE(db.ExecStatement("create table t (a INTEGER, b TEXT)"), SQLITE_DONE);
    QCOMPARE(db.ExecStatement("insert into t values(1, 'one')"), SQLITE_DONE);
    QCOMPARE(db.ExecStatement("insert into t values(?, ?)", {2LL, std::string("it's")}),
             SQLITE_DONE);
    QCOMPARE(db.ExecStatement("insert into t values(3, NULL)"), SQLITE_DONE);
    // A query that yields a row steps to SQLITE_ROW and is still finalized: the table can be
    // dropped right after, which a live statement would prevent.
    QCOMPARE(db.ExecStatement("select * from t"), SQLITE_ROW);
    QVERIFY(db.ExecStatement("selec nonsense") != SQLITE_DONE);
    QVERIFY(db.ExecStatement("insert into t values(?)", {1LL, 2LL}) != SQLITE_DONE);

    ResultSet rows;
    QCOMPARE(db.QueryRows("select a, b from t order by a", rows), SQLITE_OK);
    QCOMPARE(rows.RowCount(), size_t(3));
    QCOMPARE(*rows.NextRow(), (ResultSet::Row{"1", "one"}));
    QCOMPARE(db.QueryRows("select b from t where a = ?", rows, {2LL}), SQLITE_OK);
    QCOMPARE(*rows.NextRow(), ResultSet::Row{"it's"});
    QVERIFY(rows.NextRow() == nullptr);
    // The cursor starts over with every query, even after a half-read result.
    QCOMPARE(db.QueryRows("select a, b from t order by a", rows), SQLITE_OK);
    rows.NextRow();
    QCOMPARE(db.QueryRows("select a, b from t order by a desc", rows), SQLITE_OK);
    QCOMPARE(*rows.NextRow(), (ResultSet::Row{"3", ""}));
    QCOMPARE(db.QueryRows("select * from t where a > 100", rows), SQLITE_OK);
    QCOMPARE(rows.RowCount(), size_t(0));
    QVERIFY(rows.NextRow() == nullptr);
    QVERIFY(db.QueryRows("select * from missing", rows) != SQLITE_OK);
    QCOMPARE(db.ExecStatement("drop table t"), SQLITE_DONE);

    db.Close();
    QVERIFY(!db.IsOpen());
    const QByteArray head = ReadAll(Path()).left(16);
    QCOMPARE(head == QByteArray("SQLite format 3\0", 16), key.isEmpty());
}

void TestDatabaseSession::newFileIsEncipheredPageByPage() {
    {
        DatabaseSession db;
        QCOMPARE(db.Open(Path().toStdString(), kKey), SQLITE_OK);
        Fill(db, 400);
        QCOMPARE(QueryOne(db, "PRAGMA page_size"), std::string("1024"));
        QCOMPARE(QueryOne(db, "PRAGMA journal_mode"), std::string("delete"));
    }
    const QByteArray disk = ReadAll(Path());
    QVERIFY(disk.size() > 20 * 1024);
    QCOMPARE(disk.size() % 1024, 0);
    QVERIFY(!disk.contains("PLAINMARKER"));
    QVERIFY(!disk.contains("SQLite format 3"));
    QVERIFY(!disk.contains("create table t"));

    // Deciphering each 1024-byte page with the key gives a sound plain database.
    const QString plainPath = Path("plain.db");
    WriteAll(plainPath, CodePages(disk, 1024, kKey, false));
    DatabaseSession plain;
    QCOMPARE(plain.Open(plainPath.toStdString(), ""), SQLITE_OK);
    QCOMPARE(QueryOne(plain, "PRAGMA integrity_check"), std::string("ok"));
    QCOMPARE(QueryOne(plain, "select count(*) from t"), std::string("400"));

    DatabaseSession again;
    QCOMPARE(again.Open(Path().toStdString(), kKey), SQLITE_OK);
    QCOMPARE(QueryOne(again, "select sum(id) from t"), std::string("79800"));
}

void TestDatabaseSession::badFilesFailAndStayUntouched_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("openKey");
    QTest::addColumn<QString>("statement");
    const QString key = QString::fromStdString(kKey);
    for (const char* statement :
         {"select count(*) from t", "insert into t values(1, 'x')", "create table z (a)"}) {
        for (const char* kind :
             {"wrong key", "plain database", "random bytes", "truncated mid-page",
              "truncated to whole pages", "truncated below one page"})
            QTest::addRow("%s / %s", kind, statement) << kind << key << statement;
        QTest::addRow("no key / %s", statement) << "no key" << QString() << statement;
    }
}

void TestDatabaseSession::badFilesFailAndStayUntouched() {
    QFETCH(QString, kind);
    QFETCH(QString, openKey);
    QFETCH(QString, statement);
    {
        DatabaseSession maker;
        const bool plain = kind == "plain database";
        QCOMPARE(maker.Open(Path().toStdString(), kind == "wrong key" ? "Meadowlantern"
                                                  : plain             ? ""
                                                                      : kKey),
                 SQLITE_OK);
        Fill(maker, 300);
    }
    QByteArray bytes = ReadAll(Path());
    if (kind == "random bytes") {
        for (auto& b : bytes) b = char(QRandomGenerator::global()->generate());
    } else if (kind == "truncated mid-page") {
        bytes.truncate(bytes.size() / 2 + 300);
    } else if (kind == "truncated to whole pages") {
        bytes.truncate(bytes.size() / 2048 * 1024);
    } else if (kind == "truncated below one page") {
        bytes.truncate(700);
    }
    WriteAll(Path(), bytes);

    DatabaseSession db;
    QCOMPARE(db.Open(Path().toStdString(), openKey.toStdString()), SQLITE_OK);
    const int rc = db.ExecStatement(statement.toStdString());
    QVERIFY2(rc != SQLITE_DONE && rc != SQLITE_ROW, qPrintable(QString::number(rc)));
    ResultSet rows;
    QVERIFY(db.QueryRows("select * from sqlite_master", rows) != SQLITE_OK ||
            kind.startsWith("truncated"));
    db.Close();
    QCOMPARE(ReadAll(Path()), bytes);
    QVERIFY(!QFile::exists(Path() + "-journal"));
}

void TestDatabaseSession::existingFilesOfEveryPageSize_data() {
    QTest::addColumn<int>("pageSize");
    for (int ps = 512; ps <= 65536; ps *= 2) QTest::addRow("%d", ps) << ps;
}

void TestDatabaseSession::existingFilesOfEveryPageSize() {
    QFETCH(int, pageSize);
    {
        // Made plain at that size, then enciphered page by page as another writer would have.
        DatabaseSession plain;
        QCOMPARE(plain.Open(Path().toStdString(), ""), SQLITE_OK);
        QCOMPARE(plain.ExecStatement("PRAGMA page_size=" + std::to_string(pageSize)), SQLITE_DONE);
        Fill(plain, 300);
        QCOMPARE(QueryOne(plain, "PRAGMA page_size"), std::to_string(pageSize));
    }
    WriteAll(Path(), CodePages(ReadAll(Path()), pageSize, kKey, true));
    {
        DatabaseSession db;
        QCOMPARE(db.Open(Path().toStdString(), kKey), SQLITE_OK);
        QCOMPARE(QueryOne(db, "select count(*) from t"), std::string("300"));
        QCOMPARE(QueryOne(db, "PRAGMA page_size"), std::to_string(pageSize));
        QCOMPARE(db.ExecStatement("BEGIN"), SQLITE_DONE);
        for (int i = 0; i < 200; ++i)
            QCOMPARE(db.ExecStatement("insert into t values(?, ?)",
                                      {1000LL + i, std::string(size_t(200 + i), 'q')}),
                     SQLITE_DONE);
        QCOMPARE(db.ExecStatement("COMMIT"), SQLITE_DONE);
        QCOMPARE(db.ExecStatement("update t set v = v || 'tail' where id % 3 = 0"), SQLITE_DONE);
    }
    const QByteArray disk = ReadAll(Path());
    QCOMPARE(disk.size() % pageSize, 0);
    QVERIFY(!disk.contains("PLAINMARKER"));
    WriteAll(Path("plain.db"), CodePages(disk, pageSize, kKey, false));
    DatabaseSession check;
    QCOMPARE(check.Open(Path("plain.db").toStdString(), ""), SQLITE_OK);
    QCOMPARE(QueryOne(check, "PRAGMA integrity_check"), std::string("ok"));
    QCOMPARE(QueryOne(check, "select count(*) from t"), std::string("500"));
}

void TestDatabaseSession::pageSizeAndJournalModeCannotChange() {
    DatabaseSession db;
    QCOMPARE(db.Open(Path().toStdString(), kKey), SQLITE_OK);
    Fill(db, 200);
    QCOMPARE(db.ExecStatement("PRAGMA page_size=1024"), SQLITE_DONE);  // its own size is fine
    QCOMPARE(db.ExecStatement("PRAGMA page_size=4096"), SQLITE_ERROR);
    QCOMPARE(db.ExecStatement("VACUUM"), SQLITE_DONE);
    QCOMPARE(QueryOne(db, "PRAGMA page_size"), std::string("1024"));
    QVERIFY(db.ExecStatement("PRAGMA journal_mode=WAL") != SQLITE_ROW ||
            QueryOne(db, "PRAGMA journal_mode") == "delete");
    QCOMPARE(QueryOne(db, "PRAGMA journal_mode"), std::string("delete"));
    QCOMPARE(db.ExecStatement("insert into t values(9999, 'after')"), SQLITE_DONE);
    db.Close();

    QVERIFY(!QFile::exists(Path() + "-wal"));
    QCOMPARE(db.Open(Path().toStdString(), kKey), SQLITE_OK);
    QCOMPARE(QueryOne(db, "PRAGMA integrity_check"), std::string("ok"));
    QCOMPARE(QueryOne(db, "select count(*) from t"), std::string("201"));
}

void TestDatabaseSession::journalHoldsOnlyEncipheredImages() {
    DatabaseSession db;
    QCOMPARE(db.Open(Path().toStdString(), kKey), SQLITE_OK);
    Fill(db, 300);
    const QByteArray before = CodePages(ReadAll(Path()), 1024, kKey, false);

    QCOMPARE(db.ExecStatement("BEGIN"), SQLITE_DONE);
    QCOMPARE(db.ExecStatement("update t set v = v || 'changed'"), SQLITE_DONE);
    const QByteArray journal = ReadAll(Path() + "-journal");
    QCOMPARE(db.ExecStatement("ROLLBACK"), SQLITE_DONE);

    // The header stays plain: the magic (zero until the journal is first synced), then the
    // fields SQLite and older readers parse.
    const QByteArray magic("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7", 8);
    QVERIFY(journal.left(8) == magic || journal.left(8) == QByteArray(8, '\0'));
    const uint32_t cksumInit = Be32(journal, 12);
    const uint32_t sector = Be32(journal, 20);
    QCOMPARE(Be32(journal, 24), 1024u);
    QVERIFY(sector >= 512 && sector <= 65536);
    QVERIFY(!journal.contains("PLAINMARKER"));

    const int ps = 1024;
    int records = 0;
    for (qsizetype off = sector; off + 8 + ps <= journal.size(); off += 8 + ps) {
        const uint32_t pgno = Be32(journal, off);
        QVERIFY2(pgno >= 1 && qsizetype(pgno) * ps <= before.size(),
                 qPrintable(QString::number(pgno)));
        const QByteArray image = journal.mid(off + 4, ps);
        const QByteArray plainPage = before.mid(qsizetype(pgno - 1) * ps, ps);
        QVERIFY(image != plainPage);
        QCOMPARE(CodePages(image, ps, kKey, false), plainPage);
        // The record checksum covers the enciphered image, as stored journals always had it.
        QCOMPARE(Be32(journal, off + 4 + ps), cksumInit + Samples(journal, off + 4, ps));
        ++records;
    }
    QVERIFY2(records >= 10, qPrintable(QString::number(records)));
}

void TestDatabaseSession::hotJournalRollsBack() {
    DatabaseSession db;
    QCOMPARE(db.Open(Path().toStdString(), kKey), SQLITE_OK);
    Fill(db, 300);
    const QByteArray committed = ReadAll(Path());
    const std::string sum = QueryOne(db, "select sum(length(v)) from t");

    // A tiny cache makes the transaction spill changed pages into the file before it commits:
    // copying the pair then is what a crash at that moment leaves behind.
    QCOMPARE(db.ExecStatement("PRAGMA cache_size=2"), SQLITE_DONE);
    QCOMPARE(db.ExecStatement("BEGIN"), SQLITE_DONE);
    QCOMPARE(db.ExecStatement("update t set v = v || 'changed' where id % 2 = 0"), SQLITE_DONE);
    QCOMPARE(db.ExecStatement("insert into t select id + 1000, v from t"), SQLITE_DONE);
    const QByteArray crashedDb = ReadAll(Path());
    const QByteArray crashedJournal = ReadAll(Path() + "-journal");
    QCOMPARE(db.ExecStatement("ROLLBACK"), SQLITE_DONE);
    db.Close();
    QVERIFY2(crashedDb != committed,
             "the transaction did not reach the file; nothing to roll back");
    QVERIFY(crashedJournal.size() > 4096);

    const QString copy = Path("crashed.db");
    WriteAll(copy, crashedDb);
    WriteAll(copy + "-journal", crashedJournal);
    DatabaseSession reopened;
    QCOMPARE(reopened.Open(copy.toStdString(), kKey), SQLITE_OK);
    QCOMPARE(QueryOne(reopened, "select count(*) from t"), std::string("300"));
    QCOMPARE(QueryOne(reopened, "select sum(length(v)) from t"), sum);
    QCOMPARE(QueryOne(reopened, "PRAGMA integrity_check"), std::string("ok"));
    reopened.Close();
    QVERIFY(!QFile::exists(copy + "-journal"));
    QCOMPARE(ReadAll(copy), committed);
}

void TestDatabaseSession::damagedFilesNeverCrash() {
    {
        DatabaseSession maker;
        QCOMPARE(maker.Open(Path().toStdString(), kKey), SQLITE_OK);
        Fill(maker, 300);
    }
    const QByteArray good = ReadAll(Path());
    QRandomGenerator random(QRandomGenerator::global()->generate());
    int refused = 0;
    for (int round = 0; round < 150; ++round) {
        QByteArray bytes = good;
        switch (round % 3) {
            case 0:  // a few stray bytes anywhere, page 1 included
                for (int i = 0, n = int(random.bounded(1, 16)); i < n; ++i)
                    bytes[random.bounded(bytes.size())] = char(random.generate());
                break;
            case 1: {  // one whole page of noise
                const qsizetype page = random.bounded(bytes.size() / 1024) * 1024;
                for (qsizetype i = 0; i < 1024; ++i) bytes[page + i] = char(random.generate());
                break;
            }
            default:  // cut anywhere
                bytes.truncate(random.bounded(bytes.size()));
        }
        WriteAll(Path(), bytes);
        DatabaseSession db;
        QCOMPARE(db.Open(Path().toStdString(), kKey), SQLITE_OK);
        const int first = db.ExecStatement("select count(*) from t");
        // Whatever the damage, each statement returns; none may crash or hang.
        ResultSet rows;
        db.QueryRows("PRAGMA integrity_check", rows);
        db.QueryRows("select sum(length(v)) from t", rows);
        db.ExecStatement("insert into t values(-1, 'new')");
        db.Close();
        if (first == SQLITE_NOTADB) {
            ++refused;
            QCOMPARE(ReadAll(Path()), bytes);  // a file it cannot read is never written
        }
    }
    QVERIFY(refused > 0);
}

QTEST_APPLESS_MAIN(TestDatabaseSession)
#include "tst_database_session.moc"
