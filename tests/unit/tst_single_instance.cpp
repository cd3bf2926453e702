#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <future>

#include "app/single_instance.h"
#include "app/unix_signals.h"

namespace {

// A client talking to the first instance the way anything on the machine could.
QByteArray Talk(const QString& socketPath, const QList<QByteArray>& chunks) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(2000)) return "no connection";
    for (const QByteArray& chunk : chunks) {
        socket.write(chunk);
        socket.flush();
        QTest::qWait(20);  // separate writes arrive as separate reads
    }
    QByteArray reply;
    // The server answers or hangs up; either ends the wait.
    while (socket.state() == QLocalSocket::ConnectedState && socket.waitForReadyRead(1000))
        reply += socket.readAll();
    return reply + socket.readAll();
}

mode_t ModeOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return 0;
    return st.st_mode;
}

}  // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void firstTakesLockAndListens();
    void secondAsksFirstToShow();
    void requests_data();
    void requests();
    void silentClientIsDropped();
    void leftoversOfCrashedInstance();
    void lockReleasedAtEnd();
    void unusableFolder_data();
    void unusableFolder();
    void askWithoutFirst();
    void instanceName_data();
    void instanceName();
    void signalsReachTheUiThread();
    void defaultActionsComeBack();

  private:
    std::unique_ptr<QTemporaryDir> dir_;
};

void TestSingleInstance::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void TestSingleInstance::firstTakesLockAndListens() {
    SingleInstance first(dir_->path(), "vita");
    QCOMPARE(first.Claim(), SingleInstance::Role::First);
    QVERIFY(QFile::exists(first.LockPath()));
    const mode_t mode = ModeOf(first.SocketPath());
    QVERIFY(S_ISSOCK(mode));
    // Only the user may connect.
    QCOMPARE(mode & (S_IRWXG | S_IRWXO), mode_t(0));
}

void TestSingleInstance::secondAsksFirstToShow() {
    SingleInstance first(dir_->path(), "vita");
    QSignalSpy shown(&first, &SingleInstance::ShowRequested);
    QCOMPARE(first.Claim(), SingleInstance::Role::First);

    // The second start blocks on its request; the first answers from its event loop.
    const QString folder = dir_->path();
    auto second = std::async(std::launch::async, [folder] {
        SingleInstance other(folder, "vita");
        return other.Claim();
    });
    QTRY_VERIFY_WITH_TIMEOUT(second.wait_for(std::chrono::seconds(0)) == std::future_status::ready,
                             10000);
    QCOMPARE(second.get(), SingleInstance::Role::Second);
    QCOMPARE(shown.count(), 1);
    // The first still holds the lock: a third start is a second too.
    QVERIFY(QFile::exists(first.LockPath()));
}

void TestSingleInstance::requests_data() {
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<bool>("acted");
    QTest::newRow("exact") << QList<QByteArray>{"show\n"} << true;
    QTest::newRow("in pieces") << QList<QByteArray>{"sh", "ow", "\n"} << true;
    QTest::newRow("no newline") << QList<QByteArray>{"show"} << false;
    QTest::newRow("upper case") << QList<QByteArray>{"SHOW\n"} << false;
    QTest::newRow("twice in one") << QList<QByteArray>{"show\nshow\n"} << false;
    QTest::newRow("trailing byte") << QList<QByteArray>{"show\nx"} << false;
    QTest::newRow("prefix junk") << QList<QByteArray>{"xshow\n"} << false;
    QTest::newRow("nul inside") << QList<QByteArray>{QByteArray("sh\0ow\n", 6)} << false;
    QTest::newRow("flood") << QList<QByteArray>{QByteArray(100000, 's')} << false;
    QTest::newRow("nothing") << QList<QByteArray>{} << false;
}

void TestSingleInstance::requests() {
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(bool, acted);
    SingleInstance first(dir_->path(), "vita");
    QSignalSpy shown(&first, &SingleInstance::ShowRequested);
    QCOMPARE(first.Claim(), SingleInstance::Role::First);

    const QString path = first.SocketPath();
    auto reply = std::async(std::launch::async, [path, chunks] { return Talk(path, chunks); });
    QTRY_VERIFY_WITH_TIMEOUT(reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready,
                             10000);
    const QByteArray answer = reply.get();
    QCOMPARE(shown.count(), acted ? 1 : 0);
    QCOMPARE(answer == SingleInstance::kShowReply, acted);

    // Whatever came before, the server still serves the known request.
    auto again = std::async(std::launch::async, [path] { return Talk(path, {"show\n"}); });
    QTRY_VERIFY_WITH_TIMEOUT(again.wait_for(std::chrono::seconds(0)) == std::future_status::ready,
                             10000);
    QCOMPARE(again.get(), QByteArray(SingleInstance::kShowReply));
}

void TestSingleInstance::silentClientIsDropped() {
    SingleInstance first(dir_->path(), "vita");
    QCOMPARE(first.Claim(), SingleInstance::Role::First);
    QLocalSocket socket;
    socket.connectToServer(first.SocketPath());
    QVERIFY(socket.waitForConnected(2000));
    socket.write("sho");  // a prefix, then silence
    QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QLocalSocket::UnconnectedState, 10000);
}

void TestSingleInstance::leftoversOfCrashedInstance() {
    // A process that has ended: its lock is stale.
    QProcess gone;
    gone.start("true");
    QVERIFY(gone.waitForFinished(5000));
    const qint64 deadPid = gone.processId() ? gone.processId() : 999999;
    SingleInstance probe(dir_->path(), "vita");
    {
        QFile lock(probe.LockPath());
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(deadPid) + "\ntst_single_instance\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
    }
    // The socket file a killed process leaves: bound, never unlinked, nobody listening.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = QFile::encodeName(probe.SocketPath());
    QVERIFY(socketPath.size() < qsizetype(sizeof address.sun_path));
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    QVERIFY(S_ISSOCK(ModeOf(probe.SocketPath())));
    QCOMPARE(probe.Claim(), SingleInstance::Role::First);
    QVERIFY(S_ISSOCK(ModeOf(probe.SocketPath())));
    QSignalSpy shown(&probe, &SingleInstance::ShowRequested);
    const QString path = probe.SocketPath();
    auto reply = std::async(std::launch::async, [path] { return Talk(path, {"show\n"}); });
    QTRY_COMPARE_WITH_TIMEOUT(shown.count(), 1, 10000);
    reply.wait();
}

void TestSingleInstance::lockReleasedAtEnd() {
    QString lockPath, socketPath;
    {
        SingleInstance first(dir_->path(), "vita");
        QCOMPARE(first.Claim(), SingleInstance::Role::First);
        lockPath = first.LockPath();
        socketPath = first.SocketPath();
    }
    QVERIFY(!QFile::exists(lockPath));
    QVERIFY(!QFile::exists(socketPath));
    SingleInstance next(dir_->path(), "vita");
    QCOMPARE(next.Claim(), SingleInstance::Role::First);
}

void TestSingleInstance::unusableFolder_data() {
    QTest::addColumn<QString>("folder");
    QTest::newRow("empty") << QString();
    QTest::newRow("below a file") << QStringLiteral("@file/run");
    QTest::newRow("a file") << QStringLiteral("@file");
}

void TestSingleInstance::unusableFolder() {
    QFETCH(QString, folder);
    QFile file(dir_->filePath("file"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    folder.replace('@', dir_->path() + '/');
    SingleInstance instance(folder, "vita");
    QCOMPARE(instance.Claim(), SingleInstance::Role::Failed);
}

void TestSingleInstance::askWithoutFirst() {
    QVERIFY(!SingleInstance::AskFirstToShow(dir_->filePath("nobody.socket"), 300));
}

void TestSingleInstance::instanceName_data() {
    QTest::addColumn<QByteArray>("wayland");
    QTest::addColumn<QByteArray>("x11");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("x11") << QByteArray() << QByteArray(":0") << "_0";
    QTest::newRow("x11 screen") << QByteArray() << QByteArray(":1.0") << "_1.0";
    QTest::newRow("wayland first") << QByteArray("wayland-0") << QByteArray(":0") << "wayland-0";
    QTest::newRow("none") << QByteArray() << QByteArray() << "nodisplay";
    // A display name must not lead the socket out of the runtime folder.
    QTest::newRow("path") << QByteArray("../../tmp/x") << QByteArray() << ".._.._tmp_x";
    QTest::newRow("non-ascii") << QByteArray() << QByteArray("显示:0") << "___0";
}

void TestSingleInstance::instanceName() {
    QFETCH(QByteArray, wayland);
    QFETCH(QByteArray, x11);
    QFETCH(QString, suffix);
    const QByteArray oldWayland = qgetenv("WAYLAND_DISPLAY"), oldX11 = qgetenv("DISPLAY");
    const auto set = [](const char* name, const QByteArray& value) {
        if (value.isEmpty())
            qunsetenv(name);
        else
            qputenv(name, value);
    };
    set("WAYLAND_DISPLAY", wayland);
    set("DISPLAY", x11);
    const QString name = SingleInstance::InstanceName();
    set("WAYLAND_DISPLAY", oldWayland);
    set("DISPLAY", oldX11);
    QCOMPARE(name, QStringLiteral("MUTEX_VITA_COMPANION-%1-%2").arg(::getuid()).arg(suffix));
    QVERIFY(!name.contains('/'));
}

void TestSingleInstance::signalsReachTheUiThread() {
    UnixSignalWatcher watcher({SIGTERM, SIGHUP});
    QVERIFY(watcher.IsWatching());
    QSignalSpy received(&watcher, &UnixSignalWatcher::Received);
    // Without the watcher these would end the test process.
    ::raise(SIGTERM);
    ::raise(SIGHUP);
    ::raise(SIGTERM);
    QTRY_COMPARE(received.count(), 3);
    QCOMPARE(received.at(0).at(0).toInt(), SIGTERM);
    QCOMPARE(received.at(1).at(0).toInt(), SIGHUP);
}

void TestSingleInstance::defaultActionsComeBack() {
    { UnixSignalWatcher watcher({SIGINT}); }
    struct sigaction now {};
    QCOMPARE(::sigaction(SIGINT, nullptr, &now), 0);
    QVERIFY(now.sa_handler == SIG_DFL);
    // A second watcher after the first one is gone works as well.
    UnixSignalWatcher again({SIGINT});
    QSignalSpy received(&again, &UnixSignalWatcher::Received);
    ::raise(SIGINT);
    QTRY_COMPARE(received.count(), 1);
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
