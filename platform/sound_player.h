#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace platform {

// The sounds the program makes: three from the desktop's sound theme (freedesktop event names),
// one of its own.
enum class Cue {
    Message,   // "message-new-instant": something came to be looked at
    Bell,      // "bell": time for something
    Complete,  // "complete": something is over
    Water,     // our own few droplets
};

// The desktop's choice of event sounds (XSETTINGS Net/SoundThemeName, Net/EnableEventSounds);
// a field left empty is the sound library's default.
struct SoundTheme {
    QString name;
    std::optional<bool> enabled;
};

// Plays short event sounds through the user's sound server, volume and output.
class SoundPlayer {
  public:
    virtual ~SoundPlayer() = default;
    // Starts `cue` and returns at once. `ended` comes afterwards on the UI thread, never from
    // inside this call, once the sound is over: played out, refused or failed.
    virtual void Play(Cue cue, std::function<void()> ended) = 0;
};

// Plays nothing; each `ended` comes from the event loop.
std::unique_ptr<SoundPlayer> MakeSilentPlayer();

// Through libcanberra, on a thread of its own that it starts with the first sound: opening the
// sound server never holds up the UI or the start. `theme` is asked on the UI thread at each
// sound. Without a sound server or a theme it stays silent and says so once.
std::unique_ptr<SoundPlayer> MakeCanberraPlayer(std::function<SoundTheme()> theme = {});

}  // namespace platform
