#include "app/single_instance.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <memory>

namespace {

constexpr qsizetype kRequestLimit = 64;   // a longer message is not ours
constexpr int kRequestTimeoutMs = 2000;   // a silent client is dropped after this
constexpr int kConnectAttemptsMs = 3000;  // the first may still be starting its server

// True when the peer process of a connected local socket runs as this user.
bool PeerIsThisUser(qintptr descriptor) {
    ucred cred{};
    socklen_t length = sizeof cred;
    if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0)
        return false;
    return cred.uid == ::getuid();
}

QString Sanitised(QString text) {
    for (QChar& ch : text)
        if (!(ch.isLetterOrNumber() && ch.unicode() < 128) && ch != '.' && ch != '-') ch = '_';
    return text;
}

}  // namespace

SingleInstance::SingleInstance(QString folder, QString name)
    : folder_(std::move(folder)), name_(std::move(name)) {}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();  // removes the socket file
}

QString SingleInstance::LockPath() const {
    return folder_ + '/' + name_ + QStringLiteral(".lock");
}
QString SingleInstance::SocketPath() const {
    return folder_ + '/' + name_ + QStringLiteral(".socket");
}

QString SingleInstance::RuntimeFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

QString SingleInstance::InstanceName() {
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty()) display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty()) display = QStringLiteral("nodisplay");
    return QStringLiteral("MUTEX_VITA_COMPANION-%1-%2").arg(::getuid()).arg(Sanitised(display));
}

SingleInstance::Role SingleInstance::Claim() {
    if (folder_.isEmpty() || !QDir().mkpath(folder_)) return Role::Failed;
    lock_ = std::make_unique<QLockFile>(LockPath());
    // A lock left by a process that is gone is taken over by tryLock itself.
    if (!lock_->tryLock(0)) {
        const bool held = lock_->error() == QLockFile::LockFailedError;
        lock_.reset();
        if (!held) return Role::Failed;
        AskFirstToShow(SocketPath(), kConnectAttemptsMs);
        return Role::Second;
    }

    // Holding the lock, any socket file left here is from a crashed instance.
    QLocalServer::removeServer(SocketPath());
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Without the socket the program still runs; a later start simply cannot reach it.
    if (server_->listen(SocketPath())) {
        connect(server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = server_->nextPendingConnection()) Serve(socket);
        });
    }
    return Role::First;
}

void SingleInstance::Serve(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (!PeerIsThisUser(socket->socketDescriptor())) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    QTimer::singleShot(kRequestTimeoutMs, socket, [socket] { socket->abort(); });
    auto received = std::make_shared<QByteArray>();
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, received] {
        *received += socket->read(kRequestLimit + 1 - received->size());
        const QByteArray request(kShowRequest);
        // Exactly the known request, or nothing is done; extra or odd bytes end the talk.
        if (*received == request) {
            emit ShowRequested();
            socket->write(kShowReply);
            socket->disconnectFromServer();
        } else if (!request.startsWith(*received)) {
            socket->abort();
        }
    });
}

bool SingleInstance::AskFirstToShow(const QString& socketPath, int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    const auto remaining = [&deadline] {
        return static_cast<int>(std::max<qint64>(1, deadline.remainingTime()));
    };
    QLocalSocket socket;
    while (true) {
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(remaining())) break;
        if (deadline.hasExpired()) return false;
        QThread::msleep(50);
    }
    socket.write(kShowRequest);
    if (!socket.waitForBytesWritten(remaining())) return false;
    QByteArray reply;
    while (!reply.contains('\n') && reply.size() < kRequestLimit) {
        if (!socket.waitForReadyRead(remaining())) return false;
        reply += socket.readAll();
    }
    return reply == kShowReply;
}
