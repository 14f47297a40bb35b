#include "gui/widgets/window_settings.h"

SettingsFile& WindowSettings() {
    static SettingsFile settings(SettingsFile::DefaultPath());
    return settings;
}
