#include <cstdio>
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

constexpr qint64 kSentinelPid = -7;
constexpr int kSentinelExitCode = -9;

// Writes its process id, its real current folder, its argument count and every argument after
// the first (the first is where to write), NUL-separated, and moves the record into place
// whole so a waiting reader never sees half of it.
constexpr const char* kRecorder = R"sh(out=$1
shift
{ printf '%s\0' "$$" "$(pwd -P)" "$#"; for a in "$@"; do printf '%s\0' "$a"; done; } >"$out.tmp"
mv "$out.tmp" "$out"
)sh";

struct Record {
    qint64 pid = 0;
    QString folder;
    QStringList arguments;
};

QString WriteScript(const QString& folder, const QString& name, const QByteArray& body) {
    const QString path = folder + '/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

Record ReadRecord(const QString& path) {
    QFile file(path);
    Record record;
    if (!file.open(QIODevice::ReadOnly)) return record;
    QList<QByteArray> fields = file.readAll().split('\0');
    if (fields.size() < 4) return record;
    fields.removeLast();  // after the final NUL
    record.pid = fields.takeFirst().toLongLong();
    record.folder = QFile::decodeName(fields.takeFirst());
    const int count = fields.takeFirst().toInt();
    for (const QByteArray& field : fields) record.arguments << QFile::decodeName(field);
    if (count != record.arguments.size()) record.arguments << "<count mismatch>";
    return record;
}

QString Canonical(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

}  // namespace

class TestProcessLaunch : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void refused_data();
    void refused();
    void workingFolder_data();
    void workingFolder();
    void arguments_data();
    void arguments();
    void howItEnded_data();
    void howItEnded();
    void leftRunningAtLimit();
    void nameFoundInPath_data();
    void nameFoundInPath();
    void withoutOutput_data();
    void withoutOutput();
    void programPath();
    void programPathLong();
    void channelsInherited_data();
    void channelsInherited();

  private:
    // Runs the recorder and returns what it wrote; false when it did not start or write.
    bool RunRecorder(RunRequest request, const QStringList& arguments, Record* record,
                     RunResult* out);

    std::unique_ptr<QTemporaryDir> temp_;
    QString recorder_;
    QString savedCurrent_;
    QByteArray savedPath_;
};

void TestProcessLaunch::init() {
    temp_ = std::make_unique<QTemporaryDir>();
    QVERIFY(temp_->isValid());
    recorder_ = WriteScript(temp_->path(), "recorder", kRecorder);
    QVERIFY(!recorder_.isEmpty());
    savedCurrent_ = QDir::currentPath();
    savedPath_ = qgetenv("PATH");
}

void TestProcessLaunch::cleanup() {
    QDir::setCurrent(savedCurrent_);
    qputenv("PATH", savedPath_);
    temp_.reset();
}

bool TestProcessLaunch::RunRecorder(RunRequest request, const QStringList& arguments,
                                    Record* record, RunResult* out) {
    static int serial = 0;
    const QString output = temp_->path() + QString("/record-%1").arg(++serial);
    if (request.program.isEmpty()) request.program = recorder_;
    request.arguments = QStringList{output} + arguments;
    if (!RunProcess(request, out)) return false;
    // A detached program writes in its own time; a waited one has written already.
    if (!QTest::qWaitFor([&] { return QFile::exists(output); }, 10000)) return false;
    *record = ReadRecord(output);
    return true;
}

void TestProcessLaunch::refused_data() {
    QTest::addColumn<QString>("program");  // "@" stands for the temporary folder
    QTest::addColumn<QString>("workingFolder");
    QTest::addColumn<bool>("wait");

    for (const bool wait : {false, true}) {
        const char* mode = wait ? "waited" : "detached";
        QTest::addRow("%s, missing path", mode) << "@/no-such-program"
                                                << "" << wait;
        QTest::addRow("%s, name not in PATH", mode) << "vita-no-such-program-x"
                                                    << "" << wait;
        QTest::addRow("%s, empty", mode) << ""
                                         << "" << wait;
        QTest::addRow("%s, not executable", mode) << "@/plain"
                                                  << "" << wait;
        QTest::addRow("%s, a folder", mode) << "@"
                                            << "" << wait;
        QTest::addRow("%s, missing working folder", mode) << "@/recorder"
                                                          << "@/gone" << wait;
    }
}

void TestProcessLaunch::refused() {
    QFETCH(QString, program);
    QFETCH(QString, workingFolder);
    QFETCH(bool, wait);

    QFile plain(temp_->path() + "/plain");
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.write("#!/bin/sh\nexit 0\n");
    plain.close();

    RunRequest request;
    request.program = program.replace('@', temp_->path());
    request.workingFolder = workingFolder.replace('@', temp_->path());
    request.wait = wait;
    RunResult out{kSentinelPid, kSentinelExitCode};
    QVERIFY(!RunProcess(request, &out));
    QCOMPARE(out.processId, kSentinelPid);
    QCOMPARE(out.exitCode, kSentinelExitCode);
}

void TestProcessLaunch::workingFolder_data() {
    QTest::addColumn<bool>("wait");
    QTest::addColumn<bool>("given");

    QTest::newRow("detached, inherited") << false << false;
    QTest::newRow("detached, given") << false << true;
    QTest::newRow("waited, inherited") << true << false;
    QTest::newRow("waited, given") << true << true;
}

void TestProcessLaunch::workingFolder() {
    QFETCH(bool, wait);
    QFETCH(bool, given);

    const QString current = temp_->path() + "/current 当前";
    const QString other = temp_->path() + "/work 'it' \"here\"";
    QVERIFY(QDir().mkpath(current));
    QVERIFY(QDir().mkpath(other));
    QVERIFY(QDir::setCurrent(current));

    RunRequest request;
    request.wait = wait;
    if (given) request.workingFolder = other;
    Record record;
    RunResult out{kSentinelPid, kSentinelExitCode};
    QVERIFY(RunRecorder(request, {}, &record, &out));
    QCOMPARE(record.folder, Canonical(given ? other : current));
    // The id handed back is the program's own, not that of some helper in between.
    QCOMPARE(out.processId, record.pid);
    QCOMPARE(out.exitCode, wait ? 0 : kSentinelExitCode);
}

void TestProcessLaunch::arguments_data() {
    QTest::addColumn<bool>("wait");
    QTest::addColumn<QStringList>("arguments");

    const QList<std::pair<const char*, QStringList>> lists = {
        {"none", {}},
        {"spaces", {"a b", "  lead", "trail  "}},
        {"quotes", {"\"double\"", "'single'", "mid\"dle"}},
        {"shell characters", {"$HOME", "`id`", "*", "a;b", "x|y", "&", "%f"}},
        {"empty ones", {"", "x", ""}},
        {"control characters", {"line\nbreak", "tab\there"}},
        {"non-ASCII", {"悦息伙伴", "Grüße"}},
    };
    for (const bool wait : {false, true}) {
        for (const auto& [name, arguments] : lists)
            QTest::addRow("%s, %s", wait ? "waited" : "detached", name) << wait << arguments;
    }
}

void TestProcessLaunch::arguments() {
    QFETCH(bool, wait);
    QFETCH(QStringList, arguments);

    RunRequest request;
    request.wait = wait;
    Record record;
    QVERIFY(RunRecorder(request, arguments, &record, nullptr));
    QCOMPARE(record.arguments, arguments);
}

void TestProcessLaunch::howItEnded_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("expected");
    QTest::addColumn<int>("exitCode");  // when expected

    QTest::newRow("exit 0") << QByteArray("exit 0\n") << true << 0;
    QTest::newRow("exit 3") << QByteArray("exit 3\n") << true << 3;
    QTest::newRow("exit 255") << QByteArray("exit 255\n") << true << 255;
    QTest::newRow("killed") << QByteArray("kill -KILL $$\nsleep 5\n") << false << 0;
    QTest::newRow("terminated") << QByteArray("kill -TERM $$\nsleep 5\n") << false << 0;
    QTest::newRow("aborted") << QByteArray("kill -ABRT $$\nsleep 5\n") << false << 0;
}

void TestProcessLaunch::howItEnded() {
    QFETCH(QByteArray, body);
    QFETCH(bool, expected);
    QFETCH(int, exitCode);

    RunRequest request;
    request.program = WriteScript(temp_->path(), "ends", body);
    request.wait = true;
    request.waitMilliseconds = 30000;
    RunResult out{kSentinelPid, kSentinelExitCode};
    QCOMPARE(RunProcess(request, &out), expected);
    if (expected) {
        QVERIFY(out.processId > 0);
        QCOMPARE(out.exitCode, exitCode);
    } else {
        QCOMPARE(out.processId, kSentinelPid);
        QCOMPARE(out.exitCode, kSentinelExitCode);
    }
}

void TestProcessLaunch::leftRunningAtLimit() {
    const QString marker = temp_->path() + "/marker";
    RunRequest request;
    request.program = WriteScript(temp_->path(), "slow", "sleep 3\n: >\"$1\"\n");
    request.arguments = {marker};
    request.wait = true;
    request.waitMilliseconds = 300;
    RunResult out{kSentinelPid, kSentinelExitCode};

    QElapsedTimer timer;
    timer.start();
    QVERIFY(!RunProcess(request, &out));
    // The limit is what ended the wait, not the program (3 s away).
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(out.processId, kSentinelPid);
    QCOMPARE(out.exitCode, kSentinelExitCode);

    // Still running: it finishes its sleep and leaves the marker. Killed, it never would.
    QVERIFY(!QFile::exists(marker));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 15000);
}

void TestProcessLaunch::nameFoundInPath_data() {
    QTest::addColumn<bool>("wait");
    QTest::newRow("detached") << false;
    QTest::newRow("waited") << true;
}

void TestProcessLaunch::nameFoundInPath() {
    QFETCH(bool, wait);
    qputenv("PATH", QFile::encodeName(temp_->path()) + ':' + savedPath_);
    RunRequest request;
    request.program = "recorder";
    request.wait = wait;
    Record record;
    QVERIFY(RunRecorder(request, {"x y"}, &record, nullptr));
    QCOMPARE(record.arguments, QStringList{"x y"});
}

void TestProcessLaunch::withoutOutput_data() {
    QTest::addColumn<bool>("wait");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("expected");

    QTest::newRow("detached") << false << QByteArray(": >\"$0.ran\"\n") << true;
    QTest::newRow("waited") << true << QByteArray("exit 4\n") << true;
    QTest::newRow("waited, killed") << true << QByteArray("kill -KILL $$\n") << false;
    QTest::newRow("waited, limit") << true << QByteArray("sleep 1\n") << false;
}

void TestProcessLaunch::withoutOutput() {
    QFETCH(bool, wait);
    QFETCH(QByteArray, body);
    QFETCH(bool, expected);

    RunRequest request;
    request.program = WriteScript(temp_->path(), "quick", body);
    request.wait = wait;
    request.waitMilliseconds = body.startsWith("sleep") ? 100 : 30000;
    QCOMPARE(RunProcess(request), expected);
    // Outliving the test's folder would leave the shell reading a vanished script.
    if (!wait) QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(request.program + ".ran"), 10000);
}

void TestProcessLaunch::programPath() {
    const QString expected = Canonical(QCoreApplication::applicationFilePath());
    QVERIFY(!expected.isEmpty());
    QCOMPARE(ProcessLaunch::GetProgramPath(), expected);
    QCOMPARE(g_pathBeforeApp, expected);

    const QString folder = ProcessLaunch::GetProgramFolder();
    QVERIFY(!folder.endsWith('/'));
    QCOMPARE(folder, QFileInfo(expected).absolutePath());
    QCOMPARE(folder + '/' + QFileInfo(expected).fileName(), expected);
}

void TestProcessLaunch::programPathLong() {
    // Longer than a first guess at the buffer, and not ASCII: a copy of this test run from there.
    const QString folder = temp_->path() + '/' + QString(200, 'a') + "/悦息 " + QString(200, 'b');
    QVERIFY(QDir().mkpath(folder));
    const QString copy = folder + "/tst copy";
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
    QProcess child;
    child.start(copy, {"--print-program-path"});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(child.readAllStandardOutput()).split('\n');
    QCOMPARE(lines.value(0), Canonical(copy));
    QCOMPARE(lines.value(1), Canonical(folder));
}

void TestProcessLaunch::channelsInherited_data() {
    QTest::addColumn<QString>("mode");

    QTest::newRow("waited") << "--run-waited";
    QTest::newRow("detached") << "--run-detached";
}

void TestProcessLaunch::channelsInherited() {
    QFETCH(QString, mode);

    // This executable, started again in a child mode, runs the script; what the script reads and
    // writes must be the child's own standard channels, whose other ends this test holds.
    const QString marker = temp_->path() + "/done";
    const QString script = WriteScript(temp_->path(), "talk", R"sh(read line
echo "out:$line"
echo "err:$line" >&2
: >"$1"
)sh");
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {mode, script, marker});
    QVERIFY(child.waitForStarted());
    child.write("hello\n");
    child.closeWriteChannel();
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()).trimmed(), QString("out:hello"));
    QCOMPARE(QString::fromUtf8(child.readAllStandardError()).trimmed(), QString("err:hello"));
}

namespace {

bool IsChildMode(int argc, char** argv) {
    if (argc == 2) return qstrcmp(argv[1], "--print-program-path") == 0;
    return argc == 4 &&
           (qstrcmp(argv[1], "--run-waited") == 0 || qstrcmp(argv[1], "--run-detached") == 0);
}

// What this executable does when the tests start it with one of these modes; exit code 0
// is success.
int RunChildMode(int argc, char** argv) {
    const QByteArray mode = argv[1];
    if (mode == "--print-program-path") {
        // Before any QCoreApplication exists.
        const QByteArray text =
            (ProcessLaunch::GetProgramPath() + '\n' + ProcessLaunch::GetProgramFolder() + '\n')
                .toUtf8();
        return std::fwrite(text.constData(), 1, text.size(), stdout) == size_t(text.size()) ? 0 : 1;
    }
    QCoreApplication app(argc, argv);
    RunRequest request;
    request.program = QString::fromLocal8Bit(argv[2]);
    request.arguments = {QString::fromLocal8Bit(argv[3])};
    request.wait = mode == "--run-waited";
    request.waitMilliseconds = 10000;
    if (!RunProcess(request)) return 2;
    // A detached script writes in its own time; stay until it has, so its output is in.
    return QTest::qWaitFor([&] { return QFile::exists(request.arguments[0]); }, 10000) ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
    if (IsChildMode(argc, argv)) return RunChildMode(argc, argv);
    g_pathBeforeApp = ProcessLaunch::GetProgramPath();
    QCoreApplication app(argc, argv);
    TestProcessLaunch test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_process_launch.moc"
