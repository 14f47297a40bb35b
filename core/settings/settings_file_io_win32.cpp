// The settings on Windows: in the registry, under the key QSettings gives the window program
// there (HKEY_CURRENT_USER\Software\QP2400\QP2400, a subkey per group: COMM, GLOBAL,
// Settings). The settings model reads and writes text in the INI form; here that text is made
// from the key's values and written back into them. A path that names no registry key is a
// settings file, as on other systems.
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <optional>

#include "core/base/small_file.h"
#include "core/base/staged_output_file.h"
#include "core/base/win32_text.h"
#include "core/res/strings.h"
#include "core/settings/ini_document.h"
#include "core/settings/settings_file_io.h"

namespace fs = std::filesystem;

namespace {

using Kind = SettingsFileProblem::Kind;

constexpr std::string_view kUserRoot = "HKEY_CURRENT_USER\\";

// The key below HKEY_CURRENT_USER that path names, or nothing for a file's path.
std::optional<std::wstring> RegistryKeyOf(const std::string& path) {
    if (path.rfind(kUserRoot, 0) != 0) return std::nullopt;
    return WideFromUtf8(path.substr(kUserRoot.size()));
}

class RegistryKey {
public:
    ~RegistryKey() {
        if (m_key) ::RegCloseKey(m_key);
    }
    HKEY* Out() { return &m_key; }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// The values of one key into section of document: strings as they are, numbers in decimal.
void ReadValues(HKEY key, const std::string& section, IniDocument& document) {
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = sizeof name / sizeof name[0];
        DWORD type = 0;
        DWORD bytes = 0;
        LONG status =
            ::RegEnumValueW(key, index, name, &nameLength, nullptr, &type, nullptr, &bytes);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) continue;
        std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
        nameLength = sizeof name / sizeof name[0];
        bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        status = ::RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                 reinterpret_cast<BYTE*>(data.data()), &bytes);
        if (status != ERROR_SUCCESS) continue;
        const std::string valueName = Utf8FromWide(std::wstring_view(name, nameLength));
        if (type == REG_SZ || type == REG_EXPAND_SZ) {
            data.resize(bytes / sizeof(wchar_t));
            while (!data.empty() && data.back() == L'\0') data.pop_back();
            document.SetValue(section, valueName, Utf8FromWide(data));
        } else if (type == REG_DWORD && bytes == sizeof(DWORD)) {
            DWORD number = 0;
            std::memcpy(&number, data.data(), sizeof number);
            document.SetValue(section, valueName, std::to_string(static_cast<int>(number)));
        }
    }
}

std::optional<std::string> ReadRegistry(const std::wstring& keyName, std::uintmax_t limit,
                                        SettingsFileProblem* problem) {
    RegistryKey root;
    const LONG status =
        ::RegOpenKeyExW(HKEY_CURRENT_USER, keyName.c_str(), 0, KEY_READ, root.Out());
    if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
    if (status != ERROR_SUCCESS) {
        *problem = {Kind::Unreadable, 0, WindowsErrorText(static_cast<DWORD>(status))};
        return std::nullopt;
    }
    IniDocument document;
    ReadValues(root.Get(), "", document);
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = sizeof name / sizeof name[0];
        const LONG found = ::RegEnumKeyExW(root.Get(), index, name, &nameLength, nullptr, nullptr,
                                           nullptr, nullptr);
        if (found == ERROR_NO_MORE_ITEMS) break;
        if (found != ERROR_SUCCESS) continue;
        RegistryKey group;
        if (::RegOpenKeyExW(root.Get(), name, 0, KEY_READ, group.Out()) != ERROR_SUCCESS) continue;
        ReadValues(group.Get(), Utf8FromWide(std::wstring_view(name, nameLength)), document);
    }
    std::string text = document.Text();
    if (text.size() > limit) {
        *problem = {Kind::TooLarge, text.size(), {}};
        return std::nullopt;
    }
    return text;
}

bool WriteRegistry(const std::wstring& keyName, const std::string& path, const std::string& text,
                   std::string* error) {
    const IniDocument document = IniDocument::Parse(text);
    auto failed = [&](LONG status) {
        if (error) *error = path + ": " + WindowsErrorText(static_cast<DWORD>(status));
        return false;
    };
    for (const std::string& section : document.Sections()) {
        std::wstring groupName = keyName;
        if (!section.empty()) groupName += L"\\" + WideFromUtf8(section);
        RegistryKey group;
        const LONG created = ::RegCreateKeyExW(HKEY_CURRENT_USER, groupName.c_str(), 0, nullptr, 0,
                                               KEY_WRITE, nullptr, group.Out(), nullptr);
        if (created != ERROR_SUCCESS) return failed(created);
        for (const std::string& key : document.Keys(section)) {
            const std::wstring value = WideFromUtf8(document.Value(section, key).value_or(""));
            const LONG set =
                ::RegSetValueExW(group.Get(), WideFromUtf8(key).c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
            if (set != ERROR_SUCCESS) return failed(set);
        }
    }
    return true;
}

std::optional<std::string> ReadFile(const std::string& path, std::uintmax_t limit,
                                    SettingsFileProblem* problem) {
    SmallFile file = ReadSmallFile(path, limit, true);
    switch (file.kind) {
        case SmallFile::Kind::Regular:
            return std::move(file.text);
        case SmallFile::Kind::Missing:
            return std::nullopt;
        case SmallFile::Kind::Folder:
            problem->kind = Kind::Folder;
            break;
        case SmallFile::Kind::Device:
            problem->kind = Kind::Device;
            break;
        case SmallFile::Kind::Pipe:
            problem->kind = Kind::Pipe;
            break;
        case SmallFile::Kind::TooLarge:
            *problem = {Kind::TooLarge, file.size, {}};
            break;
        case SmallFile::Kind::Unreadable:
            *problem = {Kind::Unreadable, 0, file.reason};
            break;
        default:
            problem->kind = Kind::NotRegular;
            break;
    }
    return std::nullopt;
}

bool WriteFile(const std::string& path, const std::string& text, std::string* error) {
    std::error_code ec;
    const fs::path target(WideFromUtf8(path));
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    StagedOutputFile file;
    const bool written =
        file.Create(path) && file.KeepModeOf(path) &&
        file.Write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()) &&
        file.Commit();
    if (!written && error) *error = path + ": " + file.Reason();
    return written;
}

}  // namespace

namespace settings_io {

std::string DefaultLocation() {
    return std::string(kUserRoot) + "Software\\" + text::kProfileOrganisation + "\\" +
           text::kProfileApplication;
}

std::string StandardDevice(int port) {
    return "COM" + std::to_string(port);
}

std::optional<std::string> ReadText(const std::string& path, std::uintmax_t limit,
                                    SettingsFileProblem* problem) {
    *problem = {};
    if (const auto key = RegistryKeyOf(path)) return ReadRegistry(*key, limit, problem);
    return ReadFile(path, limit, problem);
}

bool WriteText(const std::string& path, const std::string& text, std::string* error) {
    if (const auto key = RegistryKeyOf(path)) return WriteRegistry(*key, path, text, error);
    return WriteFile(path, text, error);
}

}  // namespace settings_io
