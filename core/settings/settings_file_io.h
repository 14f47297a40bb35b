#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "core/settings/settings_file.h"

// The settings file's bytes on this platform.
namespace settings_io {

// Where the settings are kept here: the file QSettings gives them on this system, or on
// Windows the registry key it gives them ("HKEY_CURRENT_USER\Software\QP2400\QP2400").
// Empty when the environment names no place.
std::string DefaultLocation();
// The device of port n where the settings name none: COM1 is the first serial port.
std::string StandardDevice(int port);

// The text of the file at path when it is a regular file (links followed) of at most limit
// bytes. Nothing otherwise, with *problem saying why, or left at Kind::None when no file is
// there at all.
std::optional<std::string> ReadText(const std::string& path, std::uintmax_t limit,
                                    SettingsFileProblem* problem);

// Replaces the file at path (the file a link there points to) with text, whole or not at all,
// keeping its permissions; makes its folder when missing. False with *error when it could not.
bool WriteText(const std::string& path, const std::string& text, std::string* error);

}  // namespace settings_io
