#include "reminders/countdown.h"

#include "data/clock.h"

namespace {
constexpr int kSecondMs = 1000;
}  // namespace

Countdown::Countdown(QObject* parent) : QObject(parent) {
    ticker_.setInterval(kSecondMs);
    connect(&ticker_, &QTimer::timeout, this, &Countdown::OnTick);
}

void Countdown::Start(long long seconds) {
    end_ = Clock::Current().Now().addSecs(std::max(0LL, seconds));
    ticker_.start();
}

void Countdown::Stop() {
    ticker_.stop();
}

long long Countdown::Remaining() const {
    if (!end_.isValid()) return 0;
    const qint64 ms = Clock::Current().Now().msecsTo(end_);
    return ms <= 0 ? 0 : (ms + kSecondMs - 1) / kSecondMs;
}

void Countdown::OnTick() {
    const long long left = Remaining();
    if (left > 0) {
        emit Tick(left);
        return;
    }
    ticker_.stop();
    emit Finished();
}
