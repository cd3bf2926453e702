#include "app/single_instance.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSysInfo>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <memory>

#include "app/log.h"
#include "data/data_folder.h"

namespace {

constexpr qsizetype kRequestLimit = 64;   // a longer message is not ours
constexpr int kRequestTimeoutMs = 2000;   // a silent client is dropped after this
constexpr int kConnectAttemptsMs = 3000;  // the first may still be starting its server
constexpr int kListenAttempts = 3;        // a random name already bound: draw another
constexpr qint64 kRefusalLineMs = 60000;  // one refusal line per user and minute
constexpr char kNamePrefix[] = "/vita-companion/";

struct Wire {
    SingleInstance::Command command;
    const char* request;
    const char* reply;
};
constexpr Wire kWires[] = {
    {SingleInstance::Command::Show, "show\n", "shown\n"},
    {SingleInstance::Command::DrinkNow, "drink-now\n", "done\n"},
    {SingleInstance::Command::BreakNow, "break-now\n", "done\n"},
    // Answered with the state's lines, then an empty line.
    {SingleInstance::Command::Status, "status\n", "\n"},
};
constexpr qsizetype kStatusLimit = 4096;

const Wire& WireOf(SingleInstance::Command command) {
    for (const Wire& wire : kWires)
        if (wire.command == command) return wire;
    return kWires[0];
}

// The user id of the process at the other end of a connected local socket; -1 when unknown.
long PeerUid(qintptr descriptor) {
    ucred cred{};
    socklen_t length = sizeof cred;
    if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0)
        return -1;
    return static_cast<long>(cred.uid);
}

bool PeerIsThisUser(qintptr descriptor) {
    return PeerUid(descriptor) == static_cast<long>(::getuid());
}

QString Sanitised(QString text) {
    for (QChar& ch : text)
        if (!(ch.isLetterOrNumber() && ch.unicode() < 128) && ch != '.' && ch != '-' && ch != ':')
            ch = '_';
    return text;
}

// Host parts that name this machine's own X server.
bool IsLocalHost(const QString& host) {
    return host.isEmpty() || host == u"unix" || host == u"localhost" || host == u"127.0.0.1" ||
           host == u"::1" || host.compare(QHostInfo::localHostName(), Qt::CaseInsensitive) == 0;
}

QString Errno() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A fresh abstract name no one can guess: 128 random bits from the kernel.
QString RandomName() {
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return QLatin1String(kNamePrefix) +
           QString::fromLatin1(
               QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex());
}

bool IsOurName(const QString& name) {
    static const QRegularExpression shape(QStringLiteral("^/vita-companion/[0-9a-f]{32}$"));
    return shape.match(name).hasMatch();
}

// The folder, opened, once it is a real folder of this user's that no one else may enter; -1 when
// it cannot be made so. Anything else found in its place is moved aside, never used: another user
// could have planted it, or read or changed what is in it.
int OpenPrivateFolder(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    if (!DataFolder::CreateFolderChain(QFileInfo(path).path())) {
        qCWarning(lcApp).noquote() << "cannot create the folder above" << path;
        return -1;
    }
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) break;
        const int folder =
            ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        struct stat status {};
        if (folder >= 0 && ::fstat(folder, &status) == 0 && status.st_uid == ::getuid()) {
            if ((status.st_mode & 07777) == 0700) return folder;
            // Ours, opened up by someone: what lies in it is checked file by file.
            qCWarning(lcApp).noquote()
                << "the private folder" << path << "had mode"
                << QString::number(status.st_mode & 07777, 8) << "- made it 0700 again";
            if (::fchmod(folder, 0700) == 0) return folder;
            qCWarning(lcApp).noquote() << "cannot make" << path << "private:" << Errno();
            ::close(folder);
            return -1;
        }
        if (folder >= 0)
            ::close(folder);
        else if (errno == ENOENT)
            continue;  // gone meanwhile: made anew
        else if (errno != ELOOP && errno != ENOTDIR)
            break;
        const QByteArray aside = native + ".untrusted-" + RandomName().right(8).toLatin1();
        qCWarning(lcApp).noquote() << path << "is not a folder of this user's; moved to" << aside;
        if (::rename(native.constData(), aside.constData()) != 0) break;
    }
    qCWarning(lcApp).noquote() << "cannot make the private folder" << path << ":" << Errno();
    return -1;
}

// The lock file in `folder`, opened, once it is a plain file of this user's that only the user
// may read and write; one that is not is removed and made anew.
int OpenLockFile(int folder, const QByteArray& fileName) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        int file = ::openat(folder, fileName.constData(),
                            O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (file >= 0) {
            if (::fchmod(file, 0600) == 0) return file;  // whatever the umask took away
            ::close(file);
            break;
        }
        if (errno != EEXIST) break;
        file = ::openat(folder, fileName.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        struct stat status {};
        if (file >= 0 && ::fstat(file, &status) == 0 && S_ISREG(status.st_mode) &&
            status.st_uid == ::getuid() && (status.st_mode & 07777) == 0600)
            return file;
        qCWarning(lcApp).noquote()
            << "not trusted, made anew: the lock file" << fileName << "(owner" << status.st_uid
            << "mode" << QString::number(status.st_mode & 07777, 8) << ")";
        if (file >= 0) ::close(file);
        if (::unlinkat(folder, fileName.constData(), 0) != 0 && errno != ENOENT) break;
    }
    qCWarning(lcApp).noquote() << "cannot open the lock file" << fileName << ":" << Errno();
    return -1;
}

// Whether `fileName` in `folder` is still the file `file` is open on: a lock taken on a file that
// was replaced meanwhile locks nothing anyone else will look at.
bool StillNamed(int folder, const QByteArray& fileName, int file) {
    struct stat named {};
    struct stat opened {};
    return ::fstatat(folder, fileName.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           ::fstat(file, &opened) == 0 && named.st_dev == opened.st_dev &&
           named.st_ino == opened.st_ino;
}

// The abstract name the holder of the lock wrote; empty while it has written none.
QString ReadName(int file) {
    char buffer[128];
    const ssize_t read = ::pread(file, buffer, sizeof buffer, 0);
    if (read <= 0) return {};
    const QString name = QString::fromLatin1(buffer, read).trimmed();
    return IsOurName(name) ? name : QString();
}

// The lock file's name: readable, or a digest when a display name would make it too long.
QByteArray LockFileName(const QString& key) {
    const QByteArray readable = "instance-" + QFile::encodeName(Sanitised(key)) + ".lock";
    if (readable.size() <= 200) return readable;
    return "instance-" +
           QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex() + ".lock";
}

enum class Reach { Ours, NoOne, Stranger };

// Connects to `name`: an instance of this user's at the other end, nothing listening, or another
// user's process, to which nothing is said.
Reach ConnectTo(QLocalSocket& socket, const QString& name, int milliseconds) {
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(name);
    if (!socket.waitForConnected(milliseconds)) return Reach::NoOne;
    if (PeerIsThisUser(socket.socketDescriptor())) return Reach::Ours;
    qCWarning(lcApp) << "the instance name is held by another user's process";
    socket.abort();
    return Reach::Stranger;
}

// Sends `command` on a connected socket and waits for the answer until `deadline`; a status
// answer's lines go to `answer`.
bool Talk(QLocalSocket& socket, SingleInstance::Command command, const QDeadlineTimer& deadline,
          QByteArray* answer = nullptr) {
    const auto remaining = [&deadline] {
        return static_cast<int>(std::max<qint64>(1, deadline.remainingTime()));
    };
    socket.write(SingleInstance::RequestOf(command));
    if (!socket.waitForBytesWritten(remaining())) return false;
    QByteArray reply;
    if (command == SingleInstance::Command::Status) {
        while (!(reply == "\n" || reply.endsWith("\n\n")) && reply.size() < kStatusLimit) {
            if (!socket.waitForReadyRead(remaining())) return false;
            reply += socket.readAll();
        }
        if (answer) *answer = reply.chopped(1);
        return reply.endsWith('\n');
    }
    while (!reply.contains('\n') && reply.size() < kRequestLimit) {
        if (!socket.waitForReadyRead(remaining())) return false;
        reply += socket.readAll();
    }
    return reply == SingleInstance::ReplyOf(command);
}

}  // namespace

QByteArray SingleInstance::RequestOf(Command command) {
    return WireOf(command).request;
}

QByteArray SingleInstance::ReplyOf(Command command) {
    return WireOf(command).reply;
}

SingleInstance::SingleInstance(QString folder, QString key)
    : folder_(std::move(folder)), key_(std::move(key)) {
    clock_.start();
}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
    if (lockFile_ >= 0) {
        (void)!::ftruncate(lockFile_, 0);  // no stale name for the next holder's askers
        ::close(lockFile_);                // and with it the lock
    }
}

QString SingleInstance::ServerName() const {
    return name_;
}

QString SingleInstance::PrivateFolder() {
    // The account's home, not $HOME: one user, one lock, whatever the environment says.
    const passwd* account = ::getpwuid(::getuid());
    const QString home = account && account->pw_dir && account->pw_dir[0] == '/'
                             ? QFile::decodeName(account->pw_dir)
                             : QDir::homePath();
    return QDir::cleanPath(home + QStringLiteral("/.local/state/vita-companion"));
}

QString SingleInstance::InstanceKey() {
    // The machine id outlives host name changes; the host name serves where there is none.
    QString machine = QString::fromLatin1(QSysInfo::machineUniqueId());
    if (machine.isEmpty()) machine = QSysInfo::machineHostName();
    return Sanitised(machine) + u'-' +
           DisplayKey(qEnvironmentVariable("WAYLAND_DISPLAY"), qEnvironmentVariable("DISPLAY"));
}

QString SingleInstance::DisplayKey(const QString& waylandDisplay, const QString& x11Display) {
    if (!waylandDisplay.isEmpty()) return QStringLiteral("wayland-") + Sanitised(waylandDisplay);
    if (x11Display.isEmpty()) return QStringLiteral("nodisplay");
    // [host]:number[.screen]; the host may itself hold colons (an IPv6 address).
    const qsizetype colon = x11Display.lastIndexOf(u':');
    if (colon < 0) return Sanitised(x11Display);
    const QString host = x11Display.left(colon);
    const QString number = x11Display.mid(colon + 1).section(u'.', 0, 0);
    return Sanitised((IsLocalHost(host) ? QString() : host) + u':' + number);
}

SingleInstance::Role SingleInstance::Claim(Command command) {
    if (folder_.isEmpty() || key_.isEmpty()) return Role::Failed;
    const int folder = OpenPrivateFolder(folder_);
    if (folder < 0) return Role::Failed;
    const QByteArray fileName = LockFileName(key_);
    const QDeadlineTimer deadline(kConnectAttemptsMs);
    Role role = Role::Failed;
    while (true) {
        const int file = OpenLockFile(folder, fileName);
        if (file < 0) break;
        if (::flock(file, LOCK_EX | LOCK_NB) == 0) {
            if (!StillNamed(folder, fileName, file)) {
                ::close(file);
                if (deadline.hasExpired()) break;
                continue;
            }
            lockFile_ = file;
            role = Listen() ? Role::First : Role::Failed;
            break;
        }
        if (errno != EWOULDBLOCK) {
            qCWarning(lcApp).noquote() << "cannot lock" << fileName << ":" << Errno();
            ::close(file);
            break;
        }
        // Held by an instance of this user's, which writes its name once it listens.
        const QString name = ReadName(file);
        ::close(file);
        QLocalSocket socket;
        if (!name.isEmpty() && ConnectTo(socket, name, 500) == Reach::Ours) {
            Talk(socket, command, QDeadlineTimer(kConnectAttemptsMs), &answer_);
            role = Role::Second;
            break;
        }
        if (deadline.hasExpired()) {
            qCWarning(lcApp) << "the running instance cannot be reached";
            break;
        }
        QThread::msleep(50);
    }
    ::close(folder);
    return role;
}

bool SingleInstance::Listen() {
    (void)!::ftruncate(lockFile_, 0);
    for (int attempt = 0; attempt < kListenAttempts; ++attempt) {
        auto server = std::make_unique<QLocalServer>(this);
        server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
        const QString name = RandomName();
        if (!server->listen(name)) {
            if (server->serverError() == QAbstractSocket::AddressInUseError) continue;
            qCWarning(lcApp).noquote() << "cannot listen:" << server->errorString();
            return false;
        }
        const QByteArray line = name.toLatin1() + '\n';
        if (::pwrite(lockFile_, line.constData(), static_cast<size_t>(line.size()), 0) !=
            line.size())
            qCWarning(lcApp).noquote() << "cannot publish the instance name:" << Errno();
        name_ = name;
        server_ = server.release();
        connect(server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = server_->nextPendingConnection()) Serve(socket);
        });
        return true;
    }
    qCWarning(lcApp) << "cannot find a free instance name";
    return false;
}

void SingleInstance::Serve(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (!PeerIsThisUser(socket->socketDescriptor())) {
        // Anyone on the machine can reach an abstract socket; only the user is listened to.
        Refuse(PeerUid(socket->socketDescriptor()));
        socket->abort();
        socket->deleteLater();
        return;
    }
    QTimer::singleShot(kRequestTimeoutMs, socket, [socket] { socket->abort(); });
    auto received = std::make_shared<QByteArray>();
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, received] {
        *received += socket->read(kRequestLimit + 1 - received->size());
        // Exactly a known request, or nothing is done; extra or odd bytes end the talk.
        bool known = false;
        for (const Wire& wire : kWires) {
            if (*received == wire.request) {
                if (wire.command == Command::Status) {
                    QByteArray lines = status_ ? status_() : QByteArray();
                    if (!lines.isEmpty() && !lines.endsWith('\n')) lines += '\n';
                    socket->write(lines.replace("\n\n", "\n"));
                } else {
                    emit Requested(wire.command);
                }
                socket->write(wire.reply);
                socket->disconnectFromServer();
                return;
            }
            known = known || QByteArray(wire.request).startsWith(*received);
        }
        if (!known) {
            qCWarning(lcApp) << "refused a request that is not ours";
            socket->abort();
        }
    });
}

// A flood of connections writes one line a minute per user, not one per connection.
void SingleInstance::Refuse(long uid) {
    Refusals& refusals = refusals_[uid];
    ++refusals.unreported;
    const qint64 now = clock_.elapsed();
    if (refusals.lastLineMs < 0 || now - refusals.lastLineMs >= kRefusalLineMs) {
        Report(uid);
    } else if (!refusals.flushPending) {
        // The rest of the minute's count comes when the minute is over.
        refusals.flushPending = true;
        QTimer::singleShot(std::chrono::milliseconds(refusals.lastLineMs + kRefusalLineMs - now),
                           this, [this, uid] {
                               refusals_[uid].flushPending = false;
                               Report(uid);
                           });
    }
}

void SingleInstance::Report(long uid) {
    Refusals& refusals = refusals_[uid];
    if (refusals.unreported == 0) return;
    if (refusals.lastLineMs < 0)
        qCWarning(lcApp) << "refused a connection from user" << uid;
    else
        qCWarning(lcApp) << "refused" << refusals.unreported << "connections from user" << uid
                         << "since the last report";
    refusals.unreported = 0;
    refusals.lastLineMs = clock_.elapsed();
}

bool SingleInstance::Ask(const QString& serverName, Command command, int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    QLocalSocket socket;
    while (true) {
        const int left = static_cast<int>(std::max<qint64>(1, deadline.remainingTime()));
        const Reach reach = ConnectTo(socket, serverName, left);
        if (reach == Reach::Ours) break;
        if (reach == Reach::Stranger || deadline.hasExpired()) return false;
        QThread::msleep(50);
    }
    return Talk(socket, command, deadline);
}
