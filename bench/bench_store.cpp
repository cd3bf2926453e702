// Times the settings store on a decade of drinks, enciphered (the normal path) against plain, to
// show what the page cipher and the date index cost where the user would feel it.
//
//   build/bench/bench_store [runs]     (runs per figure, default 15)

#include <QDate>
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
#include "data/page_cipher.h"
#include "data/settings_store.h"

using namespace SettingsStore;
using namespace DrinkLog;

using bench::Check;

namespace {

constexpr int kYears = 10;
constexpr int kDrinksPerDay = 8;
constexpr int kAddDrinkCalls = 200;

struct Figure {
    std::string name;
    double micros[2] = {0, 0};  // enciphered, plain
};

struct Mode {
    const char* name;
    std::string key;
};

template <typename F>
double MedianMicros(int runs, F&& body) {
    std::vector<double> times;
    times.reserve(static_cast<size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        body();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A decade of drinks ending yesterday, in one transaction so the fill takes seconds, not hours.
int FillLog(const QDate& today) {
    return bench::WriteDrinkHistory(today.addYears(-kYears), today, kDrinksPerDay, 150);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    QTemporaryDir temp;
    Check(temp.isValid(), "temporary folder");

    const Mode modes[2] = {{"enciphered", kDatabaseKey}, {"plain", ""}};
    const QDate today = Clock::Current().Now().date();
    const std::string tomorrow = FormatDrinkDate(today.addDays(1));
    const struct {
        const char* label;
        std::string start;
    } ranges[] = {
        {"month", FormatDrinkDate(today.addMonths(-1))},
        {"year", FormatDrinkDate(today.addYears(-1))},
        {"10 years", FormatDrinkDate(today.addYears(-kYears))},
    };

    std::vector<Figure> figures;
    auto record = [&figures](size_t& index, const std::string& name, int mode, double micros) {
        if (figures.size() <= index) figures.push_back({name, {0, 0}});
        figures[index++].micros[mode] = micros;
    };
    qint64 fileSize[2] = {0, 0};
    int rowCount = 0;

    for (int m = 0; m < 2; ++m) {
        const Mode& mode = modes[m];
        const QString home = temp.path() + '/' + mode.name;
        qputenv("XDG_DATA_HOME", home.toUtf8());
        size_t index = 0;

        Check(OpenSettingsWithKey(mode.key), "open");
        QElapsedTimer fillTimer;
        fillTimer.start();
        rowCount = FillLog(today);
        record(index, "fill log (one transaction)", m,
               static_cast<double>(fillTimer.nsecsElapsed()) / 1000.0);
        CloseSettings();

        // Timed without the close that must follow each open.
        {
            std::vector<double> times;
            for (int i = 0; i < runs; ++i) {
                QElapsedTimer timer;
                timer.start();
                Check(OpenSettingsWithKey(mode.key), "open");
                times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0);
                CloseSettings();
            }
            std::sort(times.begin(), times.end());
            record(index, "OpenSettings (incl. today's sum)", m, times[times.size() / 2]);
        }

        Check(OpenSettingsWithKey(mode.key), "open");
        record(index, "AddDrink (per call, own commit)", m,
               MedianMicros(kAddDrinkCalls, [] { Check(AddDrink(250), "AddDrink"); }));
        record(index, "GetTodayTotal", m, MedianMicros(runs, [] { GetTodayTotal(); }));
        for (const auto& range : ranges) {
            int out = 0;
            record(index, std::string("SumDrinkSize, ") + range.label, m, MedianMicros(runs, [&] {
                       Check(SumDrinkSize(range.start, tomorrow, out), "sum");
                   }));
            record(index, std::string("CountDrinks, ") + range.label, m, MedianMicros(runs, [&] {
                       Check(CountDrinks(range.start, tomorrow, out), "count");
                   }));
            record(index, std::string("CountDaysReachingTarget, ") + range.label, m,
                   MedianMicros(runs, [&] {
                       Check(CountDaysReachingTarget(range.start, tomorrow, 1500, out), "days");
                   }));
        }
        // A fresh connection starts with an empty page cache: every page the query touches is
        // read, and on the enciphered file deciphered, once.
        {
            std::vector<double> times;
            for (int i = 0; i < runs; ++i) {
                CloseSettings();
                Check(OpenSettingsWithKey(mode.key), "open");
                int out = 0;
                QElapsedTimer timer;
                timer.start();
                Check(CountDaysReachingTarget(ranges[2].start, tomorrow, 1500, out), "days");
                times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0);
            }
            std::sort(times.begin(), times.end());
            record(index, "CountDaysReachingTarget, 10 years, cold", m, times[times.size() / 2]);
        }
        int days = 0;
        record(index, "GetDaysOfUse", m,
               MedianMicros(runs, [&] { Check(GetDaysOfUse(days), "days of use"); }));
        CloseSettings();
        fileSize[m] = QFileInfo(home + "/VitaCompanion/" + kDatabaseFileName).size();
    }

    std::printf("%d drinks over %d years; median of %d runs (AddDrink: of %d calls)\n", rowCount,
                kYears, runs, kAddDrinkCalls);
    std::printf("file size: enciphered %lld bytes, plain %lld bytes\n\n",
                static_cast<long long>(fileSize[0]), static_cast<long long>(fileSize[1]));
    std::printf("%-40s %14s %14s %8s\n", "operation", "enciphered us", "plain us", "ratio");
    for (const Figure& figure : figures) {
        const double ratio = figure.micros[1] > 0 ? figure.micros[0] / figure.micros[1] : 0;
        std::printf("%-40s %14.1f %14.1f %8.2f\n", figure.name.c_str(), figure.micros[0],
                    figure.micros[1], ratio);
    }

    // The cipher alone: one 1024-byte page, enciphered then deciphered.
    const PageCipher::Key key = PageCipher::DeriveKey(QByteArray(kDatabaseKey));
    std::vector<unsigned char> page(1024, 0x5a);
    constexpr int kPages = 20000;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kPages; ++i) PageCipher::EncipherPage(page.data(), page.size(), key);
    const double encipherNs = static_cast<double>(timer.nsecsElapsed()) / kPages;
    timer.restart();
    for (int i = 0; i < kPages; ++i) PageCipher::DecipherPage(page.data(), page.size(), key);
    const double decipherNs = static_cast<double>(timer.nsecsElapsed()) / kPages;
    std::printf("\ncipher: %.2f us to encipher, %.2f us to decipher a 1024-byte page (%.0f MB/s)\n",
                encipherNs / 1000.0, decipherNs / 1000.0, 1024.0 / decipherNs * 1000.0);
    return 0;
}
