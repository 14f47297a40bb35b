// The settings on Windows live in the registry, where the window program's QSettings keeps
// them: groups are subkeys, numbers may be DWORDs, and what this program does not know stays.
#include <gtest/gtest.h>
#include <windows.h>

#include "core/base/win32_text.h"
#include "core/settings/settings_file.h"

namespace {

// A key of the test's own below HKEY_CURRENT_USER\Software, removed when done.
class RegistrySettings : public ::testing::Test {
protected:
    void SetUp() override {
        m_key = L"Software\\QP2400-test-" + std::to_wstring(::GetCurrentProcessId());
        ::RegDeleteTreeW(HKEY_CURRENT_USER, m_key.c_str());
    }
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, m_key.c_str()); }

    std::string Location() const {
        return "HKEY_CURRENT_USER\\" + Utf8FromWide(m_key + L"\\QP2400");
    }
    std::wstring Group(const wchar_t* group) const { return m_key + L"\\QP2400\\" + group; }

    void SetString(const wchar_t* group, const wchar_t* name, const std::wstring& value) {
        ASSERT_EQ(
            ::RegSetKeyValueW(HKEY_CURRENT_USER, Group(group).c_str(), name, REG_SZ, value.c_str(),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
    }
    void SetNumber(const wchar_t* group, const wchar_t* name, DWORD value) {
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, Group(group).c_str(), name, REG_DWORD,
                                    &value, sizeof value),
                  ERROR_SUCCESS);
    }
    std::wstring GetString(const wchar_t* group, const wchar_t* name) {
        wchar_t buffer[512] = {};
        DWORD bytes = sizeof buffer;
        if (::RegGetValueW(HKEY_CURRENT_USER, Group(group).c_str(), name, RRF_RT_REG_SZ, nullptr,
                           buffer, &bytes) != ERROR_SUCCESS) {
            return L"<none>";
        }
        return buffer;
    }

    std::wstring m_key;
};

}  // namespace

TEST_F(RegistrySettings, ReadsWhatTheWindowProgramWroteAndWritesBackOnlyWhatChanged) {
    SetNumber(L"COMM", L"PORT", 3);
    SetString(L"COMM", L"DEVICE4", L"\\\\.\\COM12");
    SetString(L"GLOBAL", L"PATH", L"C:\\Aufnahmen \u00FC");
    SetString(L"Settings", L"X", L"120");
    SetString(L"Settings", L"Unknown", L"kept as it is");

    SettingsFile settings;
    ASSERT_TRUE(settings.Load(Location())) << settings.Problem();
    EXPECT_EQ(settings.SavedPort(), 3);
    EXPECT_EQ(settings.DeviceForPort(4), "\\\\.\\COM12");
    EXPECT_EQ(settings.DeviceForPort(7), "COM7") << "a port without a device is COM<n>";
    EXPECT_EQ(settings.Value("GLOBAL", "PATH"), "C:\\Aufnahmen \xC3\xBC");
    EXPECT_EQ(settings.Number("Settings", "X"), 120);

    settings.SetValue("COMM", "PORT", 5);
    settings.SetValue("GLOBAL", "LeftPth", "D:\\");
    std::string error;
    ASSERT_TRUE(settings.Save(&error)) << error;
    EXPECT_EQ(GetString(L"COMM", L"PORT"), L"5");
    EXPECT_EQ(GetString(L"GLOBAL", L"LeftPth"), L"D:\\");
    EXPECT_EQ(GetString(L"GLOBAL", L"PATH"), L"C:\\Aufnahmen \u00FC");
    EXPECT_EQ(GetString(L"Settings", L"Unknown"), L"kept as it is");

    SettingsFile again;
    ASSERT_TRUE(again.Load(Location()));
    EXPECT_EQ(again.SavedPort(), 5);
}

TEST_F(RegistrySettings, AMissingKeyHasNoValuesAndTheDefaultsAreWindowsOnes) {
    SettingsFile settings;
    EXPECT_FALSE(settings.Load(Location()));
    EXPECT_TRUE(settings.Usable());
    EXPECT_EQ(settings.SavedPort(), 1);
    EXPECT_EQ(settings.DeviceForPort(1), "COM1");
    EXPECT_EQ(StandardDeviceForPort(12), "COM12");
    EXPECT_EQ(SettingsFile::DefaultPath(), "HKEY_CURRENT_USER\\Software\\QP2400\\QP2400");
}
