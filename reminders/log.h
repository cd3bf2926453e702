#pragma once

#include <QLoggingCategory>

// The reminders' clocks and gate ("vita.reminders"). Quiet when all is well;
// QT_LOGGING_RULES="vita.reminders.debug=true" shows when each reminder is due and when it comes.
Q_DECLARE_LOGGING_CATEGORY(lcReminders)
