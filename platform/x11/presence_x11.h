#pragma once

#include <memory>

#include "platform/presence.h"
#include "platform/x11/connection.h"

// The parts of a Presence that the X server tells, on the shared connection.
namespace x11 {

// Idle from the X SYNC extension's IDLETIME counter: one alarm when it passes the idle limit, one
// when input brings it back below. A program holding off idleness through logind (a video
// player) keeps the user present for another stretch.
std::unique_ptr<platform::Presence::Part> WatchIdle(Connection& connection,
                                                    platform::Presence& presence);
// The active window full screen (_NET_ACTIVE_WINDOW, _NET_WM_STATE_FULLSCREEN), unless it is one
// of this process's own (the break's lock).
std::unique_ptr<platform::Presence::Part> WatchFullScreen(Connection& connection,
                                                          platform::Presence& presence);

}  // namespace x11
