#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/settings/ini_document.h"

// Port numbers: the saved port and --port take 1 to 255, the window's Port menu 1 to 9.
inline constexpr int kDefaultPort = 1;
inline constexpr int kHighestPort = 255;
inline constexpr int kHighestMenuPort = 9;

// The device of port n where the settings name none: COM1 is the first serial port,
// /dev/ttyS0.
std::string StandardDeviceForPort(int port);

// What keeps a file under the settings file's name from being one. A settings file is a few
// hundred bytes of text; anything else under its name (a link to /dev/zero, a pipe, a folder,
// a file grown huge) must never be read whole: it would grow the program's memory without
// bound, or wait for ever.
struct SettingsFileProblem {
    enum class Kind { None, Folder, Device, Pipe, NotRegular, TooLarge, Unreadable };
    Kind kind = Kind::None;
    std::uintmax_t size = 0;  // TooLarge: the bytes it has, at least
    std::string reason;       // Unreadable: the system's reason
};

// COMM/PORT as saved.
struct PortSetting {
    int port = kDefaultPort;  // kDefaultPort when absent or wrong
    // The value as written, when it is there but no port from 1 to the highest.
    std::optional<std::string> wrongValue;
};

// The settings file both programs share: the window program's settings, in the file and the
// format QSettings gave them ($XDG_CONFIG_HOME/QP2400/QP2400.conf, else
// ~/.config/QP2400/QP2400.conf), groups COMM (PORT, DEVICE<n>, DEVICE), GLOBAL (PATH, LeftPth),
// Settings (X, Y) and Window (the main window's place and layout). Keys it does not know are
// kept when it writes.
class SettingsFile {
public:
    // Larger than this, a file is not one the window program wrote.
    static constexpr std::uintmax_t kMaxBytes = std::uintmax_t{1024} * 1024;

    // $XDG_CONFIG_HOME/QP2400/QP2400.conf, else ~/.config/QP2400/QP2400.conf; empty when the
    // environment names neither folder.
    static std::string DefaultPath();

    SettingsFile() = default;
    // That file, not read yet.
    explicit SettingsFile(std::string path) : m_path(std::move(path)) {}

    // Reads path. A missing file simply has no values. One that is there but cannot be used
    // (not a regular file, too large, not readable) has none either, Problem() says why, and
    // it is never written: from then on until the next Load, what is set stays in memory.
    // False when nothing was read.
    bool Load(const std::string& path);
    // Reads the file of the last Load again, unless that found it unusable (the values in
    // memory stay then); what was set and not yet saved stays set.
    bool Reload();
    // Values from the text of a settings file.
    void Parse(const std::string& text);

    const std::string& Path() const { return m_path; }
    bool Usable() const { return m_problem.kind == SettingsFileProblem::Kind::None; }
    // The problem in the command line's words ("the settings file PATH is not a regular
    // file"); empty when there was nothing to tell.
    std::string Problem() const;
    // The problem in the window program's words ("it is a device, not a file").
    std::string ProblemReason() const;

    // The value of key in section, unescaped as QSettings writes it; nothing when absent.
    std::optional<std::string> Value(const std::string& section, const std::string& key) const;
    // A whole number (an optional '-' and digits); nothing when absent or not one.
    std::optional<int> Number(const std::string& section, const std::string& key) const;
    void SetValue(const std::string& section, const std::string& key, const std::string& value);
    void SetValue(const std::string& section, const std::string& key, int value);
    // Whole numbers separated by commas ("10,20,800,600"): exactly count of them, else nothing.
    std::optional<std::vector<int>> Numbers(const std::string& section, const std::string& key,
                                            std::size_t count) const;
    void SetNumbers(const std::string& section, const std::string& key,
                    const std::vector<int>& values);

    // Writes what was set since the last Load onto the file as it is by now (another copy of a
    // program may have changed it meanwhile), whole or not at all. Nothing is written when
    // nothing was set, or when the file was found unusable: false then, with *error saying why
    // where it could not be written.
    bool Save(std::string* error = nullptr);

    // COMM/PORT: the saved port when it is one from 1 to highest.
    PortSetting Port(int highest) const;
    // The saved port as the command line takes it, 1 when absent or not a port number.
    int SavedPort() const { return Port(kHighestPort).port; }
    // What is wrong with COMM/PORT in the command line's words, naming the file, the key and
    // its value; empty when it is absent or a port number, or when a chosen device (below)
    // makes the port no matter.
    std::string SavedPortProblem() const;
    // The device behind port n: COMM/DEVICE<n> when set, else StandardDeviceForPort(n).
    std::string DeviceForPort(int port) const;
    // COMM/DEVICE: a port of this machine the user chose by its name rather than as COMn, by
    // its /dev/serial/by-id path where it has one. While it is set, it is the port both
    // programs open unless told another; PORT stays as it was. Empty when none.
    std::string ChosenDevice() const;
    // Empty clears it; a file that never had one is not given an empty one.
    void SetChosenDevice(const std::string& device);
    // The device the saved settings open: the chosen device while there is one, else the
    // saved port's.
    std::string SavedDevice() const;

private:
    std::string m_path;
    SettingsFileProblem m_problem;
    IniDocument m_values;
    IniDocument m_changes;  // set since the last Load, for Save
};
