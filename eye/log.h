#pragma once

#include <QLoggingCategory>

// Warnings of the blue-light filter and its display backends ("vita.eye"). Quiet when all is well;
// QT_LOGGING_RULES="vita.eye.debug=true" shows its debug output too.
Q_DECLARE_LOGGING_CATEGORY(lcEye)
