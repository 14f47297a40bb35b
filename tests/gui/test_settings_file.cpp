// The settings file stays one file for two writers: what QSettings wrote (the window program
// of years past, and any copy of it still about) is read, and what we write QSettings reads
// back the same, byte for byte as it would have written it itself.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QPoint>
#include <QSettings>
#include <QStringList>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/settings/settings_file.h"
#include "tests/gui/gui_test_support.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string PathOf(const char* name) {
    return guitest::ScratchFolder() + "/" + name;
}

// Strings with every character QSettings quotes or escapes, as folders may be named.
const std::vector<std::pair<std::string, std::string>>& AwkwardValues() {
    static const std::vector<std::pair<std::string, std::string>> values = {
        {"PATH", "/home/user/Sonoret Manager/Source/"},
        {"LeftPth", " both ends "},
        {"quoted", "say \"hi\" \\ there"},
        {"separators", "a,b;c=d"},
        {"at", "@home"},
        {"controls",
         "tab\there\x01"
         "2 bell\a\r\n\x1f"
         "ab"},
        {"utf8",
         "\xC3\x9C"
         "bung \xE6\x97\xA5\xE6\x9C\xAC"},
        {"empty", ""},
    };
    return values;
}

void WriteThroughQt(QSettings& qt) {
    for (const auto& [key, value] : AwkwardValues()) {
        qt.setValue(QStringLiteral("GLOBAL/") + QString::fromStdString(key),
                    QString::fromStdString(value));
    }
    qt.setValue(QStringLiteral("COMM/PORT"), 3);
    qt.setValue(QStringLiteral("Settings/X"), -12);
}

}  // namespace

TEST(SettingsFileTest, WhatQSettingsWroteIsReadAndRewrittenAsQSettingsWould) {
    const std::string ours = PathOf("ours.conf");
    const std::string theirs = PathOf("theirs.conf");
    {
        QSettings qt(QString::fromStdString(ours), QSettings::IniFormat);
        WriteThroughQt(qt);
        qt.setValue(QStringLiteral("COMM/DEVICE3"), QStringLiteral("/dev/serial/by-id/usb-X if00"));
        // Values of kinds we never write ourselves, and keys outside any group.
        qt.setValue(QStringLiteral("Extra/list"),
                    QStringList{QStringLiteral("x"), QStringLiteral("y, z")});
        qt.setValue(QStringLiteral("Extra/bytes"), QByteArray("\0\x01zz", 4));
        qt.setValue(QStringLiteral("Extra/point"), QPoint(3, -4));
        qt.setValue(QStringLiteral("top"), 5);
    }
    fs::copy_file(ours, theirs);

    SettingsFile settings;
    ASSERT_TRUE(settings.Load(ours));
    for (const auto& [key, value] : AwkwardValues()) {
        EXPECT_EQ(settings.Value("GLOBAL", key), value) << key;
    }
    EXPECT_EQ(settings.Port(kHighestMenuPort).port, 3);
    EXPECT_EQ(settings.DeviceForPort(3), "/dev/serial/by-id/usb-X if00");
    EXPECT_EQ(settings.Number("Settings", "X"), -12);
    EXPECT_EQ(settings.Value("", "top"), "5");

    // One change, made by each: the files come out the same, and nothing else changed.
    settings.SetValue("COMM", "PORT", 4);
    ASSERT_TRUE(settings.Save());
    {
        QSettings qt(QString::fromStdString(theirs), QSettings::IniFormat);
        qt.setValue(QStringLiteral("COMM/PORT"), 4);
    }
    EXPECT_EQ(ReadAll(ours), ReadAll(theirs));
    QSettings qt(QString::fromStdString(ours), QSettings::IniFormat);
    EXPECT_EQ(qt.value(QStringLiteral("COMM/PORT")).toInt(), 4);
    EXPECT_EQ(qt.value(QStringLiteral("Extra/list")).toStringList(),
              (QStringList{QStringLiteral("x"), QStringLiteral("y, z")}));
    EXPECT_EQ(qt.value(QStringLiteral("Extra/bytes")).toByteArray(), QByteArray("\0\x01zz", 4));
    EXPECT_EQ(qt.value(QStringLiteral("Extra/point")).toPoint(), QPoint(3, -4));
}

TEST(SettingsFileTest, WhatWeWriteIsWhatQSettingsWouldHaveWritten) {
    const std::string ours = PathOf("fresh-ours.conf");
    const std::string theirs = PathOf("fresh-theirs.conf");
    SettingsFile settings(ours);
    for (const auto& [key, value] : AwkwardValues()) settings.SetValue("GLOBAL", key, value);
    settings.SetValue("COMM", "PORT", 3);
    settings.SetValue("Settings", "X", -12);
    ASSERT_TRUE(settings.Save());
    {
        QSettings qt(QString::fromStdString(theirs), QSettings::IniFormat);
        WriteThroughQt(qt);
    }
    EXPECT_EQ(ReadAll(ours), ReadAll(theirs));

    QSettings qt(QString::fromStdString(ours), QSettings::IniFormat);
    for (const auto& [key, value] : AwkwardValues()) {
        EXPECT_EQ(qt.value(QStringLiteral("GLOBAL/") + QString::fromStdString(key)).toString(),
                  QString::fromStdString(value))
            << key;
    }
    EXPECT_EQ(qt.value(QStringLiteral("COMM/PORT")).toInt(), 3);
    EXPECT_EQ(qt.value(QStringLiteral("Settings/X")).toInt(), -12);
}
