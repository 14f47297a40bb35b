#include "core/settings/settings_file.h"

#include <cctype>
#include <cstdlib>

#include "core/base/number_text.h"
#include "core/res/strings.h"
#include "core/res/text_format.h"
#include "core/settings/settings_file_io.h"

namespace {

using Kind = SettingsFileProblem::Kind;

// "DEVICE<n>" in any case: the port number n, else 0.
int DevicePort(const std::string& key) {
    const char* kDevicePrefix = text::kValueDevicePrefix;
    const std::size_t prefix = std::char_traits<char>::length(kDevicePrefix);
    if (key.size() <= prefix) return 0;
    for (std::size_t i = 0; i < prefix; ++i) {
        if (std::toupper(static_cast<unsigned char>(key[i])) != kDevicePrefix[i]) return 0;
    }
    return static_cast<int>(ParseInteger(key.substr(prefix), 1, kHighestPort).value_or(0));
}

}  // namespace

std::string StandardDeviceForPort(int port) {
    return settings_io::StandardDevice(port);
}

std::string SettingsFile::DefaultPath() {
    return settings_io::DefaultLocation();
}

bool SettingsFile::Load(const std::string& path) {
    m_path = path;
    m_problem = {};
    m_values = {};
    m_changes = {};
    if (path.empty()) return false;
    const auto text = settings_io::ReadText(path, kMaxBytes, &m_problem);
    if (!text) return false;
    Parse(*text);
    return true;
}

bool SettingsFile::Reload() {
    if (!Usable()) return false;
    // What was set and could not be written yet stays set.
    IniDocument changes = std::move(m_changes);
    const bool read = Load(m_path);
    m_values.Apply(changes);
    m_changes = std::move(changes);
    return read;
}

void SettingsFile::Parse(const std::string& text) {
    m_values = IniDocument::Parse(text);
}

std::string SettingsFile::Problem() const {
    switch (m_problem.kind) {
        case Kind::None:
            return {};
        case Kind::TooLarge:
            return text::Format(text::kCliSettingsTooLarge, m_path, kMaxBytes / 1024);
        case Kind::Unreadable:
            return text::Format(text::kCliSettingsUnreadable, m_path, m_problem.reason);
        default:
            return text::Format(text::kCliSettingsNotRegular, m_path);
    }
}

std::string SettingsFile::ProblemReason() const {
    switch (m_problem.kind) {
        case Kind::None:
            return {};
        case Kind::Folder:
            return text::kSettingsIsFolder;
        case Kind::Device:
            return text::kSettingsIsDevice;
        case Kind::Pipe:
            return text::kSettingsIsPipe;
        case Kind::NotRegular:
            return text::kSettingsNotRegular;
        case Kind::TooLarge:
            return text::Format(text::kSettingsTooLong, m_problem.size);
        case Kind::Unreadable:
            return m_problem.reason;
    }
    return {};
}

std::optional<std::string> SettingsFile::Value(const std::string& section,
                                               const std::string& key) const {
    return m_values.Value(section, key);
}

std::optional<int> SettingsFile::Number(const std::string& section, const std::string& key) const {
    const auto value = Value(section, key);
    if (!value) return std::nullopt;
    const auto number = ParseInteger(*value, -0x7FFFFFFFL, 0x7FFFFFFFL);
    if (!number) return std::nullopt;
    return static_cast<int>(*number);
}

void SettingsFile::SetValue(const std::string& section, const std::string& key,
                            const std::string& value) {
    m_values.SetValue(section, key, value);
    m_changes.SetValue(section, key, value);
}

void SettingsFile::SetValue(const std::string& section, const std::string& key, int value) {
    SetValue(section, key, std::to_string(value));
}

std::optional<std::vector<int>> SettingsFile::Numbers(const std::string& section,
                                                      const std::string& key,
                                                      std::size_t count) const {
    const auto value = Value(section, key);
    if (!value) return std::nullopt;
    std::vector<int> numbers;
    std::size_t start = 0;
    while (start <= value->size()) {
        std::size_t end = value->find(',', start);
        if (end == std::string::npos) end = value->size();
        std::string item = value->substr(start, end - start);
        // QSettings writes its lists with a space after each comma.
        const auto first = item.find_first_not_of(' ');
        const auto last = item.find_last_not_of(' ');
        item = first == std::string::npos ? std::string() : item.substr(first, last - first + 1);
        const auto number = ParseInteger(item, -0x7FFFFFFFL, 0x7FFFFFFFL);
        if (!number) return std::nullopt;
        numbers.push_back(static_cast<int>(*number));
        start = end + 1;
    }
    if (numbers.size() != count) return std::nullopt;
    return numbers;
}

void SettingsFile::SetNumbers(const std::string& section, const std::string& key,
                              const std::vector<int>& values) {
    std::string text;
    for (const int value : values) {
        if (!text.empty()) text += ',';
        text += std::to_string(value);
    }
    SetValue(section, key, text);
}

bool SettingsFile::Save(std::string* error) {
    if (m_changes.Empty() || !Usable() || m_path.empty()) return false;
    // What the file holds by now, with this program's changes on top: keys another program
    // (or another copy of this one) wrote meanwhile are kept.
    SettingsFileProblem problem;
    const auto text = settings_io::ReadText(m_path, kMaxBytes, &problem);
    if (problem.kind != Kind::None) {
        // Turned into something that is no settings file since: left alone.
        m_problem = problem;
        return false;
    }
    IniDocument document = IniDocument::Parse(text.value_or(std::string()));
    document.Apply(m_changes);
    if (!settings_io::WriteText(m_path, document.Text(), error)) return false;
    m_values = std::move(document);
    m_changes = {};
    return true;
}

PortSetting SettingsFile::Port(int highest) const {
    PortSetting setting;
    const auto value = Value(text::kSectionComm, text::kValuePort);
    if (!value) return setting;  // the first run
    if (const auto port = ParseInteger(*value, 1, highest)) {
        setting.port = static_cast<int>(*port);
    } else {
        setting.wrongValue = *value;
    }
    return setting;
}

std::string SettingsFile::SavedPortProblem() const {
    const PortSetting setting = Port(kHighestPort);
    if (!setting.wrongValue || !ChosenDevice().empty()) return {};
    return text::Format(text::kCliSettingsBadPort, text::kValuePort, *setting.wrongValue,
                        text::kSectionComm, m_path.empty() ? "the settings file" : m_path,
                        kHighestPort);
}

std::string SettingsFile::DeviceForPort(int port) const {
    const std::string exact = text::kValueDevicePrefix + std::to_string(port);
    if (auto device = Value(text::kSectionComm, exact); device && !device->empty()) return *device;
    // Written by hand, the key may not be in capitals ("device3").
    for (const std::string& key : m_values.Keys(text::kSectionComm)) {
        if (DevicePort(key) != port) continue;
        if (auto device = Value(text::kSectionComm, key); device && !device->empty()) {
            return *device;
        }
    }
    return StandardDeviceForPort(port);
}

std::string SettingsFile::ChosenDevice() const {
    return Value(text::kSectionComm, text::kValueDevice).value_or(std::string());
}

void SettingsFile::SetChosenDevice(const std::string& device) {
    if (device.empty() && !Value(text::kSectionComm, text::kValueDevice)) return;
    SetValue(text::kSectionComm, text::kValueDevice, device);
}

std::string SettingsFile::SavedDevice() const {
    const std::string chosen = ChosenDevice();
    return chosen.empty() ? DeviceForPort(SavedPort()) : chosen;
}
