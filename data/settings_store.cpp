#include "data/settings_store.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <span>

#include "data/data_folder.h"
#include "data/database_session.h"
#include "data/drink_log.h"
#include "data/log.h"
#include "data/settings_notifier.h"
#include "system/lenient_int.h"

namespace SettingsStore {

namespace {

// The stored keys, in the order OpenSettings reads them; the enum indexes both the table and
// the values in memory.
enum Setting : size_t {
    kPercent,
    kEyeProtectOn,
    kRemindOnTime,
    kRemindFullScreen,
    kRemindSound,
    kCountDownSecond,
    kRelaxMinute,
    kRemindHour,
    kRemindMinute,
    kRemindOnTimeDrk,
    kDrinkSound,
    kRemindSoundDrk,
    kDrinkTargetDay,
    kDrinkTargetOnce,
    kRemindHourDrk,
    kRemindMinuteDrk,
    kPauseWhenAway,
    kDeferWhenBusy,
    kAwaySecond,
    kSettingCount
};

enum class Kind { Bool, Int };

// The combo items the pages offer.
constexpr int kCountDownItems[] = {3, 5, 10, 15, 20, 25, 30, 45, 60};
constexpr int kRelaxMinuteItems[] = {3, 5, 10, 15, 20, 25, 30, 45, 60};
constexpr int kMinuteItems[] = {0, 5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55};

// How a setting is read: a number in [low, high] (the nearest item where the page offers items),
// anything else the fallback. The table in the header says the same.
struct KeyInfo {
    Setting setting;
    const char* key;
    SettingsKey announced;
    Kind kind;
    int fallback;
    int low = 0;
    int high = 1;
    std::span<const int> items = {};
};

constexpr std::array<KeyInfo, kSettingCount> kKeys = {{
    {kPercent, "nPercent", SettingsKey::Percent, Kind::Int, 0, INT_MIN, INT_MAX},
    {kEyeProtectOn, "bEyeProtectOn", SettingsKey::EyeProtectOn, Kind::Bool, 0},
    {kRemindOnTime, "bRemindOnTime", SettingsKey::RemindOnTime, Kind::Bool, 1},
    {kRemindFullScreen, "bRemindFullScreen", SettingsKey::RemindFullScreen, Kind::Bool, 1},
    {kRemindSound, "bRemindSound", SettingsKey::RemindSound, Kind::Bool, 1},
    {kCountDownSecond, "nCountDownSecond", SettingsKey::CountDownSecond, Kind::Int, 15, 1, 60,
     kCountDownItems},
    {kRelaxMinute, "nRelaxMinute", SettingsKey::RelaxMinute, Kind::Int, 10, 1, 60,
     kRelaxMinuteItems},
    {kRemindHour, "nRemindHour", SettingsKey::RemindHour, Kind::Int, 2, 0, 6},
    {kRemindMinute, "nRemindMinute", SettingsKey::RemindMinute, Kind::Int, 0, 0, 59, kMinuteItems},
    {kRemindOnTimeDrk, "bRemindOnTimeDrk", SettingsKey::RemindOnTimeDrk, Kind::Bool, 1},
    {kDrinkSound, "bDrinkSound", SettingsKey::DrinkSound, Kind::Bool, 1},
    {kRemindSoundDrk, "bRemindSoundDrk", SettingsKey::RemindSoundDrk, Kind::Bool, 1},
    {kDrinkTargetDay, "nDrinkTargetDay", SettingsKey::DrinkTargetDay, Kind::Int, 1500, 0, 99999},
    {kDrinkTargetOnce, "nDrinkTargetOnce", SettingsKey::DrinkTargetOnce, Kind::Int, 300, 1, 99999},
    {kRemindHourDrk, "nRemindHourDrk", SettingsKey::RemindHourDrk, Kind::Int, 0, 0, 6},
    {kRemindMinuteDrk, "nRemindMinuteDrk", SettingsKey::RemindMinuteDrk, Kind::Int, 30, 0, 59,
     kMinuteItems},
    {kPauseWhenAway, "bPauseWhenAway", SettingsKey::PauseWhenAway, Kind::Bool, 1},
    {kDeferWhenBusy, "bDeferWhenBusy", SettingsKey::DeferWhenBusy, Kind::Bool, 1},
    {kAwaySecond, "nAwaySecond", SettingsKey::AwaySecond, Kind::Int, 300, 5, 86400},
}};

constexpr bool TableFollowsEnum() {
    for (size_t i = 0; i < kKeys.size(); ++i) {
        if (kKeys[i].setting != i) return false;
    }
    return true;
}
static_assert(TableFollowsEnum(), "kKeys must list the settings in enum order");

constexpr const char* kCreateDataSet = "CREATE TABLE DataSet (key TEXT primary key, value INTEGER)";

constexpr std::array<int, kSettingCount> DefaultValues() {
    std::array<int, kSettingCount> defaults{};
    for (const KeyInfo& info : kKeys) defaults[info.setting] = info.fallback;
    return defaults;
}

// The value a setting reads as, for a number already cut to its whole part.
int Ruled(const KeyInfo& info, double whole) {
    if (info.kind == Kind::Bool) return whole != 0 ? 1 : 0;
    if (!(whole >= info.low && whole <= info.high)) return info.fallback;
    const int value = static_cast<int>(whole);
    if (info.items.empty()) return value;
    // The nearest item; the smaller of two as near.
    int best = info.items.front();
    for (int item : info.items) {
        if (std::abs(item - value) < std::abs(best - value)) best = item;
    }
    return best;
}

// Stored text to the value it reads as: blanks around a decimal number (as SQLite writes
// integers and reals) whose whole part counts; anything else reads as the fallback.
int RuledText(const KeyInfo& info, std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
    double number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(number))
        return info.fallback;
    return Ruled(info, std::trunc(number));
}

// Everything below lives on the UI thread, as does every caller. Defaults hold from start-up,
// so the getters answer sensibly even before OpenSettings.
std::array<int, kSettingCount> values = DefaultValues();  // as read through the rules; bools 0/1

// Whether the stored settings were read over the defaults. False while the database was held by
// another program for longer than the busy timeout when the settings opened: the next write
// reads them first.
bool loaded = false;
bool loadFailureTold = false;
// Writes the database did not take (held by another program past the busy timeout): the newest
// value of each setting (and, in the log, every drink), tried again before the next write and at
// close, so a passing lock loses nothing.
std::array<std::optional<int>, kSettingCount> pendingSettings;

void ResetToDefaults() {
    values = DefaultValues();
    loaded = false;
    loadFailureTold = false;
    pendingSettings = {};
    DrinkLog::Forget();
}

// Failures that say the file is not a database of ours (another file, another key): such a file
// is let go of and never written to. Anything else (a lock, a full disk) can pass.
bool IsForeignFile(int code) {
    return (code & 0xff) == SQLITE_NOTADB || (code & 0xff) == SQLITE_CORRUPT;
}

void WarnFailure(const char* what) {
    qCWarning(lcData).nospace() << what << ": " << Session().ErrorMessage().c_str() << " ("
                                << Session().Path().c_str() << ")";
}

bool LoadStored();

QString saveProblem;

void SetSaveProblem(const QString& problem) {
    if (problem == saveProblem) return;
    saveProblem = problem;
    emit SettingsNotifier::Instance().saveProblemChanged(problem);
}

// What an error of the database means for the user; empty for a passing lock.
QString ProblemOf(int code) {
    switch (code & 0xff) {
        case SQLITE_OK:
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return {};
        case SQLITE_READONLY:
        case SQLITE_PERM:
            return QStringLiteral("数据文件只读");
        case SQLITE_FULL:
            return QStringLiteral("磁盘已满");
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            return QStringLiteral("数据文件无法识别");
        case SQLITE_CANTOPEN:
            return QStringLiteral("无法创建或打开数据文件");
        default:
            return QStringLiteral("数据文件读写出错");
    }
}

// Stores what the caller chose; the value in memory is what that reads as. A choice that reads
// as the value in hand writes nothing, so a page echoing a value back leaves the stored text.
// Another program holding the file (a second instance, a backup, a database browser) is waited
// for no longer than a frame on the UI thread. What it refuses is kept and tried again on a
// timer, each item once a try, the tries further apart while the lock stays; the way out waits
// once, for at most a second.
constexpr int kWriteWaitMs = 15;
constexpr int kExitWaitMs = 1000;
constexpr int kFirstRetryMs = 250;
constexpr int kLastRetryMs = 8000;

bool AnythingPending() {
    return DrinkLog::UnwrittenDrinks() > 0 ||
           std::any_of(pendingSettings.begin(), pendingSettings.end(),
                       [](const std::optional<int>& v) { return v.has_value(); }) ||
           (Session().IsOpen() && !loaded);
}

QTimer* retryTimer = nullptr;

void Retry() {
    CatchUp();
    if (!retryTimer) return;
    if (!AnythingPending() || !Session().IsOpen()) {
        retryTimer->setInterval(kFirstRetryMs);
        return;
    }
    retryTimer->setInterval(std::min(kLastRetryMs, retryTimer->interval() * 2));
    retryTimer->start();
}

void Store(Setting setting, int value) {
    CatchUp();
    const KeyInfo& info = kKeys[setting];
    const int ruled = Ruled(info, value);
    if (ruled == values[setting]) return;
    values[setting] = ruled;
    if (Session().IsOpen()) {  // else no database this run: the value lives in memory
        pendingSettings[setting].reset();
        const bool written = WriteIntSetting(info.key, value);
        NoteWrite(written);
        if (!written) {
            pendingSettings[setting] = value;
            WarnFailure(info.key);
            RetryLater();
        }
    }
    emit SettingsNotifier::Instance().changed(info.announced);
}

bool Flag(Setting setting) {
    return values[setting] != 0;
}

// The stored text of a key; nullopt when the key has no row or the query fails.
std::optional<std::string> StoredText(const char* key) {
    ResultSet rows;
    if (Session().QueryRows("select value from DataSet where key = ?", rows, {std::string(key)}) !=
        0) {
        return std::nullopt;
    }
    const ResultSet::Row* row = rows.NextRow();
    if (!row || row->empty()) return std::nullopt;
    return row->front();
}

}  // namespace

namespace {

// What the database did not take when the program ended (another program held it past the
// wait, say) is kept beside it, enciphered like it, until the next open has written it in:
// nothing the user was shown as saved is lost. Written to a new file first, then renamed over
// the old one, so a crash leaves the old file or the new one, never half of one.
QString PendingPath() {
    return DatabasePath() + QStringLiteral(".pending");
}

constexpr const char* kCreatePendingSettings =
    "CREATE TABLE IF NOT EXISTS PendingSetting (key TEXT, value INTEGER)";
constexpr const char* kCreatePendingDrinks =
    "CREATE TABLE IF NOT EXISTS PendingDrink (size INTEGER, DrinkDate TEXT, DrinkTime TEXT)";

bool SavePending(const std::string& key) {
    const QString temporary = PendingPath() + QStringLiteral(".new");
    QFile::remove(temporary);
    bool ok = false;
    {
        DatabaseSession file;
        ok = file.Open(QFile::encodeName(temporary).toStdString(), key) == 0 &&
             file.ExecStatement(kCreatePendingSettings) == SQLITE_DONE &&
             file.ExecStatement(kCreatePendingDrinks) == SQLITE_DONE &&
             file.ExecStatement("BEGIN") == SQLITE_DONE;
        for (std::size_t i = 0; ok && i < kSettingCount; ++i) {
            if (!pendingSettings[i]) continue;
            ok = file.ExecStatement("insert into PendingSetting (key, value) values (?, ?)",
                                    {std::string(kKeys[i].key),
                                     static_cast<long long>(*pendingSettings[i])}) == SQLITE_DONE;
        }
        for (const DrinkLog::UnwrittenDrink& drink : DrinkLog::Unwritten())
            ok = ok &&
                 file.ExecStatement(
                     "insert into PendingDrink (size, DrinkDate, DrinkTime) values (?, ?, ?)",
                     {static_cast<long long>(drink.size), drink.date, drink.time}) == SQLITE_DONE;
        ok = ok && file.ExecStatement("COMMIT") == SQLITE_DONE;
    }
    ok = ok && ::rename(QFile::encodeName(temporary).constData(),
                        QFile::encodeName(PendingPath()).constData()) == 0;
    if (!ok) QFile::remove(temporary);
    return ok;
}

// Takes what an earlier run kept back into memory, as if this run had not written it yet.
void LoadPending(const std::string& key) {
    if (!QFile::exists(PendingPath())) return;
    DatabaseSession file;
    ResultSet settings, drinks;
    if (file.Open(QFile::encodeName(PendingPath()).toStdString(), key) != 0 ||
        file.QueryRows("select key, value from PendingSetting", settings) != 0 ||
        file.QueryRows("select size, DrinkDate, DrinkTime from PendingDrink", drinks) != 0) {
        qCWarning(lcData).noquote()
            << "the pending file cannot be read, left as it is:" << PendingPath();
        return;
    }
    while (const ResultSet::Row* row = settings.NextRow()) {
        for (const KeyInfo& info : kKeys)
            if (row->size() == 2 && (*row)[0] == info.key)
                pendingSettings[info.setting] = LenientInt((*row)[1]);
    }
    while (const ResultSet::Row* row = drinks.NextRow())
        if (row->size() == 3)
            DrinkLog::KeepUnwritten({LenientInt((*row)[0]), (*row)[1], (*row)[2]});
}

// Once everything kept is in the database, the pending file has done its work.
void DropPendingFileWhenDone() {
    if (Session().IsOpen() && loaded && !AnythingPending() && QFile::exists(PendingPath()))
        QFile::remove(PendingPath());
}

std::string openKey;  // the key of the open database, for its pending file

}  // namespace

DatabaseSession& Session() {
    static DatabaseSession session;
    return session;
}

QString DatabasePath() {
    return DataFolder::GetDataFolder() + '/' + kDatabaseFileName;
}

bool OpenSettings() {
    return OpenSettingsWithKey(kDatabaseKey);
}

namespace {

// Which file on the disk the session has open.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity IdentityOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) return {};
    return {info.st_dev, info.st_ino};
}

FileIdentity openedFile;

// The file the user's data lives in may change under the program: a backup put back with mv,
// the file deleted. Writes go to the file at the path, never to one nobody will read again: a
// file put there is read (it is what the user chose to have), a missing one made anew with what
// the program holds.
void FollowTheFile() {
    const FileIdentity now = IdentityOf(DatabasePath());
    if (now == openedFile) return;
    const bool gone = now.inode == 0;
    qCWarning(lcData).noquote() << (gone ? "the database file was removed, made anew:"
                                         : "the database file was replaced, reading the new one:")
                                << DatabasePath();
    if (gone)
        for (const KeyInfo& info : kKeys) pendingSettings[info.setting] = values[info.setting];
    if (Session().Open(DatabasePath().toStdString(), openKey) != 0) {
        WarnFailure("the settings cannot be opened");
        SetSaveProblem(ProblemOf(Session().ErrorCode()));
        return;
    }
    openedFile = IdentityOf(DatabasePath());
    loaded = false;  // read below, the values still to write over what it holds
}

}  // namespace

void CatchUp() {
    if (!Session().IsOpen()) return;
    FollowTheFile();
    if (!Session().IsOpen()) return;
    if (!loaded) {
        if (!LoadStored()) return;
        emit SettingsNotifier::Instance().reloaded();  // the stored values replaced the defaults
    }
    for (size_t i = 0; i < kSettingCount; ++i) {
        if (!pendingSettings[i]) continue;
        const bool written = WriteIntSetting(kKeys[i].key, *pendingSettings[i]);
        NoteWrite(written);
        if (written) pendingSettings[i].reset();
    }
    DrinkLog::WritePending();
    DropPendingFileWhenDone();
}

namespace {

// Makes the tables and reads every stored setting over the defaults (and over the values whose
// writes are still pending, which are newer). False when the database would not answer.
bool LoadStored() {
    if (!EnsureTable("DataSet", kCreateDataSet) || !DrinkLog::MakeTable()) {
        if (IsForeignFile(Session().ErrorCode())) {
            // Not our database or not our key. Let go of it, so nothing written later in this
            // run can land in a file we could not read.
            WarnFailure("not a settings database, left as it is");
            SetSaveProblem(ProblemOf(Session().ErrorCode()));
            Session().Close();
        } else if (!loadFailureTold) {
            // Held by another program: the next write tries again (and says nothing new).
            WarnFailure("the settings cannot be read yet");
            loadFailureTold = true;
        }
        return false;
    }
    for (const KeyInfo& info : kKeys) {
        // A missing key keeps its default and is not written; the stored text is never rewritten.
        if (const std::optional<std::string> text = StoredText(info.key))
            values[info.setting] = RuledText(info, *text);
        if (pendingSettings[info.setting])
            values[info.setting] = Ruled(info, *pendingSettings[info.setting]);
    }
    loaded = true;
    DrinkLog::ResumToday();
    return true;
}

}  // namespace

bool OpenSettingsWithKey(const std::string& key) {
    ResetToDefaults();
    // Not checked: when the folder cannot be made, the open below fails and says so.
    DataFolder::CreateFolderChain(DataFolder::GetDataFolder());
    Session().SetBusyTimeout(kWriteWaitMs);
    openKey = key;
    LoadPending(key);
    bool ok = Session().Open(DatabasePath().toStdString(), key) == 0;
    if (!ok) {
        WarnFailure("the settings cannot be opened");
        SetSaveProblem(ProblemOf(Session().ErrorCode()));
    }
    openedFile = IdentityOf(DatabasePath());
    ok = ok && LoadStored();
    if (ok) SetSaveProblem({});
    if (ok) CatchUp();                                // what an earlier run kept goes in now
    if (Session().IsOpen() && !loaded) RetryLater();  // held now: read once the lock passes
    emit SettingsNotifier::Instance().reloaded();
    return ok;
}

QString SaveProblem() {
    return saveProblem;
}

void NoteWrite(bool ok) {
    SetSaveProblem(ok ? QString() : ProblemOf(Session().ErrorCode()));
}

void RetryLater() {
    // Without an event loop (a tool) the next write or the close tries again.
    if (!retryTimer && QCoreApplication::instance()) {
        retryTimer = new QTimer(QCoreApplication::instance());
        retryTimer->setSingleShot(true);
        retryTimer->setInterval(kFirstRetryMs);
        QObject::connect(retryTimer, &QTimer::timeout, &Retry);
        QObject::connect(retryTimer, &QObject::destroyed, [] { retryTimer = nullptr; });
    }
    if (retryTimer && !retryTimer->isActive()) retryTimer->start();
}

void CloseSettings() {
    if (retryTimer) retryTimer->stop();
    if (Session().IsOpen() && AnythingPending()) {
        // One wait, of at most a second, for the write lock; then everything kept goes in one
        // transaction, or nothing waits any longer.
        Session().SetBusyTimeout(kExitWaitMs);
        const bool locked = Session().ExecStatement("BEGIN IMMEDIATE") == SQLITE_DONE;
        Session().SetBusyTimeout(locked ? kExitWaitMs : 0);
        CatchUp();
        if (locked && Session().ExecStatement("COMMIT") != SQLITE_DONE)
            Session().ExecStatement("ROLLBACK");
    }
    const auto unsaved = std::count_if(pendingSettings.begin(), pendingSettings.end(),
                                       [](const std::optional<int>& v) { return v.has_value(); });
    const std::size_t drinks = DrinkLog::UnwrittenDrinks();
    if (unsaved > 0 || drinks > 0) {
        const std::string why = Session().ErrorMessage();
        const bool kept = SavePending(openKey);
        qCWarning(lcData).nospace()
            << "closing with " << unsaved << " setting(s) and " << drinks
            << " drink(s) the database did not take (" << why.c_str()
            << "): " << (kept ? "kept for the next start in " : "lost, not even kept in ")
            << PendingPath();
    }
    Session().Close();
    ResetToDefaults();
    emit SettingsNotifier::Instance().reloaded();
}

bool ReadIntSetting(const char* key, int& out) {
    ResultSet rows;
    if (Session().QueryRows("select value from DataSet where key = ?", rows, {std::string(key)}) !=
        0) {
        return false;
    }
    if (const ResultSet::Row* row = rows.NextRow(); row && !row->empty()) {
        out = LenientInt(row->front());
    }
    return true;
}

bool WriteIntSetting(const char* key, int value) {
    ResultSet rows;
    if (Session().QueryRows("select * from DataSet where key = ?", rows, {std::string(key)}) != 0) {
        return false;
    }
    const int rc = rows.RowCount() > 0
                       ? Session().ExecStatement("update DataSet set value = ? where key = ?",
                                                 {static_cast<long long>(value), std::string(key)})
                       : Session().ExecStatement("insert into DataSet (key, value) values(?, ?)",
                                                 {std::string(key), static_cast<long long>(value)});
    return rc == SQLITE_DONE;
}

bool EnsureTable(const char* name, const char* createStatement) {
    ResultSet rows;
    if (Session().QueryRows("select * from sqlite_master where type='table' and name=?", rows,
                            {std::string(name)}) != 0) {
        return false;
    }
    if (rows.RowCount() > 0) return true;
    return Session().ExecStatement(createStatement) == SQLITE_DONE;
}

bool GetEyeProtectOn() {
    return Flag(kEyeProtectOn);
}
void StoreEyeProtectOn(bool on) {
    Store(kEyeProtectOn, on ? 1 : 0);
}
int GetPercent() {
    return values[kPercent];
}
void StorePercent(int percent) {
    Store(kPercent, percent);
}

bool GetRemindOnTime() {
    return Flag(kRemindOnTime);
}
void SetRemindOnTime(bool on) {
    Store(kRemindOnTime, on ? 1 : 0);
}
bool GetRemindFullScreen() {
    return Flag(kRemindFullScreen);
}
void SetRemindFullScreen(bool on) {
    Store(kRemindFullScreen, on ? 1 : 0);
}
bool GetRemindSound() {
    return Flag(kRemindSound);
}
void SetRemindSound(bool on) {
    Store(kRemindSound, on ? 1 : 0);
}
int GetCountDownSecond() {
    return values[kCountDownSecond];
}
void SetCountDownSecond(int seconds) {
    Store(kCountDownSecond, seconds);
}
int GetRelaxMinute() {
    return values[kRelaxMinute];
}
void SetRelaxMinute(int minutes) {
    Store(kRelaxMinute, minutes);
}
int GetRemindHour() {
    return values[kRemindHour];
}
void SetRemindHour(int hours) {
    Store(kRemindHour, hours);
}
int GetRemindMinute() {
    return values[kRemindMinute];
}
void SetRemindMinute(int minutes) {
    Store(kRemindMinute, minutes);
}

bool GetRemindOnTimeDrk() {
    return Flag(kRemindOnTimeDrk);
}
void SetRemindOnTimeDrk(bool on) {
    Store(kRemindOnTimeDrk, on ? 1 : 0);
}
bool GetDrinkSound() {
    return Flag(kDrinkSound);
}
void SetDrinkSound(bool on) {
    Store(kDrinkSound, on ? 1 : 0);
}
bool GetRemindSoundDrk() {
    return Flag(kRemindSoundDrk);
}
void SetRemindSoundDrk(bool on) {
    Store(kRemindSoundDrk, on ? 1 : 0);
}
bool GetPauseWhenAway() {
    return Flag(kPauseWhenAway);
}
void SetPauseWhenAway(bool on) {
    Store(kPauseWhenAway, on ? 1 : 0);
}
bool GetDeferWhenBusy() {
    return Flag(kDeferWhenBusy);
}
void SetDeferWhenBusy(bool on) {
    Store(kDeferWhenBusy, on ? 1 : 0);
}
int GetAwaySecond() {
    return values[kAwaySecond];
}
void SetAwaySecond(int seconds) {
    Store(kAwaySecond, seconds);
}

int GetDrinkTargetDay() {
    return values[kDrinkTargetDay];
}
void SetDrinkTargetDay(int millilitres) {
    Store(kDrinkTargetDay, millilitres);
}
int GetDrinkTargetOnce() {
    return values[kDrinkTargetOnce];
}
void SetDrinkTargetOnce(int millilitres) {
    Store(kDrinkTargetOnce, millilitres);
}
int GetRemindHourDrk() {
    return values[kRemindHourDrk];
}
void SetRemindHourDrk(int hours) {
    Store(kRemindHourDrk, hours);
}
int GetRemindMinuteDrk() {
    return values[kRemindMinuteDrk];
}
void SetRemindMinuteDrk(int minutes) {
    Store(kRemindMinuteDrk, minutes);
}

int LenientInt(const std::string& text) {
    return ::LenientInt(std::string_view(text));
}

}  // namespace SettingsStore
