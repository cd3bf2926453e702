// Writes a month of drinks, as a user who drinks through the day would leave them, into the
// store of a data folder; for screenshots of the drink statistics.
//   vita-seed-drinks DATA_HOME [DAYS]     (DAYS up to today, default 30)

#include <QCoreApplication>
#include <QDir>
#include <QRandomGenerator>
#include <cstdio>

#include "data/clock.h"
#include "data/drink_log.h"
#include "data/settings_store.h"

namespace {

class FixedClock final : public Clock {
  public:
    QDateTime now;
    QDateTime Now() const override { return now; }
};

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool ok = args.size() == 2 || args.size() == 3;
    const int days = args.size() == 3 ? args[2].toInt(&ok) : 30;
    if (!ok || days < 1) {
        std::fprintf(stderr, "usage: vita-seed-drinks DATA_HOME [DAYS]\n");
        return 2;
    }
    qputenv("XDG_DATA_HOME", QFile::encodeName(QDir(args[1]).absolutePath()));
    if (!SettingsStore::OpenSettings()) {
        std::fprintf(stderr, "vita-seed-drinks: cannot open the store below %s\n",
                     qPrintable(args[1]));
        return 1;
    }
    FixedClock clock;
    Clock::Install(&clock);
    QRandomGenerator random(7);  // the same month every time
    const QDate today = QDate::currentDate();
    int written = 0;
    for (int back = days - 1; back >= 0; --back) {
        const QDate day = today.addDays(-back);
        // Four to eight drinks between eight in the morning and ten at night; now and then a
        // day without any.
        const int drinks = back > 0 && random.bounded(7) == 0 ? 0 : random.bounded(4, 9);
        for (int i = 0; i < drinks; ++i) {
            const QTime time(8 + i * 14 / drinks, random.bounded(60), random.bounded(60));
            clock.now = QDateTime(day, time);
            const int size = 150 + 50 * random.bounded(5);  // 150 … 350 ml
            ok = DrinkLog::AddDrink(size) && ok;
            ++written;
        }
    }
    Clock::Install(nullptr);
    SettingsStore::CloseSettings();
    std::printf("vita-seed-drinks: %d drinks over %d days\n", written, days);
    return ok ? 0 : 1;
}
