#pragma once
#include <map>
#include <optional>
#include <string>

// Reads the window program's settings file (Qt's INI format) without Qt: the saved port and
// the port-to-device mapping are all the command line needs from it.
class SettingsFile {
public:
    // $XDG_CONFIG_HOME/QP2400/QP2400.conf, else ~/.config/QP2400/QP2400.conf.
    static std::string DefaultPath();

    // False when the file cannot be read (a missing file simply has no values).
    bool Load(const std::string& path);
    // Parses the text of a settings file.
    void Parse(const std::string& text);

    // The value of key in section, unescaped as Qt writes it; nothing when absent.
    std::optional<std::string> Value(const std::string& section, const std::string& key) const;

    // "COMM"/"PORT": the saved port, 1 when absent or not a port number.
    int SavedPort() const;
    // "COMM"/"DEVICE<n>": the device of port n, empty when not set.
    std::string DeviceForPort(int port) const;

private:
    std::map<std::string, std::map<std::string, std::string>> m_values;
};
