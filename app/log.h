#pragma once

#include <QLoggingCategory>

// Warnings of the shell: start-up, single instance, tray, auto-start ("vita.app"). Quiet when all
// is well; QT_LOGGING_RULES="vita.app.debug=true" shows its debug output too.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
