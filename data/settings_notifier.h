#pragma once

#include <QObject>

// The settings a program part may follow; each names one stored key (or, for TodayTotal, the
// day's sum of the drink log).
enum class SettingsKey {
    EyeProtectOn,
    Percent,
    RemindOnTime,
    RemindFullScreen,
    RemindSound,
    CountDownSecond,
    RelaxMinute,
    RemindHour,
    RemindMinute,
    RemindOnTimeDrk,
    DrinkSound,
    RemindSoundDrk,
    DrinkTargetDay,
    DrinkTargetOnce,
    RemindHourDrk,
    RemindMinuteDrk,
    PauseWhenAway,
    DeferWhenBusy,
    AwaySecond,
    TodayTotal,
};

// Announces the store's changes, so that pages and reminders follow them instead of asking
// again and again: changed() after a setting took a new value, reloaded() after the store was
// opened or closed (every value may be another then).
class SettingsNotifier : public QObject {
    Q_OBJECT
  public:
    static SettingsNotifier& Instance();

  signals:
    void changed(SettingsKey key);
    void reloaded();
    // What keeps the user's changes from being saved changed (empty: they are saved again).
    void saveProblemChanged(const QString& problem);

  private:
    SettingsNotifier() = default;
};
