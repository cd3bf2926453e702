#pragma once

#include <QDate>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QObject;

// The drink log, the `DrinkWaterRecord` table of the settings database, and its statistics. It
// lives in the store's database: the store opens and closes it (see the hooks at the end).
namespace DrinkLog {

// What was drunk on the current local day; follows the date when the program runs past midnight.
// A total that changed (a drink, a new day noticed here) is announced as
// SettingsNotifier changed(SettingsKey::TodayTotal), once, after the drink is in the log.
int GetTodayTotal();

// Follows the drinks another connection writes to the log (a second instance, on another
// display, sharing the data folder): when the database file changes and the connection's
// data_version says another connection wrote, today's total is summed again (and announced when
// it changed). The kernel tells of the file's changes; nothing polls. Lives as long as `owner`.
void FollowOtherWriters(QObject* owner);

// Dates are "yyyy-MM-dd" texts; ranges include start and exclude end.
std::string FormatDrinkDate(const QDate& date);
bool AddDrink(int millilitres);  // adds to today's total even when the insert fails
bool SumDrinkSize(const std::string& start, const std::string& end, int& out);
bool CountDrinks(const std::string& start, const std::string& end, int& out);
bool CountDaysReachingTarget(const std::string& start, const std::string& end, int target,
                             int& out);
// Days since the earlier of the database file's creation date and the first drink, counting
// both ends.
bool GetDaysOfUse(int& out);

// The drink log summed per day, for a page that asks many questions of it at once: the answers
// are those of the statistics above, found in memory instead of by a pass over the log.
class DrinkDayTotals {
  public:
    struct Day {
        std::array<char, 10> date{};  // "yyyy-MM-dd", a real date
        double size = 0;              // the day's sizes added up
        bool sized = false;           // some size was not NULL (else SQL's sum is NULL)
        int drinks = 0;               // records of the day
    };

    // As SumDrinkSize, CountDrinks and CountDaysReachingTarget over [start, end), compared as
    // texts the way the statistics compare dates (bounds that SQLite would read as numbers,
    // such as "2024", are no dates and are compared as texts here).
    int SumDrinkSize(std::string_view start, std::string_view end) const;
    int CountDrinks(std::string_view start, std::string_view end) const;
    int CountDaysReachingTarget(std::string_view start, std::string_view end, int target) const;

    // Adds drinks of one day (a "yyyy-MM-dd" text; anything else is ignored), keeping the days
    // in order.
    void Add(std::string_view date, double size, bool sized, int drinks);
    void Clear() { days_.clear(); }
    const std::vector<Day>& Days() const { return days_; }

  private:
    // The days in [start, end).
    std::pair<std::vector<Day>::const_iterator, std::vector<Day>::const_iterator> Range(
        std::string_view start, std::string_view end) const;
    std::vector<Day> days_;
};

// Brings the per-day totals up to date with the log: drinks written since the last call are
// added, and a log another connection changed is read again. False when the log cannot be read;
// the totals are then empty.
bool UpdateDrinkDayTotals();
// The per-day totals as the last UpdateDrinkDayTotals left them.
const DrinkDayTotals& GetDrinkDayTotals();

// Hooks for the store, which owns the database the log lives in.
// The log's table and its indexes; false when the table is missing and cannot be made.
bool MakeTable();
// Forgets everything held in memory: today's total, the per-day totals, drinks not written yet.
void Forget();
// Sums today's total afresh from the log (after the store read its file).
void ResumToday();
// Writes the drinks the database refused earlier.
void WritePending();
// Drinks the database has not taken yet.
std::size_t UnwrittenDrinks();
// Those drinks, for the pending file, and taking such drinks back (from the pending file an
// earlier run left).
struct UnwrittenDrink {
    int size;
    std::string date, time;  // "yyyy-MM-dd", "HH:mm:ss"
};
std::vector<UnwrittenDrink> Unwritten();
void KeepUnwritten(const UnwrittenDrink& drink);

}  // namespace DrinkLog
