#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <sys/wait.h>

#include <QDir>
#include <QFile>
#include <QHostInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstddef>
#include <functional>
#include <future>

#include "app/single_instance.h"
#include "app/unix_signals.h"

namespace {

// A client talking to the first instance the way anything on the machine could.
QByteArray Talk(const QString& name, const QList<QByteArray>& chunks) {
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(name);
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

template <typename Result>
Result Await(std::future<Result>& pending) {
    // The first instance answers from this thread's event loop, so keep it turning.
    if (!QTest::qWaitFor(
            [&] { return pending.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
            10000))
        qFatal("no answer");
    return pending.get();
}

// The abstract address of `name` as a raw socket address, for another user's process.
sockaddr_un AbstractAddress(const QString& name, socklen_t* length) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(name);
    std::copy(bytes.begin(), bytes.end(), address.sun_path + 1);
    *length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + bytes.size());
    return address;
}

// Runs `body` in a child process as another user (nobody); the child's exit code comes back,
// -1 when no child could be made. Needs root, as changing the user does.
int AsAnotherUser(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child < 0) return -1;
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void firstListensOutsideTheFileSystem();
    void secondAsksFirstToShow();
    void requests_data();
    void requests();
    void silentClientIsDropped();
    void killedInstanceLeavesNothing();
    void releasedAtEnd();
    void otherUsers();
    void askWithoutFirst();
    void displayKey_data();
    void displayKey();
    void instanceName();
    void signalsReachTheUiThread();
    void defaultActionsComeBack();

  private:
    QString name_;  // a fresh instance name per case
};

void TestSingleInstance::init() {
    name_ = QStringLiteral("/vita-test/%1-%2")
                .arg(QCoreApplication::applicationPid())
                .arg(QRandomGenerator::global()->generate());
}

void TestSingleInstance::firstListensOutsideTheFileSystem() {
    const QString runtime = QDir(qEnvironmentVariable("XDG_RUNTIME_DIR")).absolutePath();
    SingleInstance first(name_);
    QCOMPARE(first.Claim(), SingleInstance::Role::First);
    QCOMPARE(Talk(name_, {"show\n"}),
             QByteArray(SingleInstance::ReplyOf(SingleInstance::Command::Show)));
    QVERIFY(!QFile::exists(name_));
    // The program's name has no folder in front of it, whatever TMPDIR says.
    QVERIFY(SingleInstance::InstanceName().startsWith("/vita-companion/MUTEX_VITA_COMPANION-"));
}

void TestSingleInstance::secondAsksFirstToShow() {
    SingleInstance first(name_);
    QSignalSpy requested(&first, &SingleInstance::Requested);
    QCOMPARE(first.Claim(), SingleInstance::Role::First);

    // The second start blocks on its request; the first answers from its event loop.
    const QString name = name_;
    for (const SingleInstance::Command command :
         {SingleInstance::Command::Show, SingleInstance::Command::DrinkNow}) {
        auto second = std::async(std::launch::async,
                                 [name, command] { return SingleInstance(name).Claim(command); });
        QCOMPARE(Await(second), SingleInstance::Role::Second);
        QCOMPARE(requested.size(), 1);
        QCOMPARE(requested.takeFirst().first().value<SingleInstance::Command>(), command);
    }
}

void TestSingleInstance::requests_data() {
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QString>("acted");  // the command acted on; empty: none
    QTest::newRow("show") << QList<QByteArray>{"show\n"} << "shown\n";
    QTest::newRow("drink now") << QList<QByteArray>{"drink-now\n"} << "done\n";
    QTest::newRow("in pieces") << QList<QByteArray>{"sh", "ow", "\n"} << "shown\n";
    QTest::newRow("no newline") << QList<QByteArray>{"show"} << "";
    QTest::newRow("upper case") << QList<QByteArray>{"SHOW\n"} << "";
    QTest::newRow("twice in one") << QList<QByteArray>{"show\nshow\n"} << "";
    QTest::newRow("two commands") << QList<QByteArray>{"show\ndrink-now\n"} << "";
    QTest::newRow("trailing byte") << QList<QByteArray>{"show\nx"} << "";
    QTest::newRow("prefix junk") << QList<QByteArray>{"xshow\n"} << "";
    QTest::newRow("nul inside") << QList<QByteArray>{QByteArray("sh\0ow\n", 6)} << "";
    QTest::newRow("flood") << QList<QByteArray>{QByteArray(100000, 's')} << "";
    QTest::newRow("nothing") << QList<QByteArray>{} << "";
}

void TestSingleInstance::requests() {
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QString, acted);
    SingleInstance first(name_);
    QSignalSpy requested(&first, &SingleInstance::Requested);
    QCOMPARE(first.Claim(), SingleInstance::Role::First);
    // Odd bytes are refused at once, with a trace; an unfinished request just times out.
    const bool odd = acted.isEmpty() && !chunks.isEmpty() && chunks != QList<QByteArray>{"show"};
    if (odd) QTest::ignoreMessage(QtWarningMsg, "refused a request that is not ours");

    const QString name = name_;
    auto reply = std::async(std::launch::async, [name, chunks] { return Talk(name, chunks); });
    const QByteArray answer = Await(reply);
    QCOMPARE(requested.size(), acted.isEmpty() ? 0 : 1);
    QCOMPARE(QString::fromLatin1(answer), acted.isEmpty() ? QString() : acted);

    // Whatever came before, the server still serves the known request.
    auto again = std::async(std::launch::async, [name] { return Talk(name, {"show\n"}); });
    QCOMPARE(Await(again), QByteArray("shown\n"));
}

void TestSingleInstance::silentClientIsDropped() {
    SingleInstance first(name_);
    QCOMPARE(first.Claim(), SingleInstance::Role::First);
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(name_);
    QVERIFY(socket.waitForConnected(2000));
    socket.write("sho");  // a prefix, then silence
    QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QLocalSocket::UnconnectedState, 10000);
}

// Killed outright, an instance leaves no lock or socket file that a new start must clear.
void TestSingleInstance::killedInstanceLeavesNothing() {
    QProcess holder;
    holder.start(QCoreApplication::applicationFilePath(), {"claim", name_});
    QVERIFY(holder.waitForReadyRead(10000));
    QCOMPARE(holder.readLine(), QByteArray("First\n"));
    holder.kill();
    QVERIFY(holder.waitForFinished(5000));
    SingleInstance next(name_);
    QCOMPARE(next.Claim(), SingleInstance::Role::First);
}

void TestSingleInstance::releasedAtEnd() {
    { QCOMPARE(SingleInstance(name_).Claim(), SingleInstance::Role::First); }
    SingleInstance next(name_);
    QCOMPARE(next.Claim(), SingleInstance::Role::First);
}

// Any process can reach an abstract name: another user's is neither obeyed nor asked.
void TestSingleInstance::otherUsers() {
    if (::getuid() != 0) QSKIP("changing to another user needs root");
    // Another user's request to our first instance is turned away unheard.
    SingleInstance first(name_);
    QSignalSpy shown(&first, &SingleInstance::Requested);
    QCOMPARE(first.Claim(), SingleInstance::Role::First);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^refused a connection from user 65534"));
    const QString name = name_;
    auto foreign = std::async(std::launch::async, [name] {
        return AsAnotherUser([&name] {
            socklen_t length = 0;
            const sockaddr_un address = AbstractAddress(name, &length);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) return 2;
            (void)!::write(fd, "show\n", 5);
            char reply[16];
            return ::read(fd, reply, sizeof reply) > 0 ? 1 : 0;  // 0: hung up without a word
        });
    });
    QCOMPARE(Await(foreign), 0);
    QCOMPARE(shown.count(), 0);

    // A name squatted by another user's process: this user's start neither runs nor talks to it.
    const QString squatted = name_ + "-squatted";
    int ready[2];
    QCOMPARE(::pipe(ready), 0);
    const pid_t squatter = ::fork();
    if (squatter == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
        socklen_t length = 0;
        const sockaddr_un address = AbstractAddress(squatted, &length);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 ||
            ::listen(fd, 4) != 0)
            ::_exit(98);
        (void)!::write(ready[1], "r", 1);
        ::pause();
        ::_exit(0);
    }
    char byte = 0;
    QCOMPARE(::read(ready[0], &byte, 1), ssize_t(1));
    QTest::ignoreMessage(QtWarningMsg, "the instance name is held by another user's process");
    QCOMPARE(SingleInstance(squatted).Claim(), SingleInstance::Role::Failed);
    ::kill(squatter, SIGKILL);
    ::waitpid(squatter, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
}

void TestSingleInstance::askWithoutFirst() {
    QVERIFY(!SingleInstance::Ask(name_, SingleInstance::Command::Show, 300));
}

void TestSingleInstance::displayKey_data() {
    QTest::addColumn<QString>("wayland");
    QTest::addColumn<QString>("x11");
    QTest::addColumn<QString>("key");
    QTest::newRow("x11") << ""
                         << ":0"
                         << ":0";
    QTest::newRow("screen number dropped") << ""
                                           << ":0.0"
                                           << ":0";
    QTest::newRow("other screen, same server") << ""
                                               << ":1.2"
                                               << ":1";
    QTest::newRow("unix socket spelled out") << ""
                                             << "unix:0"
                                             << ":0";
    QTest::newRow("localhost") << ""
                               << "localhost:0.0"
                               << ":0";
    QTest::newRow("this machine by name") << "" << QHostInfo::localHostName() + ":3"
                                          << ":3";
    QTest::newRow("another machine") << ""
                                     << "far.example:0.0"
                                     << "far.example:0";
    QTest::newRow("IPv6 host") << ""
                               << "fe80::1:0"
                               << "fe80::1:0";
    QTest::newRow("wayland first") << "wayland-0"
                                   << ":0"
                                   << "wayland-wayland-0";
    QTest::newRow("wayland socket path") << "/run/w/wayland-1"
                                         << ""
                                         << "wayland-_run_w_wayland-1";
    QTest::newRow("none") << ""
                          << ""
                          << "nodisplay";
    QTest::newRow("non-ascii") << ""
                               << "显示:0"
                               << "__:0";
}

void TestSingleInstance::displayKey() {
    QFETCH(QString, wayland);
    QFETCH(QString, x11);
    QFETCH(QString, key);
    QCOMPARE(SingleInstance::DisplayKey(wayland, x11), key);
}

void TestSingleInstance::instanceName() {
    const QByteArray oldWayland = qgetenv("WAYLAND_DISPLAY"), oldX11 = qgetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    qputenv("DISPLAY", ":7.0");
    const QString name = SingleInstance::InstanceName();
    qputenv("WAYLAND_DISPLAY", oldWayland);
    qputenv("DISPLAY", oldX11);
    QCOMPARE(name, QStringLiteral("/vita-companion/MUTEX_VITA_COMPANION-%1-:7").arg(::getuid()));
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

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // Helper: claims a name, says how that went, and holds it until killed.
    if (argc == 3 && QByteArray(argv[1]) == "claim") {
        SingleInstance instance(QString::fromLocal8Bit(argv[2]));
        const bool first = instance.Claim() == SingleInstance::Role::First;
        std::fputs(first ? "First\n" : "not first\n", stdout);
        std::fflush(stdout);
        return first ? QCoreApplication::exec() : 1;
    }
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_single_instance.moc"
