#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <initializer_list>
#include <memory>
#include <vector>

// Turns termination signals into a Qt signal on the UI thread. The handler itself only writes
// the signal number into a socket pair, which is all a signal handler may safely do.
class UnixSignalWatcher : public QObject {
    Q_OBJECT
  public:
    explicit UnixSignalWatcher(std::initializer_list<int> signalNumbers, QObject* parent = nullptr);
    ~UnixSignalWatcher() override;  // the default actions come back
    bool IsWatching() const { return notifier_ != nullptr; }

  signals:
    void Received(int signalNumber);

  private:
    void Drain();
    std::unique_ptr<QSocketNotifier> notifier_;
    std::vector<int> signals_;
};
