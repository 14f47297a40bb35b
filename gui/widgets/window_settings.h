#pragma once
#include "core/settings/settings_file.h"

// The window program's settings for this run, in one place for the application object (the
// port, the folders) and the progress window (where it stands). Start-up loads the user's
// file; when that cannot be a settings file, this run keeps its settings in memory, from the
// defaults, and neither reads nor writes that file again. The user-interface thread only.
SettingsFile& WindowSettings();
