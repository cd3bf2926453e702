#include "data/settings_notifier.h"

SettingsNotifier& SettingsNotifier::Instance() {
    static SettingsNotifier notifier;
    return notifier;
}
