#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <sys/wait.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// A process of another user's binding `names` in the abstract namespace and holding them until it
// is killed; its pid.
pid_t Squat(const QStringList& names) {
    std::vector<std::pair<sockaddr_un, socklen_t>> addresses;  // made before the fork, as above
    for (const QString& name : names) {
        socklen_t length = 0;
        addresses.emplace_back(AbstractAddress(name, &length), length);
    }
    int ready[2];
    if (::pipe(ready) != 0) return -1;
    const pid_t squatter = ::fork();
    if (squatter == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
        for (const auto& [address, length] : addresses)
            if (::bind(::socket(AF_UNIX, SOCK_STREAM, 0),
                       reinterpret_cast<const sockaddr*>(&address), length) != 0)
                ::_exit(98);
        (void)!::write(ready[1], "b", 1);
        ::pause();
    }
    ::close(ready[1]);
    char byte = 0;
    const bool bound = ::read(ready[0], &byte, 1) == 1;  // or the child ended: no byte
    ::close(ready[0]);
    return bound ? squatter : -1;
}

mode_t ModeOf(const QString& path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

}  // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void privateLockAndFreshNames();
    void secondAsksFirstToShow();
    void requests_data();
    void requests();
    void silentClientIsDropped();
    void killedInstanceLeavesNothing();
    void releasedAtEnd();
    void otherUsersAreNotHeard();
    void squattedNames();
    void floodFromAnotherUser();
    void untrusted_data();
    void untrusted();
    void askWithoutFirst();
    void displayKey_data();
    void displayKey();
    void sameInstanceWhateverTheEnvironment_data();
    void sameInstanceWhateverTheEnvironment();
    void signalsReachTheUiThread();
    void defaultActionsComeBack();

  private:
    SingleInstance Make() const { return {folder_, key_}; }
    // The lock file's path, for a key as short as the test's.
    QString LockPath() const { return folder_ + "/instance-" + key_ + ".lock"; }
    // A helper process holding the instance of this case's folder and key, until it is killed.
    bool StartHolder(QProcess& holder) const {
        holder.start(QCoreApplication::applicationFilePath(), {"claim", folder_, key_});
        return holder.waitForReadyRead(10000) && holder.readLine() == "First\n";
    }

    std::unique_ptr<QTemporaryDir> temp_;
    QString folder_;  // the private folder, fresh per case
    QString key_;
};

void TestSingleInstance::init() {
    temp_ = std::make_unique<QTemporaryDir>();
    QVERIFY(temp_->isValid());
    folder_ = temp_->filePath("home/.local/state/vita-companion");
    key_ = QStringLiteral("test-%1").arg(QRandomGenerator::global()->generate());
}

void TestSingleInstance::privateLockAndFreshNames() {
    QString before;
    for (int run = 0; run < 2; ++run) {
        SingleInstance first = Make();
        QCOMPARE(first.Claim(), SingleInstance::Role::First);
        QCOMPARE(ModeOf(folder_), mode_t(0700));
        QCOMPARE(ModeOf(LockPath()), mode_t(0600));
        QFile lock(LockPath());
        QVERIFY(lock.open(QIODevice::ReadOnly));
        QCOMPARE(lock.readAll(), first.ServerName().toLatin1() + '\n');
        // A name seen while one instance runs tells nothing about the next one's.
        QVERIFY(first.ServerName() != before);
        before = first.ServerName();
    }
}

void TestSingleInstance::secondAsksFirstToShow() {
    SingleInstance first = Make();
    QSignalSpy requested(&first, &SingleInstance::Requested);
    QCOMPARE(first.Claim(), SingleInstance::Role::First);

    // The second start blocks on its request; the first answers from its event loop.
    for (const SingleInstance::Command command :
         {SingleInstance::Command::Show, SingleInstance::Command::DrinkNow}) {
        auto second =
            std::async(std::launch::async, [this, command] { return Make().Claim(command); });
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
    SingleInstance first = Make();
    QSignalSpy requested(&first, &SingleInstance::Requested);
    QCOMPARE(first.Claim(), SingleInstance::Role::First);
    // Odd bytes are refused at once, with a trace; an unfinished request just times out.
    const bool odd = acted.isEmpty() && !chunks.isEmpty() && chunks != QList<QByteArray>{"show"};
    if (odd) QTest::ignoreMessage(QtWarningMsg, "refused a request that is not ours");

    const QString name = first.ServerName();
    auto reply = std::async(std::launch::async, [name, chunks] { return Talk(name, chunks); });
    const QByteArray answer = Await(reply);
    QCOMPARE(requested.size(), acted.isEmpty() ? 0 : 1);
    QCOMPARE(QString::fromLatin1(answer), acted.isEmpty() ? QString() : acted);

    // Whatever came before, the server still serves the known request.
    auto again = std::async(std::launch::async, [name] { return Talk(name, {"show\n"}); });
    QCOMPARE(Await(again), QByteArray("shown\n"));
}

void TestSingleInstance::silentClientIsDropped() {
    SingleInstance first = Make();
    QCOMPARE(first.Claim(), SingleInstance::Role::First);
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(first.ServerName());
    QVERIFY(socket.waitForConnected(2000));
    socket.write("sho");  // a prefix, then silence
    QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QLocalSocket::UnconnectedState, 10000);
}

// Killed outright, an instance leaves a lock no one holds: the next start is the first.
void TestSingleInstance::killedInstanceLeavesNothing() {
    QProcess holder;
    QVERIFY(StartHolder(holder));
    holder.kill();
    QVERIFY(holder.waitForFinished(5000));
    SingleInstance next = Make();
    QCOMPARE(next.Claim(), SingleInstance::Role::First);
}

void TestSingleInstance::releasedAtEnd() {
    { QCOMPARE(Make().Claim(), SingleInstance::Role::First); }
    SingleInstance next = Make();
    QCOMPARE(next.Claim(), SingleInstance::Role::First);
}

// Any process can reach an abstract name: another user's is not obeyed.
void TestSingleInstance::otherUsersAreNotHeard() {
    if (::getuid() != 0) QSKIP("changing to another user needs root");
    SingleInstance first = Make();
    QSignalSpy shown(&first, &SingleInstance::Requested);
    QCOMPARE(first.Claim(), SingleInstance::Role::First);
    QTest::ignoreMessage(QtWarningMsg, "refused a connection from user 65534");
    socklen_t length = 0;
    const sockaddr_un address = AbstractAddress(first.ServerName(), &length);
    auto foreign = std::async(std::launch::async, [address, length] {
        return AsAnotherUser([&address, length] {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) return 2;
            (void)!::write(fd, "show\n", 5);
            char reply[16];
            return ::read(fd, reply, sizeof reply) > 0 ? 1 : 0;  // 0: hung up without a word
        });
    });
    QCOMPARE(Await(foreign), 0);
    QCOMPARE(shown.count(), 0);
}

// What another user could guess, or saw bound by an instance that ended, squatted: this user's
// start still runs, and a later start finds it.
void TestSingleInstance::squattedNames() {
    if (::getuid() != 0) QSKIP("changing to another user needs root");
    QStringList names = {QStringLiteral("/vita-companion/MUTEX_VITA_COMPANION-%1-%2")
                             .arg(::getuid())
                             .arg(SingleInstance::DisplayKey({}, qEnvironmentVariable("DISPLAY")))};
    {
        SingleInstance ended = Make();
        QCOMPARE(ended.Claim(), SingleInstance::Role::First);
        names << ended.ServerName();
    }
    const pid_t squatter = Squat(names);
    QVERIFY(squatter > 0);
    SingleInstance next = Make();
    QCOMPARE(next.Claim(), SingleInstance::Role::First);
    auto second = std::async(std::launch::async, [this] { return Make().Claim(); });
    QCOMPARE(Await(second), SingleInstance::Role::Second);
    ::kill(squatter, SIGKILL);
    ::waitpid(squatter, nullptr, 0);
}

void TestSingleInstance::floodFromAnotherUser() {
    if (::getuid() != 0) QSKIP("changing to another user needs root");
    SingleInstance first = Make();
    QCOMPARE(first.Claim(), SingleInstance::Role::First);
    // Enough for a line each to show; the test's own event loop serves about a hundred a second.
    constexpr int kConnections = 200;
    // Made before the fork: the child of a threaded process calls nothing that may allocate.
    socklen_t length = 0;
    const sockaddr_un address = AbstractAddress(first.ServerName(), &length);
    QTest::ignoreMessage(QtWarningMsg, "refused a connection from user 65534");
    QTest::failOnWarning(QRegularExpression("^refused"));  // any further line within the minute
    auto flood = std::async(std::launch::async, [address, length] {
        return AsAnotherUser([&address, length] {
            int made = 0;
            for (int i = 0; i < kConnections; ++i) {
                const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
                made += ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
                ::close(fd);
            }
            return made;
        });
    });
    QCOMPARE(Await(flood), kConnections);
    QTest::qWait(200);  // the last connections are served too
}

// A folder or lock file others could have read, changed or planted is not used.
void TestSingleInstance::untrusted_data() {
    QTest::addColumn<QString>("tamper");
    QTest::addColumn<SingleInstance::Role>("role");  // while a holder runs in the original
    QTest::addColumn<QString>("warning");
    QTest::newRow("lock file readable by others")
        << "chmod file" << SingleInstance::Role::First << "^not trusted, made anew: the lock file";
    QTest::newRow("lock file of another user")
        << "chown file" << SingleInstance::Role::First << "^not trusted, made anew: the lock file";
    QTest::newRow("folder open to others")
        << "chmod folder" << SingleInstance::Role::Second << "^the private folder .* had mode 755";
    QTest::newRow("folder a link") << "link folder" << SingleInstance::Role::First
                                   << "is not a folder of this user's; moved to";
}

void TestSingleInstance::untrusted() {
    QFETCH(QString, tamper);
    QFETCH(SingleInstance::Role, role);
    QFETCH(QString, warning);
    if (tamper.startsWith("chown") && ::getuid() != 0) QSKIP("giving a file away needs root");
    QProcess holder;
    QVERIFY(StartHolder(holder));
    const QByteArray file = QFile::encodeName(LockPath()), folder = QFile::encodeName(folder_);
    if (tamper == "chmod file") QCOMPARE(::chmod(file.constData(), 0644), 0);
    if (tamper == "chown file") QCOMPARE(::chown(file.constData(), 65534, 65534), 0);
    if (tamper == "chmod folder") QCOMPARE(::chmod(folder.constData(), 0755), 0);
    if (tamper == "link folder") {
        QVERIFY(QFile::rename(folder_, folder_ + "-real"));
        QVERIFY(QFile::link(folder_ + "-real", folder_));
    }
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));
    // The holder answers from its own process.
    SingleInstance claimed = Make();
    QCOMPARE(claimed.Claim(), role);
    QCOMPARE(ModeOf(folder_), mode_t(0700));
    QCOMPARE(ModeOf(LockPath()), mode_t(0600));
    holder.kill();
    holder.waitForFinished(5000);
}

void TestSingleInstance::askWithoutFirst() {
    QVERIFY(!SingleInstance::Ask("/vita-test/" + key_, SingleInstance::Command::Show, 300));
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

// One instance per user and display, however the display is written and whatever the folders
// and the home variable say.
void TestSingleInstance::sameInstanceWhateverTheEnvironment_data() {
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("screen number") << QByteArray("DISPLAY") << QByteArray(":0.0");
    QTest::newRow("runtime folder") << QByteArray("XDG_RUNTIME_DIR") << QByteArray("/elsewhere");
    QTest::newRow("no runtime folder") << QByteArray("XDG_RUNTIME_DIR") << QByteArray();
    QTest::newRow("temporary folder") << QByteArray("TMPDIR") << QByteArray("/var/tmp");
    QTest::newRow("home variable") << QByteArray("HOME") << QByteArray("/elsewhere");
}

void TestSingleInstance::sameInstanceWhateverTheEnvironment() {
    QFETCH(QByteArray, variable);
    QFETCH(QByteArray, value);
    const QByteArray oldWayland = qgetenv("WAYLAND_DISPLAY"), oldX11 = qgetenv("DISPLAY"),
                     old = qgetenv(variable.constData());
    const bool had = qEnvironmentVariableIsSet(variable.constData());
    qunsetenv("WAYLAND_DISPLAY");
    qputenv("DISPLAY", ":0");
    const QString key = SingleInstance::InstanceKey(), folder = SingleInstance::PrivateFolder();
    if (value.isNull())
        qunsetenv(variable.constData());
    else
        qputenv(variable.constData(), value);
    const QString otherKey = SingleInstance::InstanceKey();
    const QString otherFolder = SingleInstance::PrivateFolder();
    had ? qputenv(variable.constData(), old) : qunsetenv(variable.constData());
    qputenv("WAYLAND_DISPLAY", oldWayland);
    qputenv("DISPLAY", oldX11);
    QCOMPARE(otherKey, key);
    QCOMPARE(otherFolder, folder);
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
    if (argc == 4 && QByteArray(argv[1]) == "claim") {
        SingleInstance instance(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
        const bool first = instance.Claim() == SingleInstance::Role::First;
        std::fputs(first ? "First\n" : "not first\n", stdout);
        std::fflush(stdout);
        return first ? QCoreApplication::exec() : 1;
    }
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_single_instance.moc"
