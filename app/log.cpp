#include "app/log.h"

Q_LOGGING_CATEGORY(lcApp, "vita.app", QtWarningMsg)
