#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <array>
#include <string>
#include <string_view>
#include <vector>

class DatabaseSession;

// The process-wide settings of the three features and the drink log, kept in memory and
// written through to "DataSet.db" at the moment each one changes.
namespace SettingsStore {

inline constexpr const char* kDatabaseFileName = "DataSet.db";
inline constexpr const char* kDatabaseKey = "MeadowLantern";

// Opens (creating when missing) the database in the data folder, makes the two tables, loads
// every stored setting over its default and sums today's drinks. False when the database cannot
// be opened or its tables made; the settings then keep their defaults.
bool OpenSettings();
// OpenSettings with another key; an empty key opens a plain file. For benchmarks and tests,
// which compare against or inspect the unenciphered form.
bool OpenSettingsWithKey(const std::string& key);
// Closes the database and puts every setting back to its default.
void CloseSettings();
QString DatabasePath();
DatabaseSession& Session();

// Generic key access over the `DataSet` table.
bool ReadIntSetting(const char* key, int& out);
bool WriteIntSetting(const char* key, int value);
bool EnsureTable(const char* name, const char* createStatement);

// The settings. Each setter stores the value in memory, then writes its key through.
// The blue-light strength and switch are written here; applying them to the screen is eye/'s.
bool GetEyeProtectOn();
void StoreEyeProtectOn(bool on);
int GetPercent();
void StorePercent(int percent);

bool GetRemindOnTime();
void SetRemindOnTime(bool on);
bool GetRemindFullScreen();
void SetRemindFullScreen(bool on);
bool GetRemindSound();
void SetRemindSound(bool on);
int GetCountDownSecond();
void SetCountDownSecond(int seconds);
int GetRelaxMinute();
void SetRelaxMinute(int minutes);
int GetRemindHour();
void SetRemindHour(int hours);
int GetRemindMinute();
void SetRemindMinute(int minutes);

bool GetRemindOnTimeDrk();
void SetRemindOnTimeDrk(bool on);
bool GetDrinkSound();
void SetDrinkSound(bool on);
bool GetRemindSoundDrk();
void SetRemindSoundDrk(bool on);
int GetDrinkTargetDay();
void SetDrinkTargetDay(int millilitres);
int GetDrinkTargetOnce();  // a stored 0 reads as 300
void SetDrinkTargetOnce(int millilitres);
int GetRemindHourDrk();
void SetRemindHourDrk(int hours);
int GetRemindMinuteDrk();
void SetRemindMinuteDrk(int minutes);

// What was drunk on the current local day; follows the date when the program runs past midnight.
int GetTodayTotal();

// When the next reminders fall due (kept in memory only).
QDateTime GetNextRelaxDue();
void SetNextRelaxDue(const QDateTime& due);
QDateTime GetNextDrinkDue();
void SetNextDrinkDue(const QDateTime& due);

// The drink log. Dates are "yyyy-MM-dd" texts; ranges include start and exclude end.
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

// Decimal text to int the forgiving way: leading blanks, an optional sign, then digits; 0 when
// there are none; values beyond the int range are clamped.
int LenientInt(const std::string& text);

}  // namespace SettingsStore
