#include "reminders/log.h"

Q_LOGGING_CATEGORY(lcReminders, "vita.reminders", QtWarningMsg)
