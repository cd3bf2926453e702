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

// Every entry under `root`, relative and sorted, folders marked with a trailing '/'.
QStringList TreeOf(const QString& root) {
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        entries << QDir(root).relativeFilePath(path) + (QFileInfo(path).isDir() ? "/" : "");
    }
    entries.sort();
    return entries;
}

}  // namespace

class TestDataFolder : public QObject {
    Q_OBJECT

  private slots:
    void dataFolder_data();
    void dataFolder();
    void createChain_data();
    void createChain();
};

void TestDataFolder::dataFolder_data() {
    QTest::addColumn<QByteArray>("xdg");    // null: unset
    QTest::addColumn<QString>("expected");  // "~" stands for HOME

    QTest::newRow("absolute") << QByteArray("/srv/data/") << "/srv/data/VitaCompanion";
    QTest::newRow("unset") << QByteArray() << "~/.local/share/VitaCompanion";
    QTest::newRow("empty") << QByteArray("") << "~/.local/share/VitaCompanion";
    QTest::newRow("relative") << QByteArray("rel/data") << "~/.local/share/VitaCompanion";
}

void TestDataFolder::dataFolder() {
    QFETCH(QByteArray, xdg);
    QFETCH(QString, expected);
    qputenv("HOME", "/home/someone");
    // Read afresh on every call: the value before must not stick.
    qputenv("XDG_DATA_HOME", "/elsewhere");
    QCOMPARE(DataFolder::GetDataFolder(), QString("/elsewhere/VitaCompanion"));
    if (xdg.isNull()) {
        qunsetenv("XDG_DATA_HOME");
    } else {
        qputenv("XDG_DATA_HOME", xdg);
    }
    QCOMPARE(DataFolder::GetDataFolder(), expected.replace('~', "/home/someone"));
}

void TestDataFolder::createChain_data() {
    // Made before the call under a fresh folder: "x/" a folder (read-only when "ro/"), "x" a
    // file, "x@y" a link to y.
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("target");  // relative to that folder; "" is the empty path
    QTest::addColumn<bool>("expected");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("partial chain")
        << QStringList{"a/"} << "a/b/c" << true << QStringList{"a/", "a/b/", "a/b/c/"};
    QTest::newRow("doubled and trailing slashes")
        << QStringList{} << "a//b/" << true << QStringList{"a/", "a/b/"};
    QTest::newRow("existing") << QStringList{"a/", "a/b/"} << "a/b" << true
                              << QStringList{"a/", "a/b/"};
    QTest::newRow("empty path") << QStringList{"a/"} << "" << false << QStringList{"a/"};
    QTest::newRow("names a file") << QStringList{"f"} << "f" << false << QStringList{"f"};
    QTest::newRow("file, trailing slash") << QStringList{"f"} << "f/" << false << QStringList{"f"};
    QTest::newRow("through a file") << QStringList{"f"} << "f/x/y" << false << QStringList{"f"};
    QTest::newRow("unwritable parent")
        << QStringList{"ro/"} << "ro/a/b" << false << QStringList{"ro/"};
    QTest::newRow("level cannot be made")
        << QStringList{"a/"} << "a/" + QString(300, 'n') + "/c" << false << QStringList{"a/"};
    QTest::newRow("through a link") << QStringList{"real/", "link@real"} << "link/new" << true
                                    << QStringList{"link/", "real/", "real/new/"};
    QTest::newRow("dangling link")
        << QStringList{"link@nowhere"} << "link/x" << false << QStringList{"link"};
}

void TestDataFolder::createChain() {
    QFETCH(QStringList, before);
    QFETCH(QString, target);
    QFETCH(bool, expected);
    QFETCH(QStringList, after);

    QTemporaryDir temp;
    const QString root = temp.path() + '/';
    for (const QString& entry : before) {
        if (entry.contains('@')) {
            QVERIFY(QFile::link(root + entry.section('@', 1), root + entry.section('@', 0, 0)));
        } else if (entry.endsWith('/')) {
            QVERIFY(QDir().mkpath(root + entry));
            if (entry == "ro/" && ::geteuid() == 0) QSKIP("root ignores folder permissions");
            if (entry == "ro/")
                QCOMPARE(::chmod(QFile::encodeName(root + entry).constData(), 0500), 0);
        } else {
            QFile file(root + entry);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }
    QCOMPARE(DataFolder::CreateFolderChain(target.isEmpty() ? QString() : root + target), expected);
    QCOMPARE(TreeOf(root), after);
}

QTEST_GUILESS_MAIN(TestDataFolder)
#include "tst_data_folder.moc"
