#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// A private X server for a test: Xvfb picks a free display itself and reports it once it
// accepts connections; -noreset keeps its state (gamma ramps, selections) between clients.
class XvfbServer {
  public:
    ~XvfbServer() {
        xvfb_.terminate();  // QProcess kills it should it linger
        xvfb_.waitForFinished(5000);
    }

    // False with *error set when Xvfb cannot be started or reports no display.
    bool Start(QString* error, const QStringList& extraArguments = {}) {
        xvfb_.setStandardErrorFile(QProcess::nullDevice());
        xvfb_.start("Xvfb", QStringList{"-displayfd", "1", "-screen", "0", "1024x768x24",
                                        "-nolisten", "tcp", "-noreset"} +
                                extraArguments);
        if (!xvfb_.waitForStarted(10000)) {
            *error = "Xvfb could not be started; is xvfb installed?";
            return false;
        }
        while (!xvfb_.canReadLine()) {
            if (!xvfb_.waitForReadyRead(15000)) {
                *error = "Xvfb did not report its display number";
                return false;
            }
        }
        display_ = ":" + xvfb_.readLine().trimmed();
        return true;
    }

    QByteArray Display() const { return display_; }
    qint64 ProcessId() const { return xvfb_.processId(); }

  private:
    QProcess xvfb_;
    QByteArray display_;
};
