#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>

// Reads the window program's settings file (Qt's INI format) without Qt: the saved port and
// the port-to-device mapping are all the command line needs from it.
class SettingsFile {
public:
    // $XDG_CONFIG_HOME/QP2400/QP2400.conf, else ~/.config/QP2400/QP2400.conf.
    static std::string DefaultPath();

    // Larger than this, a file is not one the window program wrote.
    static constexpr std::uintmax_t kMaxBytes = 1024 * 1024;

    // False when nothing was read. A missing file simply has no values; one that is there but
    // cannot be used (not a regular file, too large, not readable) has none either, and
    // Problem() says why.
    bool Load(const std::string& path);
    // "the settings file PATH is not a regular file"; empty when there was nothing to tell.
    const std::string& Problem() const { return m_problem; }
    // Parses the text of a settings file.
    void Parse(const std::string& text);

    // The value of key in section, unescaped as Qt writes it; nothing when absent.
    std::optional<std::string> Value(const std::string& section, const std::string& key) const;

    // "COMM"/"PORT": the saved port, 1 when absent or not a port number.
    int SavedPort() const;
    // What is wrong with "COMM"/"PORT", naming the file, the key and its value; empty when it
    // is absent or a port number.
    std::string SavedPortProblem() const;
    // "COMM"/"DEVICE<n>": the device of port n, empty when not set.
    std::string DeviceForPort(int port) const;

private:
    std::map<std::string, std::map<std::string, std::string>> m_values;
    std::string m_path;
    std::string m_problem;
};
