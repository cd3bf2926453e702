#include "data/drink_log.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <QFile>
#include <QFileSystemWatcher>
#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>
#include <memory>
#include <optional>

#include "data/clock.h"
#include "data/database_session.h"
#include "data/log.h"
#include "data/settings_notifier.h"
#include "data/settings_store.h"
#include "system/lenient_int.h"

namespace DrinkLog {

namespace {

using SettingsStore::LenientInt;
using SettingsStore::Session;

constexpr const char* kCreateDrinkLog =
    "CREATE TABLE DrinkWaterRecord (size INTEGER, DrinkDate date, DrinkTime time)";
// Every statistic and the daily total filter on DrinkDate; without this they scan the whole log,
// which after years of drinks is most of the file.
constexpr const char* kCreateDrinkDateIndex =
    "CREATE INDEX IF NOT EXISTS DrinkWaterRecordByDate ON DrinkWaterRecord(DrinkDate)";
// The condition every statistic puts on a record: its date is a real day in the log's form.
// A text comparison alone would let "2024-1-5" fall into autumn 2024 and "2024-03-05 08:00"
// into 5 March. SQLite's date() with a modifier rewrites "2024-02-30" as "2024-03-01" and
// gives NULL for anything that is no date, so only a real day equals its own rewriting.
#define VITA_REAL_DRINK_DATE "DrinkDate = date(DrinkDate, '+0 days')"
// The statistics read only this index, which holds exactly the records they count: a range of
// days is one walk along it, and the date test above is not evaluated again per record. The
// queries repeat its condition word for word, which is how SQLite knows it may use it.
constexpr const char* kCreateDrinkDaySizeIndex =
    "CREATE INDEX IF NOT EXISTS DrinkWaterRecordByDateSize ON DrinkWaterRecord(DrinkDate, size) "
    "WHERE " VITA_REAL_DRINK_DATE;

// Everything below lives on the UI thread, as does every caller.
int todayTotal = 0;
QDate todayTotalDate;  // the local date todayTotal was summed for; invalid before the first sum
struct PendingDrink {
    int size;
    std::string date, time;
};
std::vector<PendingDrink> pendingDrinks;  // drinks the database did not take yet
// The per-day totals and how far into the log they reach. The log only ever grows (records are
// never updated or deleted), so records with a rowid above `newestRowid` are all that is new;
// a change by another connection shows in the connection's data_version and is read afresh.
struct DayTotalsState {
    DrinkDayTotals totals;
    bool loaded = false;
    long long newestRowid = 0;
    long long dataVersion = 0;
};
DayTotalsState dayTotals;

// The drink log's date form, "%04d-%02d-%02d".
std::string FormatYmd(int year, int month, int day) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

std::string FormatTime(const QTime& time) {
    char text[40];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour(), time.minute(), time.second());
    return text;
}

// The exclusive end of `day` as the log has always written it: the day number plus one with no
// carry into the month ("2024-01-32"). As text it still sorts after the whole day and before the
// next month, which is all a text comparison needs.
std::string DayBound(const QDate& day) {
    return FormatYmd(day.year(), day.month(), day.day() + 1);
}

int SumOfDay(const QDate& day) {
    int total = 0;
    SumDrinkSize(FormatDrinkDate(day), DayBound(day), total);  // a failed sum reads as nothing
    return total;
}

void WarnFailure(const char* what) {
    qCWarning(lcData).nospace() << what << ": " << Session().ErrorMessage().c_str() << " ("
                                << Session().Path().c_str() << ")";
}

void SetTodayTotal(int total) {
    if (total == todayTotal) return;
    todayTotal = total;
    emit SettingsNotifier::Instance().changed(SettingsKey::TodayTotal);
}

// Re-sums today's total from the log when the local date is no longer the one it was summed
// for, so a program left running past midnight starts the new day where the log says. The date
// is taken first, so a listener that reads the total again finds it current.
void FollowToday(const QDate& today) {
    if (today == todayTotalDate) return;
    todayTotalDate = today;
    SetTodayTotal(Session().IsOpen() ? SumOfDay(today) : 0);
}

int SaturatingAdd(int a, int b) {
    const long long sum = static_cast<long long>(a) + b;
    return static_cast<int>(std::clamp<long long>(sum, INT_MIN, INT_MAX));
}

bool InsertDrink(const PendingDrink& drink) {
    return Session().ExecStatement(
               "insert into DrinkWaterRecord (size, DrinkDate, DrinkTime) values(?, ?, ?)",
               {static_cast<long long>(drink.size), drink.date, drink.time}) == SQLITE_DONE;
}

bool InsertDrinkAt(int millilitres, const QDateTime& when) {
    const PendingDrink drink{millilitres, FormatDrinkDate(when.date()), FormatTime(when.time())};
    const bool written = InsertDrink(drink);
    if (Session().IsOpen()) SettingsStore::NoteWrite(written);
    if (written) return true;
    if (Session().IsOpen()) {
        pendingDrinks.push_back(drink);
        WarnFailure("a drink was not logged yet");
        SettingsStore::RetryLater();
    }
    return false;
}

// Runs a statistic query: out is the first column of the first row, 0 when there is none or the
// query fails.
bool QueryOneInt(const char* sql, std::initializer_list<SqlValue> params, int& out) {
    out = 0;
    ResultSet rows;
    if (Session().QueryRows(sql, rows, params) != 0) return false;
    if (const ResultSet::Row* row = rows.NextRow(); row && !row->empty()) {
        out = LenientInt(row->front());
    }
    return true;
}

// "yyyy-MM-dd" (read leniently) to a date; invalid for anything that is not a real day.
QDate ParseDrinkDate(const std::string& text) {
    int parts[3] = {0, 0, 0};
    size_t begin = 0;
    for (int& part : parts) {
        const size_t dash = text.find('-', begin);
        part = LenientInt(text.substr(begin, dash == std::string::npos ? dash : dash - begin));
        if (dash == std::string::npos) break;
        begin = dash + 1;
    }
    return QDate(parts[0], parts[1], parts[2]);
}

// The local date the file came into being. Linux reports a birth time only on file systems that
// keep one; elsewhere the earlier of the last status change and the last modification is the
// best lower bound there is. The local date, not the UTC one, because drink dates and "now" are
// local: mixing in UTC would put the first day off by one around midnight.
std::optional<QDate> FileCreationDate(const std::string& path) {
    struct statx stx {};
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &stx) != 0) return std::nullopt;
    long long seconds = stx.stx_btime.tv_sec;
    if (!(stx.stx_mask & STATX_BTIME)) {
        seconds = std::min(stx.stx_ctime.tv_sec, stx.stx_mtime.tv_sec);
    }
    return QDateTime::fromSecsSinceEpoch(seconds).date();
}

}  // namespace

int GetTodayTotal() {
    FollowToday(Clock::Current().Now().date());
    return todayTotal;
}

std::string FormatDrinkDate(const QDate& date) {
    return FormatYmd(date.year(), date.month(), date.day());
}

bool AddDrink(int millilitres) {
    SettingsStore::CatchUp();  // first: reading the settings late sums today anew
    const QDateTime now = Clock::Current().Now();
    FollowToday(now.date());
    // Logged before the total is announced, so a listener finds the drink in the log. The drink
    // happened whether or not the log could take it; the day's total shows it.
    const bool logged = InsertDrinkAt(millilitres, now);
    SetTodayTotal(SaturatingAdd(todayTotal, millilitres));
    return logged;
}

bool SumDrinkSize(const std::string& start, const std::string& end, int& out) {
    return QueryOneInt(
        "select ifnull(sum(size),0) from DrinkWaterRecord where DrinkDate >= ? and "
        "DrinkDate < ? and " VITA_REAL_DRINK_DATE,
        {start, end}, out);
}

bool CountDrinks(const std::string& start, const std::string& end, int& out) {
    return QueryOneInt(
        "select count(*) from DrinkWaterRecord where DrinkDate >= ? and "
        "DrinkDate < ? and " VITA_REAL_DRINK_DATE,
        {start, end}, out);
}

bool CountDaysReachingTarget(const std::string& start, const std::string& end, int target,
                             int& out) {
    return QueryOneInt(
        "select count(*) from (select sum(size) DaySize from DrinkWaterRecord where DrinkDate >= ? "
        "and DrinkDate < ? and " VITA_REAL_DRINK_DATE " group by DrinkDate)T where T.DaySize >= ?",
        {start, end, static_cast<long long>(target)}, out);
}

bool GetDaysOfUse(int& out) {
    out = 0;
    ResultSet rows;
    if (Session().QueryRows("select ifnull(min(DrinkDate),'0-0-0') from DrinkWaterRecord "
                            "where " VITA_REAL_DRINK_DATE,
                            rows) != 0) {
        return false;
    }
    QDate firstDrink;
    if (const ResultSet::Row* row = rows.NextRow(); row && !row->empty()) {
        firstDrink = ParseDrinkDate(row->front());
    }
    const std::optional<QDate> created = FileCreationDate(Session().Path());
    if (!created) return false;

    QDate first = *created;
    if (firstDrink.isValid() && firstDrink < first) first = firstDrink;
    const qint64 days = first.daysTo(Clock::Current().Now().date());
    // A first day after today means the clock was set back; the day in hand still counts.
    out = days < 0 ? 1 : static_cast<int>(std::min<qint64>(days, INT_MAX - 1) + 1);
    return true;
}

// ---- Per-day totals

namespace {

// A day's text as the totals keep it: exactly ten characters.
std::string_view DayText(const DrinkDayTotals::Day& day) {
    return {day.date.data(), day.date.size()};
}

int ClampToInt(double value) {
    if (!(value == value)) return 0;  // NaN
    return static_cast<int>(
        std::clamp(value, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

// A number as SQLite writes it ("1500", "1500.0", "2.5e+20"); 0 for anything else.
double ParseNumber(const std::string& text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() ? value : 0;
}

long long ParseLongLong(const std::string& text) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() ? value : 0;
}

// Rows of (day, total of sizes, non-NULL sizes, records) added to the totals.
bool AddDayRows(const char* sql, std::initializer_list<SqlValue> params, DrinkDayTotals& totals) {
    ResultSet rows;
    if (Session().QueryRows(sql, rows, params) != 0) return false;
    while (const ResultSet::Row* row = rows.NextRow()) {
        if (row->size() < 4) continue;
        totals.Add((*row)[0], ParseNumber((*row)[1]), ParseLongLong((*row)[2]) > 0,
                   LenientInt((*row)[3]));
    }
    return true;
}

bool QueryOneLongLong(const char* sql, long long& out) {
    out = 0;
    ResultSet rows;
    if (Session().QueryRows(sql, rows) != 0) return false;
    if (const ResultSet::Row* row = rows.NextRow(); row && !row->empty()) {
        out = ParseLongLong(row->front());
    }
    return true;
}

}  // namespace

std::pair<std::vector<DrinkDayTotals::Day>::const_iterator,
          std::vector<DrinkDayTotals::Day>::const_iterator>
DrinkDayTotals::Range(std::string_view start, std::string_view end) const {
    const auto before = [](const Day& day, std::string_view bound) { return DayText(day) < bound; };
    const auto first = std::lower_bound(days_.begin(), days_.end(), start, before);
    const auto last = std::lower_bound(first, days_.end(), end, before);
    return {first, last};
}

int DrinkDayTotals::SumDrinkSize(std::string_view start, std::string_view end) const {
    const auto [first, last] = Range(start, end);
    double total = 0;
    for (auto day = first; day != last; ++day) total += day->size;
    return ClampToInt(total);
}

int DrinkDayTotals::CountDrinks(std::string_view start, std::string_view end) const {
    const auto [first, last] = Range(start, end);
    long long count = 0;
    for (auto day = first; day != last; ++day) count += day->drinks;
    return static_cast<int>(std::min<long long>(count, INT_MAX));
}

int DrinkDayTotals::CountDaysReachingTarget(std::string_view start, std::string_view end,
                                            int target) const {
    const auto [first, last] = Range(start, end);
    return static_cast<int>(std::count_if(
        first, last, [target](const Day& day) { return day.sized && day.size >= target; }));
}

void DrinkDayTotals::Add(std::string_view date, double size, bool sized, int drinks) {
    if (date.size() != std::tuple_size_v<decltype(Day::date)>) return;
    const auto before = [](const Day& day, std::string_view text) { return DayText(day) < text; };
    // Drinks come in date order when read whole, and as today's when new: mostly an append.
    auto at = !days_.empty() && DayText(days_.back()) < date
                  ? days_.end()
                  : std::lower_bound(days_.begin(), days_.end(), date, before);
    if (at == days_.end() || DayText(*at) != date) {
        Day day;
        std::copy(date.begin(), date.end(), day.date.begin());
        at = days_.insert(at, day);
    }
    at->size += size;
    at->sized = at->sized || sized;
    at->drinks += drinks;
}

bool UpdateDrinkDayTotals() {
    DayTotalsState& state = dayTotals;
    long long version = 0;
    long long newest = 0;
    bool ok = QueryOneLongLong("PRAGMA data_version", version) &&
              QueryOneLongLong("select ifnull(max(rowid), 0) from DrinkWaterRecord", newest);
    if (ok && state.loaded && version != state.dataVersion) state = DayTotalsState();
    if (ok && !state.loaded) {
        // The whole log, one walk along the index of real days.
        ok = AddDayRows(
            "select DrinkDate, total(size), count(size), count(*) from "
            "DrinkWaterRecord where rowid <= ? and " VITA_REAL_DRINK_DATE " group by DrinkDate",
            {newest}, state.totals);
    } else if (ok && newest > state.newestRowid) {
        // Only what was written since: found by rowid, so the date test runs on these alone.
        ok = AddDayRows(
            "select DrinkDate, total(size), count(size), count(*) from "
            "DrinkWaterRecord where rowid > ? and rowid <= ? and " VITA_REAL_DRINK_DATE
            " group by DrinkDate",
            {state.newestRowid, newest}, state.totals);
    }
    if (!ok) {
        qCWarning(lcData) << "the drink log cannot be read for its daily totals";
        state = DayTotalsState();
        return false;
    }
    state.loaded = true;
    state.dataVersion = version;
    state.newestRowid = std::max(state.newestRowid, newest);
    return true;
}

const DrinkDayTotals& GetDrinkDayTotals() {
    return dayTotals.totals;
}

bool MakeTable() {
    if (!SettingsStore::EnsureTable("DrinkWaterRecord", kCreateDrinkLog)) return false;
    // Only speed depends on the indexes; running without them beats running without a log.
    Session().ExecStatement(kCreateDrinkDateIndex);
    Session().ExecStatement(kCreateDrinkDaySizeIndex);
    return true;
}

void Forget() {
    todayTotal = 0;
    todayTotalDate = QDate();
    pendingDrinks.clear();
    dayTotals = DayTotalsState();
}

void FollowOtherWriters(QObject* owner) {
    auto* watcher = new QFileSystemWatcher(owner);
    const QString path = SettingsStore::DatabasePath();
    if (!path.isEmpty() && QFile::exists(path)) watcher->addPath(path);
    auto lastVersion = std::make_shared<long long>(-1);
    QueryOneLongLong("PRAGMA data_version", *lastVersion);
    QObject::connect(watcher, &QFileSystemWatcher::fileChanged, owner,
                     [watcher, path, lastVersion](const QString&) {
                         // A file replaced whole (a backup put back) drops out of the watch.
                         if (!watcher->files().contains(path) && QFile::exists(path))
                             watcher->addPath(path);
                         long long version = 0;
                         if (!Session().IsOpen() ||
                             !QueryOneLongLong("PRAGMA data_version", version) ||
                             version == *lastVersion)
                             return;
                         *lastVersion = version;
                         ResumToday();
                     });
}

void ResumToday() {
    todayTotalDate = QDate();
    FollowToday(Clock::Current().Now().date());
}

void WritePending() {
    std::erase_if(pendingDrinks, [](const PendingDrink& drink) { return InsertDrink(drink); });
}

std::size_t UnwrittenDrinks() {
    return pendingDrinks.size();
}

std::vector<UnwrittenDrink> Unwritten() {
    std::vector<UnwrittenDrink> out;
    for (const PendingDrink& drink : pendingDrinks)
        out.push_back({drink.size, drink.date, drink.time});
    return out;
}

void KeepUnwritten(const UnwrittenDrink& drink) {
    pendingDrinks.push_back({drink.size, drink.date, drink.time});
}

}  // namespace DrinkLog

#undef VITA_REAL_DRINK_DATE
