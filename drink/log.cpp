#include "drink/log.h"

Q_LOGGING_CATEGORY(lcDrink, "vita.drink", QtWarningMsg)
