// Times the drink achievements page over a long history: 1, 10 and 30 years of drinks (8 a day)
// in the enciphered database, each view switched to cold (the first view after the database was
// opened: empty page cache, the daily totals read from the log) and warm (switching between the
// views later on). Also the way the views were first described, one SQL statistic per point,
// for comparison.
//
//   build/bench/bench_achievements [runs]     (warm runs per figure, default 30)
//
// "cold" is SQLite's cold cache; the file itself is in the system's cache, as it would be for
// a program that has been running.

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "data/clock.h"
#include "data/database_session.h"
#include "data/drink_log.h"
#include "data/settings_store.h"
#include "drink/drink_achieve_page.h"
#include "drink/drink_dates.h"
#include "ui/controls.h"

using namespace SettingsStore;
using namespace DrinkLog;

using bench::Check;

namespace {

constexpr int kDrinksPerDay = 8;
const char* const kOptions[] = {"opt_day", "opt_week", "opt_month", "opt_total"};
const char* const kViewNames[] = {"day", "week", "month", "total"};

double Millis(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// `years` of drinks ending today, in one transaction.
int FillLog(int years, const QDate& today) {
    return bench::WriteDrinkHistory(today.addYears(-years).addDays(1), today.addDays(1),
                                    kDrinksPerDay, 100);
}

// The views as first described: a statistic query for every point and figure.
void SqlPerPoint(int view, const QDate& today) {
    using namespace DrinkDates;
    const auto text = [](const QDate& d) { return FormatDrinkDate(d); };
    const int target = GetDrinkTargetDay();
    int out = 0;
    if (view == 0) {
        for (int k = -6; k <= 0; ++k)
            SumDrinkSize(text(AddDays(today, k)), text(AddDays(today, k + 1)), out);
        CountDrinks(text(today), text(AddDays(today, 1)), out);
    } else if (view == 1) {
        const QDate monday = WeekStart(today);
        for (int k = -6; k <= 0; ++k)
            SumDrinkSize(text(AddDays(monday, 7 * k)), text(AddDays(monday, 7 * k + 7)), out);
        CountDaysReachingTarget(text(monday), text(AddDays(monday, 7)), 1, out);
        CountDaysReachingTarget(text(monday), text(AddDays(monday, 7)), target, out);
    } else if (view == 2) {
        const QDate first(today.year(), today.month(), 1);
        for (int k = -6; k <= 0; ++k) {
            const QDate m = AddMonths(first.year(), first.month(), k);
            SumDrinkSize(text(m), text(AddDays(LastDayOfMonth(m), 1)), out);
        }
        const QDate end = AddDays(LastDayOfMonth(first), 1);
        CountDaysReachingTarget(text(first), text(end), 1, out);
        CountDaysReachingTarget(text(first), text(end), target, out);
    } else {
        const QDate start = AddMonths(today.year(), today.month(), -1000);
        SumDrinkSize(text(start), text(AddDays(today, 1)), out);
        CountDaysReachingTarget(text(start), text(AddDays(start, 31000)), 1, out);
        CountDaysReachingTarget(text(start), text(AddDays(start, 31000)), target, out);
        GetDaysOfUse(out);
    }
}

struct Row {
    int years = 0;
    int rows = 0;
    qint64 fileBytes = 0;
    size_t days = 0;
    double cold[4] = {}, warm[4] = {}, warmPaint[4] = {}, sql[4] = {};
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ui::InstallFontSubstitutions();
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    QTemporaryDir temp;
    Check(temp.isValid(), "temporary folder");
    const QDate today = Clock::Current().Now().date();

    // What the page adds to the start-up: building it, out of sight, computes nothing.
    std::vector<double> builds;
    for (int i = 0; i < runs; ++i) {
        QWidget host;
        QElapsedTimer timer;
        timer.start();
        auto* page = new CDrinkWaterAchieveDlg;
        Check(page->CreateChild(&host), "page");
        builds.push_back(Millis(timer));
    }

    std::vector<Row> table;
    for (const int years : {1, 10, 30}) {
        Row row;
        row.years = years;
        const QString home = temp.path() + '/' + QString::number(years);
        qputenv("XDG_DATA_HOME", home.toUtf8());
        Check(OpenSettings(), "open");
        row.rows = FillLog(years, today);

        // The page as the main window hosts it, in sight.
        QWidget host;
        host.resize(350, 424);
        auto* page = new CDrinkWaterAchieveDlg;
        Check(page->CreateChild(&host), "page");
        page->setGeometry(0, 0, 350, 424);
        host.show();
        QCoreApplication::processEvents();
        const auto click = [page](int view) { page->Find<ui::Option>(kOptions[view])->Activate(); };

        for (int view = 0; view < 4; ++view) {
            std::vector<double> times;
            for (int i = 0; i < std::max(3, runs / 5); ++i) {
                CloseSettings();
                Check(OpenSettings(), "reopen");
                QElapsedTimer timer;
                timer.start();
                click(view);
                times.push_back(Millis(timer));
            }
            row.cold[view] = Median(times);
        }
        for (int view = 0; view < 4; ++view) click(view);  // warm
        std::vector<double> warm[4], paint[4], sql[4];
        for (int i = 0; i < runs; ++i) {
            for (int view = 0; view < 4; ++view) {
                QElapsedTimer timer;
                timer.start();
                click(view);
                warm[view].push_back(Millis(timer));
                timer.restart();
                click(view);
                page->repaint();
                paint[view].push_back(Millis(timer));
                timer.restart();
                SqlPerPoint(view, today);
                sql[view].push_back(Millis(timer));
            }
        }
        for (int view = 0; view < 4; ++view) {
            row.warm[view] = Median(warm[view]);
            row.warmPaint[view] = Median(paint[view]);
            row.sql[view] = Median(sql[view]);
        }
        row.days = GetDrinkDayTotals().Days().size();
        CloseSettings();
        row.fileBytes = QFileInfo(home + "/VitaCompanion/" + kDatabaseFileName).size();
        table.push_back(row);
    }

    std::printf(
        "drink achievements, enciphered database, %d drinks a day; medians (warm of %d "
        "runs) in ms\n",
        kDrinksPerDay, runs);
    std::printf("building the page (out of sight, no view worked out): %.3f ms\n\n",
                Median(builds));
    std::printf("%-8s %-6s %9s %11s %13s %13s\n", "history", "view", "cold", "warm", "warm+paint",
                "SQL/point");
    for (const Row& row : table) {
        for (int view = 0; view < 4; ++view) {
            std::printf("%-8s %-6s %9.2f %11.3f %13.3f %13.3f\n",
                        view == 0 ? (std::to_string(row.years) + " y").c_str() : "",
                        kViewNames[view], row.cold[view], row.warm[view], row.warmPaint[view],
                        row.sql[view]);
        }
    }
    std::printf("\n%-8s %10s %14s %12s %18s\n", "history", "drinks", "file bytes", "days kept",
                "daily totals bytes");
    for (const Row& row : table)
        std::printf("%-8s %10d %14lld %12zu %18zu\n", (std::to_string(row.years) + " y").c_str(),
                    row.rows, static_cast<long long>(row.fileBytes), row.days,
                    row.days * sizeof(DrinkDayTotals::Day));
    return 0;
}
