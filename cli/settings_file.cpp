#include "cli/settings_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/arguments.h"
#include "core/res/strings.h"

namespace {

namespace fs = std::filesystem;

// Port numbers the command line takes, as --port does; 1 when none is saved.
constexpr int kDefaultPort = 1;
constexpr long kMaxPort = 255;

std::string Trim(const std::string& s) {
    const auto begin = s.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return {};
    const auto end = s.find_last_not_of(" \t\r");
    return s.substr(begin, end - begin + 1);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Section and key names: Qt writes characters outside [A-Za-z0-9_-.] as %XX.
std::string UnescapeName(const std::string& name) {
    std::string result;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '%' && i + 2 < name.size() && HexDigit(name[i + 1]) >= 0 &&
            HexDigit(name[i + 2]) >= 0) {
            result += static_cast<char>(HexDigit(name[i + 1]) * 16 + HexDigit(name[i + 2]));
            i += 2;
        } else {
            result += name[i];
        }
    }
    return result;
}

// Values: Qt quotes strings that need it and escapes \\ \" \n \t \r \xHH inside them.
std::string UnescapeValue(const std::string& raw) {
    std::string result;
    bool quoted = false;
    bool sawQuote = false;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '"') {
            quoted = !quoted;
            sawQuote = true;
            continue;
        }
        if (c == '\\' && i + 1 < raw.size()) {
            const char next = raw[++i];
            switch (next) {
                case 'n':
                    result += '\n';
                    break;
                case 't':
                    result += '\t';
                    break;
                case 'r':
                    result += '\r';
                    break;
                case 'x': {
                    int value = 0;
                    while (i + 1 < raw.size() && HexDigit(raw[i + 1]) >= 0) {
                        value = value * 16 + HexDigit(raw[++i]);
                    }
                    result += static_cast<char>(value);
                    break;
                }
                default:
                    result += next;
                    break;
            }
            continue;
        }
        if (c == ';' && !quoted) break;                                // a comment after the value
        if (!quoted && sawQuote && (c == ' ' || c == '\t')) continue;  // around the quotes
        result += c;
    }
    return sawQuote ? result : Trim(result);
}

}  // namespace

std::string SettingsFile::DefaultPath() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.config";
    } else {
        return {};
    }
    return base + "/" + text::kProfileOrganisation + "/" + text::kProfileApplication + ".conf";
}

bool SettingsFile::Load(const std::string& path) {
    m_values.clear();
    m_path = path;
    m_problem.clear();
    const std::string subject = "the settings file " + path;
    // Only a regular file of sane size is read: a link to /dev/zero must not eat the memory,
    // nor a named pipe hold the command up for ever.
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (ec || !fs::exists(status)) {
        if (ec && ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory) {
            m_problem = subject + " cannot be read (" + ec.message() + ")";
        }
        return false;
    }
    if (!fs::is_regular_file(status)) {
        m_problem = subject + " is not a regular file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        m_problem = subject + " cannot be read (" + std::strerror(errno) + ")";
        return false;
    }
    // Read in pieces up to one byte more than allowed: that tells a file too large, also one
    // that grows while it is read or claims no size at all.
    std::string text;
    char piece[16 * 1024];
    while (text.size() <= kMaxBytes && in.read(piece, sizeof piece).gcount() > 0) {
        text.append(piece, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        m_problem = subject + " cannot be read";
        return false;
    }
    if (text.size() > kMaxBytes) {
        m_problem = subject + " is larger than " + std::to_string(kMaxBytes / 1024) + " KiB";
        return false;
    }
    Parse(text);
    return true;
}

void SettingsFile::Parse(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    std::string section = "General";
    while (std::getline(lines, line)) {
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') continue;
        if (trimmed.front() == '[') {
            const auto close = trimmed.find(']');
            section = UnescapeName(
                trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            continue;
        }
        const auto equals = trimmed.find('=');
        if (equals == std::string::npos) continue;
        std::string key = UnescapeName(Trim(trimmed.substr(0, equals)));
        // "COMM/PORT" under [General] is the same value as PORT under [COMM].
        std::string keySection = section;
        if (const auto slash = key.rfind('/'); slash != std::string::npos) {
            keySection =
                section == "General" ? key.substr(0, slash) : section + "/" + key.substr(0, slash);
            key = key.substr(slash + 1);
        }
        m_values[keySection][key] = UnescapeValue(trimmed.substr(equals + 1));
    }
}

std::optional<std::string> SettingsFile::Value(const std::string& section,
                                               const std::string& key) const {
    const auto s = m_values.find(section);
    if (s == m_values.end()) return std::nullopt;
    const auto k = s->second.find(key);
    if (k == s->second.end()) return std::nullopt;
    return k->second;
}

int SettingsFile::SavedPort() const {
    const auto value = Value(text::kSectionComm, text::kValuePort);
    if (!value) return kDefaultPort;
    const auto port = ParseInteger(*value, 1, kMaxPort);
    return port ? static_cast<int>(*port) : kDefaultPort;
}

std::string SettingsFile::SavedPortProblem() const {
    const auto value = Value(text::kSectionComm, text::kValuePort);
    if (!value || ParseInteger(*value, 1, kMaxPort)) return {};
    return std::string(text::kValuePort) + "=" + *value + " in [" + text::kSectionComm + "] of " +
           (m_path.empty() ? std::string("the settings file") : m_path) +
           " is not a port number from 1 to " + std::to_string(kMaxPort);
}

std::string SettingsFile::DeviceForPort(int port) const {
    return Value(text::kSectionComm, text::kValueDevicePrefix + std::to_string(port))
        .value_or(std::string());
}
