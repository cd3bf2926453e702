#include "eye/log.h"

Q_LOGGING_CATEGORY(lcEye, "vita.eye", QtWarningMsg)
