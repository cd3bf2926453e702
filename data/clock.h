#pragma once

#include <QDateTime>

// The one place the program reads the wall clock, so tests can run days in microseconds.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual QDateTime Now() const = 0;  // local time

    // The clock in use; the system clock unless a test installed another.
    static const Clock& Current();
    // Installs `clock` (not owned); nullptr restores the system clock.
    static void Install(const Clock* clock);
};
