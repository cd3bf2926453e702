#pragma once

#include <QLoggingCategory>

// Warnings of the toolkit: skin package, layouts, windows ("vita.ui"). Quiet when all is well;
// QT_LOGGING_RULES="vita.ui.debug=true" shows its debug output too.
Q_DECLARE_LOGGING_CATEGORY(lcUi)
