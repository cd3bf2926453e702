#include "data/clock.h"

namespace {

class SystemClock final : public Clock {
  public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
};

const SystemClock kSystemClock;
const Clock* installed = nullptr;

}  // namespace

const Clock& Clock::Current() {
    return installed ? *installed : kSystemClock;
}

void Clock::Install(const Clock* clock) {
    installed = clock;
}
