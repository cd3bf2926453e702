#pragma once

#include <QLoggingCategory>

// Warnings of the desktop services: gamma ramps, window hints, the tray watch, auto-start
// ("vita.platform"). Quiet when all is well; QT_LOGGING_RULES="vita.platform.debug=true" shows
// its debug output too.
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
