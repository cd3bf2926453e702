#include "relax/log.h"

Q_LOGGING_CATEGORY(lcRelax, "vita.relax", QtWarningMsg)
