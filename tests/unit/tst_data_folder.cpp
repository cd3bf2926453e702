#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "data/data_folder.h"

namespace {

// Every entry under `root`, relative to it, sorted: what a call did to the tree.
QStringList TreeOf(const QString& root) {
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) entries << QDir(root).relativeFilePath(it.next());
    entries.sort();
    return entries;
}

void MakeFile(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write("x"), 1);
}

}  // namespace

class TestDataFolder : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void dataFolderFollowsEnvironment_data();
    void dataFolderFollowsEnvironment();

    void createChain_data();
    void createChain();
    void existingFolderIsLeftAlone();
    void unwritableParentFails();

  private:
    QByteArray savedXdg_;
    bool hadXdg_ = false;
    QByteArray savedHome_;
    std::unique_ptr<QTemporaryDir> temp_;
};

void TestDataFolder::initTestCase() {
    hadXdg_ = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    savedXdg_ = qgetenv("XDG_DATA_HOME");
    savedHome_ = qgetenv("HOME");
}

void TestDataFolder::init() {
    temp_ = std::make_unique<QTemporaryDir>();
    QVERIFY(temp_->isValid());
}

void TestDataFolder::cleanup() {
    if (hadXdg_) {
        qputenv("XDG_DATA_HOME", savedXdg_);
    } else {
        qunsetenv("XDG_DATA_HOME");
    }
    qputenv("HOME", savedHome_);
    // Leave everything writable again so the temporary folder can be removed.
    if (temp_) {
        QDirIterator it(temp_->path(), QDir::Dirs | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) ::chmod(QFile::encodeName(it.next()).constData(), 0700);
    }
    temp_.reset();
}

void TestDataFolder::dataFolderFollowsEnvironment_data() {
    QTest::addColumn<bool>("setXdg");
    QTest::addColumn<QString>("xdg");
    QTest::addColumn<QString>("expected");  // "~" stands for the test's HOME

    QTest::newRow("absolute") << true << "/srv/data"
                              << "/srv/data/VitaCompanion";
    QTest::newRow("trailing slash") << true << "/srv/data/"
                                    << "/srv/data/VitaCompanion";
    QTest::newRow("unset") << false << ""
                           << "~/.local/share/VitaCompanion";
    QTest::newRow("empty") << true << ""
                           << "~/.local/share/VitaCompanion";
    QTest::newRow("relative") << true << "rel/data"
                              << "~/.local/share/VitaCompanion";
    QTest::newRow("dot relative") << true << "./data"
                                  << "~/.local/share/VitaCompanion";
}

void TestDataFolder::dataFolderFollowsEnvironment() {
    QFETCH(bool, setXdg);
    QFETCH(QString, xdg);
    QFETCH(QString, expected);

    const QString home = temp_->path() + "/home";
    qputenv("HOME", QFile::encodeName(home));
    // Start from a different value to prove the folder is read afresh on each call.
    qputenv("XDG_DATA_HOME", "/elsewhere");
    QCOMPARE(DataFolder::GetDataFolder(), QString("/elsewhere/VitaCompanion"));

    if (setXdg) {
        qputenv("XDG_DATA_HOME", xdg.toLocal8Bit());
    } else {
        qunsetenv("XDG_DATA_HOME");
    }
    expected.replace('~', home);
    QCOMPARE(DataFolder::GetDataFolder(), expected);
}

void TestDataFolder::createChain_data() {
    QTest::addColumn<QStringList>("folders");  // made before the call, relative to the temp root
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("target");  // relative; "" means the empty path itself
    QTest::addColumn<bool>("expected");
    QTest::addColumn<QStringList>("treeAfter");  // the whole tree afterwards

    QTest::newRow("makes the missing levels")
        << QStringList{"a"} << QStringList{} << "a/b/c" << true << QStringList{"a", "a/b", "a/b/c"};
    QTest::newRow("nothing exists yet")
        << QStringList{} << QStringList{} << "x/y/z" << true << QStringList{"x", "x/y", "x/y/z"};
    QTest::newRow("trailing slashes")
        << QStringList{} << QStringList{} << "a/b//" << true << QStringList{"a", "a/b"};
    QTest::newRow("doubled slash inside")
        << QStringList{"a"} << QStringList{} << "a//b" << true << QStringList{"a", "a/b"};
    QTest::newRow("dot segments") << QStringList{"a"} << QStringList{} << "a/./b/../c" << true
                                  << QStringList{"a", "a/b", "a/c"};
    QTest::newRow("names a file") << QStringList{"a"} << QStringList{"a/f"} << "a/f" << false
                                  << QStringList{"a", "a/f"};
    QTest::newRow("runs through a file")
        << QStringList{} << QStringList{"f"} << "f/x/y" << false << QStringList{"f"};
    QTest::newRow("file at the last level")
        << QStringList{} << QStringList{"a-file"} << "a-file/" << false << QStringList{"a-file"};
    QTest::newRow("name too long") << QStringList{"a"} << QStringList{}
                                   << "a/" + QString(300, 'n') + "/c" << false << QStringList{"a"};
}

void TestDataFolder::createChain() {
    QFETCH(QStringList, folders);
    QFETCH(QStringList, files);
    QFETCH(QString, target);
    QFETCH(bool, expected);
    QFETCH(QStringList, treeAfter);

    const QString root = temp_->path();
    for (const QString& folder : folders) QVERIFY(QDir(root).mkpath(folder));
    for (const QString& file : files) MakeFile(root + '/' + file);

    QCOMPARE(DataFolder::CreateFolderChain(root + '/' + target), expected);
    QCOMPARE(TreeOf(root), treeAfter);
    for (const QString& entry : treeAfter) {
        QCOMPARE(QFileInfo(root + '/' + entry).isDir(), !files.contains(entry));
    }
}

void TestDataFolder::existingFolderIsLeftAlone() {
    const QString root = temp_->path();
    QVERIFY(QDir(root).mkpath("a/b"));
    QVERIFY(QDir(root).mkpath("real"));
    QVERIFY(QFile::link(root + "/real", root + "/link"));
    QVERIFY(QFile::link(root + "/nowhere", root + "/dangling"));
    const QStringList before = TreeOf(root);

    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(root + "/a").constData(), &st), 0);
    const auto mtimeBefore = st.st_mtim;

    QVERIFY(DataFolder::CreateFolderChain(root + "/a/b"));
    QVERIFY(DataFolder::CreateFolderChain(root + "/a/b/"));
    QVERIFY(DataFolder::CreateFolderChain(root));
    QVERIFY(DataFolder::CreateFolderChain("/"));
    QVERIFY(DataFolder::CreateFolderChain(root + "/link"));  // a link to a folder is a folder
    QVERIFY(!DataFolder::CreateFolderChain(root + "/dangling/x"));
    QVERIFY(!DataFolder::CreateFolderChain(QString()));
    QCOMPARE(TreeOf(root), before);

    QCOMPARE(::stat(QFile::encodeName(root + "/a").constData(), &st), 0);
    QCOMPARE(st.st_mtim.tv_sec, mtimeBefore.tv_sec);
    QCOMPARE(st.st_mtim.tv_nsec, mtimeBefore.tv_nsec);

    // Through a link, new levels land in the folder it points at.
    QVERIFY(DataFolder::CreateFolderChain(root + "/link/new"));
    QVERIFY(QFileInfo(root + "/real/new").isDir());
}

void TestDataFolder::unwritableParentFails() {
    if (::geteuid() == 0) QSKIP("root ignores folder permissions");
    const QString root = temp_->path();
    QVERIFY(QDir(root).mkpath("locked"));
    QCOMPARE(::chmod(QFile::encodeName(root + "/locked").constData(), 0500), 0);

    QVERIFY(!DataFolder::CreateFolderChain(root + "/locked/a/b"));
    QVERIFY(!QFileInfo::exists(root + "/locked/a"));
}

QTEST_GUILESS_MAIN(TestDataFolder)
#include "tst_data_folder.moc"
