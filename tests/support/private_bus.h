#pragma once

#include <QProcess>
#include <QString>

// A private D-Bus daemon for a test, standing in for the system bus (DBUS_SYSTEM_BUS_ADDRESS)
// or the session bus: anyone on it may own any name, so a test can play logind.
class PrivateBus {
  public:
    ~PrivateBus() {
        daemon_.terminate();
        daemon_.waitForFinished(5000);
    }

    // False with *error set when dbus-daemon cannot be started or reports no address.
    bool Start(QString* error) {
        daemon_.setStandardErrorFile(QProcess::nullDevice());
        daemon_.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address=1",
                                      "--address=unix:tmpdir=/tmp"});
        if (!daemon_.waitForStarted(10000)) {
            *error = "dbus-daemon could not be started; is dbus-daemon installed?";
            return false;
        }
        while (!daemon_.canReadLine()) {
            if (!daemon_.waitForReadyRead(15000)) {
                *error = "dbus-daemon did not report its address";
                return false;
            }
        }
        address_ = QString::fromUtf8(daemon_.readLine().trimmed());
        return !address_.isEmpty();
    }

    QString Address() const { return address_; }

  private:
    QProcess daemon_;
    QString address_;
};
