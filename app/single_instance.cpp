#include "app/single_instance.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QHostInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <memory>

#include "app/log.h"

namespace {

constexpr qsizetype kRequestLimit = 64;   // a longer message is not ours
constexpr int kRequestTimeoutMs = 2000;   // a silent client is dropped after this
constexpr int kConnectAttemptsMs = 3000;  // the first may still be starting its server
constexpr int kClaimAttempts = 3;         // the holder may be ending as we look

struct Wire {
    SingleInstance::Command command;
    const char* request;
    const char* reply;
};
constexpr Wire kWires[] = {
    {SingleInstance::Command::Show, "show\n", "shown\n"},
    {SingleInstance::Command::DrinkNow, "drink-now\n", "done\n"},
    {SingleInstance::Command::BreakNow, "break-now\n", "done\n"},
};

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

}  // namespace

QByteArray SingleInstance::RequestOf(Command command) {
    return WireOf(command).request;
}

QByteArray SingleInstance::ReplyOf(Command command) {
    return WireOf(command).reply;
}

SingleInstance::SingleInstance(QString name) : name_(std::move(name)) {}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
}

QString SingleInstance::ServerName() const {
    return name_;
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

QString SingleInstance::InstanceName() {
    return QStringLiteral("/vita-companion/MUTEX_VITA_COMPANION-%1-%2")
        .arg(::getuid())
        .arg(DisplayKey(qEnvironmentVariable("WAYLAND_DISPLAY"), qEnvironmentVariable("DISPLAY")));
}

SingleInstance::Role SingleInstance::Claim(Command command) {
    if (name_.isEmpty()) return Role::Failed;
    for (int attempt = 0; attempt < kClaimAttempts; ++attempt) {
        auto server = std::make_unique<QLocalServer>(this);
        server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
        if (server->listen(name_)) {
            server_ = server.release();
            connect(server_, &QLocalServer::newConnection, this, [this] {
                while (QLocalSocket* socket = server_->nextPendingConnection()) Serve(socket);
            });
            return Role::First;
        }
        if (server->serverError() != QAbstractSocket::AddressInUseError) {
            qCWarning(lcApp).noquote()
                << "cannot claim the instance name:" << server->errorString();
            return Role::Failed;
        }
        // Taken: by an instance of ours, which is asked to show itself, or by someone else.
        QLocalSocket probe;
        probe.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
        probe.connectToServer(name_);
        if (!probe.waitForConnected(kConnectAttemptsMs)) continue;  // gone meanwhile: try again
        if (!PeerIsThisUser(probe.socketDescriptor())) {
            qCWarning(lcApp) << "the instance name is held by another user's process";
            return Role::Failed;
        }
        probe.abort();
        Ask(name_, command, kConnectAttemptsMs);
        return Role::Second;
    }
    return Role::Failed;
}

void SingleInstance::Serve(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (!PeerIsThisUser(socket->socketDescriptor())) {
        // Anyone on the machine can reach an abstract socket; only the user is listened to.
        qCWarning(lcApp) << "refused a connection from user" << PeerUid(socket->socketDescriptor());
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
                emit Requested(wire.command);
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

bool SingleInstance::Ask(const QString& serverName, Command command, int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    const auto remaining = [&deadline] {
        return static_cast<int>(std::max<qint64>(1, deadline.remainingTime()));
    };
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    while (true) {
        socket.connectToServer(serverName);
        if (socket.waitForConnected(remaining())) break;
        if (deadline.hasExpired()) return false;
        QThread::msleep(50);
    }
    // The request is the user's own business: it goes to nobody else's process.
    if (!PeerIsThisUser(socket.socketDescriptor())) return false;
    socket.write(RequestOf(command));
    if (!socket.waitForBytesWritten(remaining())) return false;
    QByteArray reply;
    while (!reply.contains('\n') && reply.size() < kRequestLimit) {
        if (!socket.waitForReadyRead(remaining())) return false;
        reply += socket.readAll();
    }
    return reply == ReplyOf(command);
}
