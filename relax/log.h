#pragma once

#include <QLoggingCategory>

// Warnings of the relax feature: settings, prompt, lock screen ("vita.relax"). Quiet when all is
// well; QT_LOGGING_RULES="vita.relax.debug=true" shows its debug output too.
Q_DECLARE_LOGGING_CATEGORY(lcRelax)
