#include "ui/log.h"

Q_LOGGING_CATEGORY(lcUi, "vita.ui", QtWarningMsg)
