#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// One running instance per user and display. The first start listens on a local socket in the
// kernel's abstract namespace, named after the user and the display: binding the name is the
// lock, and the kernel lets go of it when the process ends however it ends. A later start finds
// the name taken, hands the first its request over the socket (show yourself, or open a reminder
// now), and leaves. Nothing of it lives in
// the file system, so environment variables (the runtime folder, the temporary folder) cannot
// make two starts miss each other.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    enum class Role { First, Second, Failed };
    // What a later start asks the first instance to do.
    enum class Command {
        Show,      // show the main window normal, raised and active
        DrinkNow,  // open the drink reminder now
        BreakNow,  // open the relax reminder now
    };

    // The request a command travels as, one line, and the first instance's answer.
    static QByteArray RequestOf(Command command);
    static QByteArray ReplyOf(Command command);

    // `name` identifies the program on this display (InstanceName() in the program).
    explicit SingleInstance(QString name);
    ~SingleInstance() override;

    // First: the name is ours and the socket listens. Second: an instance of this user holds it
    // and was sent `command` (whether it answered or not). Failed: the name cannot be taken, or
    // another user's process holds it.
    Role Claim(Command command = Command::Show);
    // The name of the listening socket.
    QString ServerName() const;

    // "MUTEX_VITA_COMPANION" made per user and per display: one instance on each display a user
    // has. Absolute (it starts with '/'), so no temporary folder is put in front of it.
    static QString InstanceName();
    // The display the program shows on, one name for every way of writing it: the Wayland
    // socket, or the X server without the screen number and without a host part that names
    // this machine (":0", ":0.0", "unix:0" and "localhost:0" are one display).
    static QString DisplayKey(const QString& waylandDisplay, const QString& x11Display);
    // Sends `command` to the first instance and waits up to `milliseconds` for its answer.
    // True when an instance of this user answered.
    static bool Ask(const QString& serverName, Command command, int milliseconds);

  signals:
    // Another start asked this instance to do something.
    void Requested(SingleInstance::Command command);

  private:
    void Serve(QLocalSocket* socket);

    QString name_;
    QLocalServer* server_ = nullptr;
};
