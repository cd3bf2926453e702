#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;
class QLocalSocket;

// One running instance per user and display. The lock is an exclusive flock on a file named after
// the machine and the display, in a folder of the user's home that only the user may enter: no
// other user can take it or even look at it, and the kernel lets go of it when the process ends
// however it ends. The first start listens on a local socket under a fresh random name in the
// kernel's abstract namespace and writes that name into the locked file; a later start finds the
// lock taken, reads the name, hands the first its request (show yourself, or open a reminder now)
// and leaves. Abstract names are listed to everyone (/proc/net/unix) and can be bound by anyone,
// so a name is never reused: one seen and squatted after an instance ended is simply not asked
// again. The peer's user is checked on both sides of every connection.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    enum class Role { First, Second, Failed };
    // What a later start asks the first instance to do.
    enum class Command {
        Show,      // show the main window normal, raised and active
        DrinkNow,  // open the drink reminder now
        BreakNow,  // open the relax reminder now
        Status,    // tell the reminders' and the filter's state
    };

    // The request a command travels as, one line, and the first instance's answer.
    static QByteArray RequestOf(Command command);
    static QByteArray ReplyOf(Command command);

    // `folder` is the user's private folder (PrivateFolder() in the program); `key` names the
    // machine and display (InstanceKey()).
    SingleInstance(QString folder, QString key);
    ~SingleInstance() override;

    // First: the lock is ours and the socket listens. Second: an instance of this user holds the
    // lock and was sent `command` (whether it answered or not). Failed: the folder cannot be made
    // private, the lock cannot be taken, or the holder could not be reached in time.
    Role Claim(Command command = Command::Show);
    // The abstract name this instance listens on; empty unless it is the first.
    QString ServerName() const;
    // What the first instance answers a Status request with: `key: value` lines.
    void SetStatusSource(std::function<QByteArray()> status) { status_ = std::move(status); }
    // The first instance's answer to a Status request, after Claim.
    QByteArray StatusAnswer() const { return answer_; }

    // The folder the lock lives in: below the home folder of the user's account entry, so the
    // same for every start of the user whatever HOME, XDG_RUNTIME_DIR, XDG_STATE_HOME or TMPDIR
    // say.
    static QString PrivateFolder();
    // This machine and the display the program shows on: one instance on each display a user has
    // on each machine (a home folder may be shared between machines).
    static QString InstanceKey();
    // The display, one name for every way of writing it: the Wayland socket, or the X server
    // without the screen number and without a host part that names this machine (":0", ":0.0",
    // "unix:0" and "localhost:0" are one display).
    static QString DisplayKey(const QString& waylandDisplay, const QString& x11Display);
    // Sends `command` to the first instance and waits up to `milliseconds` for its answer.
    // True when an instance of this user answered.
    static bool Ask(const QString& serverName, Command command, int milliseconds);

  signals:
    // Another start asked this instance to do something.
    void Requested(SingleInstance::Command command);

  private:
    struct Refusals {
        qint64 lastLineMs = -1;  // when the last line about this user was written
        qint64 unreported = 0;   // refused since then
        bool flushPending = false;
    };

    bool Listen();
    void Serve(QLocalSocket* socket);
    void Refuse(long uid);
    void Report(long uid);

    QString folder_;
    QString key_;
    std::function<QByteArray()> status_;
    QByteArray answer_;
    QString name_;
    int lockFile_ = -1;
    QLocalServer* server_ = nullptr;
    QHash<long, Refusals> refusals_;
    QElapsedTimer clock_;
};
