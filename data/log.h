#pragma once

#include <QLoggingCategory>

// Warnings of the settings store and the database ("vita.data"). Quiet when all is well;
// QT_LOGGING_RULES="vita.data.debug=true" shows its debug output too.
Q_DECLARE_LOGGING_CATEGORY(lcData)
