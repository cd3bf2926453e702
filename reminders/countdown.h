#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>

// A countdown to a moment of the wall clock, told once a second: the drink panel's seconds, the
// prompt's countdown, a break. It reads the injectable clock, so a suspend in between counts as
// time gone (a break that spans one is rest) and tests move the clock instead of waiting.
class Countdown : public QObject {
    Q_OBJECT
  public:
    explicit Countdown(QObject* parent = nullptr);

    // From now, `seconds` long (none or less: over at the next tick).
    void Start(long long seconds);
    void Stop();
    bool IsRunning() const { return ticker_.isActive(); }
    // Whole seconds left, rounded up; 0 once the end is reached.
    long long Remaining() const;
    const QTimer& Ticker() const { return ticker_; }

  signals:
    // Every second before the end, with the seconds left.
    void Tick(long long remaining);
    // Once, at the end; the countdown stops.
    void Finished();

  private:
    void OnTick();
    QTimer ticker_;
    QDateTime end_;
};
