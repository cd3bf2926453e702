#include "reminders/reminder_sounds.h"

#include "data/clock.h"
#include "reminders/log.h"

namespace Reminders {

bool ReminderSounds::ReminderSounding() const {
    if (!sounding_.isValid()) return false;
    const qint64 age = sounding_.secsTo(Clock::Current().Now());
    return age >= 0 && age < kLongestSoundSecs;
}

bool ReminderSounds::Play(SoundMoment moment, platform::Cue cue, bool on) {
    if (!on || !player_) return false;
    if (quiet_ && quiet_()) {
        qCDebug(lcReminders) << "a sound kept quiet: the user is busy";
        return false;
    }
    if (moment == SoundMoment::Done) {
        player_->Play(cue, {});
        return true;
    }
    if (ReminderSounding()) {
        qCDebug(lcReminders) << "a reminder's sound dropped: another one plays";
        return false;
    }
    sounding_ = Clock::Current().Now();
    const unsigned serial = ++serial_;
    player_->Play(cue, [this, serial, alive = std::weak_ptr<bool>(alive_)] {
        if (alive.lock() && serial == serial_) sounding_ = QDateTime();
    });
    return true;
}

}  // namespace Reminders
