#include <memory>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "system/process_launch.h"

using ProcessLaunch::RunProcess;
using ProcessLaunch::RunRequest;
using ProcessLaunch::RunResult;

namespace {

// Read in main before the QCoreApplication exists: the path must not depend on it.
QString g_pathBeforeApp;

// What `out` holds before a call; a failed call must leave it so.
constexpr RunResult kUntouched{-7, -9};

// Writes its process id, its real current folder and its arguments after the first (where to
// write), each ended by a NUL; the move makes the record appear whole.
constexpr const char* kRecorder = R"sh(out=$1
shift
printf '%s\0' "$$" "$(pwd -P)" "$@" >"$out.tmp" && mv "$out.tmp" "$out"
)sh";

QString WriteScript(const QString& path, const QByteArray& body) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("#!/bin/sh\n" + body) < 0) return {};
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

}  // namespace

class TestProcessLaunch : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void started_data();
    void started();
    void howItEnded_data();
    void howItEnded();
    void leftRunningAtLimit();
    void programPath();
    void installedPath_data();
    void installedPath();

  private:
    std::unique_ptr<QTemporaryDir> temp_;
    QString savedCurrent_;
};

void TestProcessLaunch::init() {
    temp_ = std::make_unique<QTemporaryDir>();
    QVERIFY(temp_->isValid());
    savedCurrent_ = QDir::currentPath();
}

void TestProcessLaunch::cleanup() {
    QDir::setCurrent(savedCurrent_);
    temp_.reset();
}

void TestProcessLaunch::started_data() {
    QTest::addColumn<bool>("wait");
    QTest::addColumn<bool>("folderGiven");  // else the current folder is inherited
    QTest::addColumn<QStringList>("arguments");

    const QStringList odd = {"a b",         "",    "'q' \"d\"", "$HOME `id` *;|&", "%f",
                             "line\nbreak", "悦息"};
    QTest::newRow("detached, current folder, no arguments") << false << false << QStringList();
    QTest::newRow("detached, given folder, odd arguments") << false << true << odd;
    QTest::newRow("waited, current folder, odd arguments") << true << false << odd;
    QTest::newRow("waited, given folder, no arguments") << true << true << QStringList();
}

void TestProcessLaunch::started() {
    QFETCH(bool, wait);
    QFETCH(bool, folderGiven);
    QFETCH(QStringList, arguments);

    const QString current = temp_->path() + "/current 当前";
    const QString given = temp_->path() + "/work 'it' \"here\"";
    QVERIFY(QDir().mkpath(current) && QDir().mkpath(given));
    QVERIFY(QDir::setCurrent(current));

    const QString record = temp_->path() + "/record";
    RunRequest request;
    request.program = WriteScript(temp_->path() + "/recorder", kRecorder);
    request.arguments = QStringList{record} + arguments;
    if (folderGiven) request.workingFolder = given;
    request.wait = wait;
    RunResult out = kUntouched;
    QVERIFY(RunProcess(request, &out));
    // A detached program writes in its own time.
    QVERIFY(QTest::qWaitFor([&] { return QFile::exists(record); }));

    QFile file(record);
    QVERIFY(file.open(QIODevice::ReadOnly));
    // The id handed back is the program's own, not that of some helper in between.
    const QString folder = QFileInfo(folderGiven ? given : current).canonicalFilePath();
    const QStringList expected =
        QStringList{QString::number(out.processId), folder} + arguments + QStringList{""};
    QCOMPARE(QString::fromUtf8(file.readAll()).split(QChar(0)), expected);
    QCOMPARE(out.exitCode, wait ? 0 : kUntouched.exitCode);
}

void TestProcessLaunch::howItEnded_data() {
    QTest::addColumn<QByteArray>("body");  // of the program; null: there is none
    QTest::addColumn<bool>("wait");
    QTest::addColumn<bool>("expected");
    QTest::addColumn<int>("exitCode");  // when expected

    QTest::newRow("detached, missing") << QByteArray() << false << false << 0;
    QTest::newRow("waited, missing") << QByteArray() << true << false << 0;
    QTest::newRow("exit 3") << QByteArray("exit 3\n") << true << true << 3;
    QTest::newRow("killed: ended, as a shell reports it")
        << QByteArray("kill -KILL $$\nsleep 5\n") << true << true << 128 + 9;
    QTest::newRow("terminated") << QByteArray("kill -TERM $$\nsleep 5\n") << true << true
                                << 128 + 15;
}

void TestProcessLaunch::howItEnded() {
    QFETCH(QByteArray, body);
    QFETCH(bool, wait);
    QFETCH(bool, expected);
    QFETCH(int, exitCode);

    RunRequest request;
    request.program = temp_->path() + "/ends";
    if (!body.isNull()) QVERIFY(!WriteScript(request.program, body).isEmpty());
    request.wait = wait;
    request.waitMilliseconds = 30000;
    RunResult out = kUntouched;
    QCOMPARE(RunProcess(request, &out), expected);
    QVERIFY(expected ? out.processId > 0 : out.processId == kUntouched.processId);
    QCOMPARE(out.exitCode, expected ? exitCode : kUntouched.exitCode);
}

void TestProcessLaunch::leftRunningAtLimit() {
    const QString marker = temp_->path() + "/marker";
    RunRequest request;
    request.program = WriteScript(temp_->path() + "/slow", "sleep 3\n: >\"$1\"\n");
    request.arguments = {marker};
    request.wait = true;
    request.waitMilliseconds = 300;
    RunResult out = kUntouched;

    QElapsedTimer timer;
    timer.start();
    QVERIFY(!RunProcess(request, &out));
    // The limit is what ended the wait, not the program (3 s away).
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(out.processId, kUntouched.processId);
    QCOMPARE(out.exitCode, kUntouched.exitCode);

    // Still running: it finishes its sleep and leaves the marker. Killed, it never would.
    QVERIFY(!QFile::exists(marker));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 15000);
}

void TestProcessLaunch::programPath() {
    const QString expected = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    QCOMPARE(ProcessLaunch::GetProgramPath(), expected);
    QCOMPARE(g_pathBeforeApp, expected);
    QCOMPARE(ProcessLaunch::GetProgramFolder(), QFileInfo(expected).absolutePath());
}

void TestProcessLaunch::installedPath_data() {
    QTest::addColumn<QString>("target");  // what the link reads; "@" stands for a real folder
    QTest::addColumn<QString>("expected");
    QTest::newRow("as installed") << "@/vita-companion"
                                  << "@/vita-companion";
    QTest::newRow("replaced by an upgrade") << "@/vita-companion (deleted)"
                                            << "@/vita-companion";
    QTest::newRow("a file really named so") << "@/named (deleted)"
                                            << "@/named (deleted)";
    QTest::newRow("the mark only at the end") << "@/a (deleted)/b"
                                              << "@/a (deleted)/b";
}

void TestProcessLaunch::installedPath() {
    QFETCH(QString, target);
    QFETCH(QString, expected);
    QVERIFY(WriteScript(temp_->path() + "/named (deleted)", "true\n").size() > 0);
    QCOMPARE(ProcessLaunch::InstalledPath(target.replace('@', temp_->path())),
             expected.replace('@', temp_->path()));
}

int main(int argc, char** argv) {
    g_pathBeforeApp = ProcessLaunch::GetProgramPath();
    QCoreApplication app(argc, argv);
    TestProcessLaunch test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_process_launch.moc"
