#pragma once

#include <QDateTime>
#include <functional>
#include <memory>

#include "platform/sound_player.h"

namespace Reminders {

// When a reminder may be heard.
enum class SoundMoment {
    Comes,  // the reminder appears
    Ends,   // what it asked for is over, by itself
    Done,   // the user did what it asked: the answer to a click
};

// What the reminders let be heard. A sound plays only while its switch is on and the user is
// not busy (a call, do-not-disturb). The sounds of reminders that come or end never play over
// each other: one asked for while another plays is dropped. The answer to the user's own click
// plays whatever else does.
class ReminderSounds {
  public:
    // A sound the player never says is over counts as over after this long.
    static constexpr int kLongestSoundSecs = 30;

    // The player in use (not owned); silent until one is given.
    void Use(platform::SoundPlayer* player) { player_ = player; }
    // Asked before each sound: whether the user is not to be disturbed now. Never, until set.
    void SetQuiet(std::function<bool()> quiet) { quiet_ = std::move(quiet); }

    // Plays `cue` for `moment` under a switch that is `on`; whether it was started.
    bool Play(SoundMoment moment, platform::Cue cue, bool on);
    // Whether a reminder's sound plays now.
    bool ReminderSounding() const;

  private:
    platform::SoundPlayer* player_ = nullptr;
    std::function<bool()> quiet_;
    // The one reminder sound that plays, by the moment it started (a counter tells it apart
    // from a later one whose end is still to come).
    QDateTime sounding_;
    unsigned serial_ = 0;
    // A player may say a sound is over after these rules are gone (at exit).
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace Reminders
