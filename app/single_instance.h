#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

// One running instance per user and display. The first start holds a lock file and listens on a
// local socket beside it (both in the user's runtime folder); a later start finds the lock held,
// asks the first over the socket to show its main window, and leaves.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    enum class Role { First, Second, Failed };

    // The only request the first instance acts on.
    static constexpr const char* kShowRequest = "show\n";
    static constexpr const char* kShowReply = "shown\n";

    // `folder` holds the lock and the socket; `name` identifies the program.
    SingleInstance(QString folder, QString name);
    ~SingleInstance() override;

    // First: the lock is ours and the socket listens. Second: another instance holds the lock
    // and was asked to show itself (whether it answered or not). Failed: no lock could be made.
    Role Claim();

    QString LockPath() const;
    QString SocketPath() const;

    // The user's runtime folder (XDG_RUNTIME_DIR or Qt's private fallback).
    static QString RuntimeFolder();
    // "MUTEX_VITA_COMPANION" made per user and per display: one instance on each display a user
    // has.
    static QString InstanceName();
    // Sends the show request to a first instance and waits up to `milliseconds` for its answer.
    // True when it answered.
    static bool AskFirstToShow(const QString& socketPath, int milliseconds);

  signals:
    // Another start asked this instance to show its main window.
    void ShowRequested();

  private:
    void Serve(QLocalSocket* socket);

    QString folder_;
    QString name_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};
