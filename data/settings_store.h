#pragma once

#include <QDateTime>
#include <QString>
#include <string>

class DatabaseSession;

// The process-wide settings of the three features, kept in memory and written through to
// "DataSet.db" at the moment each one changes. The drink log shares the file (data/drink_log.h).
// Changes are announced through SettingsNotifier::Instance() (data/settings_notifier.h).
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
// Both OpenSettings and CloseSettings announce reloaded(), whatever their outcome.
void CloseSettings();
QString DatabasePath();
DatabaseSession& Session();

// Why what the user changes cannot be saved now, in the words the user sees ("数据文件只读",
// "磁盘已满", ...); empty while it is saved. A lock another program holds for a moment is no
// such reason: what it refuses goes in later. Announced by saveProblemChanged().
QString SaveProblem();
// For the log: how a write went, with the session's error when it failed.
void NoteWrite(bool ok);

// Tries the writes another program's lock refused again a little later (on a timer that backs off
// while the lock stays), so nothing waits for the lock on the UI thread.
void RetryLater();

// Generic key access over the `DataSet` table.
bool ReadIntSetting(const char* key, int& out);
bool WriteIntSetting(const char* key, int value);
bool EnsureTable(const char* name, const char* createStatement);
// Before a write to the database: reads the stored settings if the file was held by another
// program when they opened (announcing reloaded()), then writes what earlier writes left behind.
void CatchUp();

// The settings. Each value is read through one rule, at open and when set, and every part of the
// program (pages and reminders alike) uses the value read: a stored text that is no number,
// lies outside the range or is absurd reads as the default; a number in the range but not
// offered by the page's combo reads as the nearest item (the smaller of two as near). Numbers
// count by their whole part ("3.9" is 3); blanks around them are allowed. The stored text stays
// as it is until the user chooses another value.
//
// | key               | default | reads as                                     | set on          |
// |-------------------|---------|----------------------------------------------|-----------------|
// | bEyeProtectOn     | false   | any nonzero number is true                   | eye switch      |
// | nPercent          | 0       | any int; eye/ shows and loads it as 0 to 100 | eye gauge       |
// | bRemindOnTime     | true    | any nonzero number is true                   | relax           |
// | bRemindFullScreen | true    | any nonzero number is true                   | relax           |
// | bRemindSound      | true    | any nonzero number is true                   | relax           |
// | nCountDownSecond  | 15      | 1 to 60, nearest of 3 5 10 15 20 25 30 45 60 | relax combo     |
// | nRelaxMinute      | 10      | 1 to 60, nearest of 3 5 10 15 20 25 30 45 60 | relax combo     |
// | nRemindHour       | 2       | 0 to 6                                       | relax combo     |
// | nRemindMinute     | 0       | 0 to 59, nearest multiple of 5 up to 55      | relax combo     |
// | bRemindOnTimeDrk  | true    | any nonzero number is true                   | drink           |
// | bDrinkSound       | true    | any nonzero number is true                   | drink           |
// | bRemindSoundDrk   | true    | any nonzero number is true                   | drink           |
// | nDrinkTargetDay   | 1500    | 0 to 99999 (the edit takes five digits)      | drink edit      |
// | nDrinkTargetOnce  | 300     | 1 to 99999; so a stored 0 reads as 300       | drink, panel    |
// | nRemindHourDrk    | 0       | 0 to 6                                       | drink combo     |
// | nRemindMinuteDrk  | 30      | 0 to 59, nearest multiple of 5 up to 55      | drink combo     |
// | bPauseWhenAway    | true    | any nonzero number is true                   | drink and relax |
// | bDeferWhenBusy    | true    | any nonzero number is true                   | drink and relax |
// | nAwaySecond       | 300     | 5 to 86400: input unseen this long is away   | (stored only)   |
//
// A setter stores the value given as it is (the rule applies when it is read) and, when the
// value read changes, writes the key through and announces changed(key) once. A value that
// reads as the one in hand writes and announces nothing.
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

// While the user is away both reminder clocks stand still; while busy (a full-screen program,
// do-not-disturb, a call) reminders that fall due wait for the end.
bool GetPauseWhenAway();
void SetPauseWhenAway(bool on);
bool GetDeferWhenBusy();
void SetDeferWhenBusy(bool on);
int GetAwaySecond();
void SetAwaySecond(int seconds);

// Decimal text to int the forgiving way: leading blanks, an optional sign, then digits; 0 when
// there are none; values beyond the int range are clamped.
int LenientInt(const std::string& text);

}  // namespace SettingsStore
