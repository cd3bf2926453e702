#pragma once

#include <QLoggingCategory>

// Warnings of the drink feature: settings, reminders, drink-now panel, achievements ("vita.drink").
// Quiet when all is well; QT_LOGGING_RULES="vita.drink.debug=true" shows its debug output too.
Q_DECLARE_LOGGING_CATEGORY(lcDrink)
