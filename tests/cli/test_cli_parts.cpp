// The command line's own pieces: the settings reader, argument parsing, the progress line.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cli/arguments.h"
#include "cli/settings_file.h"
#include "cli/staging_folder.h"
#include "cli/terminal_progress.h"

namespace {

TEST(SettingsFile, ReadsThePortAndDevicesAsTheWindowProgramWritesThem) {
    SettingsFile settings;
    settings.Parse(
        "[COMM]\n"
        "PORT=3\n"
        "DEVICE3=/dev/ttyUSB0\n"
        "DEVICE4=\"/dev/serial/by-id/usb-Prolific Technology_USB-Serial-if00\"\n"
        "DEVICE5 = /dev/ttyACM0   ; the recorder at work\n"
        "\n"
        "[GLOBAL]\n"
        "LeftPth=/home/user/\n"
        "PATH=\"C:\\\\Program Files\\\\Sonoret Manager\\\\Source\\\\\"\n");
    EXPECT_EQ(settings.SavedPort(), 3);
    EXPECT_EQ(settings.DeviceForPort(3), "/dev/ttyUSB0");
    EXPECT_EQ(settings.DeviceForPort(4),
              "/dev/serial/by-id/usb-Prolific Technology_USB-Serial-if00");
    EXPECT_EQ(settings.DeviceForPort(5), "/dev/ttyACM0");
    EXPECT_EQ(settings.DeviceForPort(1), "");
    EXPECT_EQ(settings.Value("GLOBAL", "PATH"), "C:\\Program Files\\Sonoret Manager\\Source\\");
    EXPECT_EQ(settings.Value("GLOBAL", "Missing"), std::nullopt);
}

TEST(SettingsFile, FallsBackToTheFirstPort) {
    SettingsFile settings;
    EXPECT_EQ(settings.SavedPort(), 1);  // nothing loaded
    settings.Parse("[COMM]\nPORT=@Variant(\\0\\0\\0\\x7f)\n");
    EXPECT_EQ(settings.SavedPort(), 1);  // not a plain number
    settings.Parse("[General]\nCOMM/PORT=2\n");
    EXPECT_EQ(settings.SavedPort(), 2);  // the group written into the key
    EXPECT_FALSE(settings.Load("/nonexistent/QP2400.conf"));
    EXPECT_EQ(settings.SavedPort(), 1);
}

TEST(SettingsFile, OnlyARegularFileOfSaneSizeIsRead) {
    // Regression: the file was read whole, whatever it was: a link to /dev/zero grew memory
    // without bound, a named pipe blocked for ever.
    namespace fs = std::filesystem;
    const fs::path dir =
        fs::temp_directory_path() / ("sonoret-settings-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string zero = (dir / "zero.conf").string();
    const std::string pipe = (dir / "pipe.conf").string();
    const std::string large = (dir / "large.conf").string();
    fs::create_symlink("/dev/zero", zero);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::ofstream(large) << "[COMM]\nPORT=3\n";
    fs::resize_file(large, SettingsFile::kMaxBytes + 1);
    for (const auto& [path, why] :
         {std::pair{zero, " is not a regular file"}, std::pair{pipe, " is not a regular file"},
          std::pair{large, " is larger than 1024 KiB"}}) {
        SettingsFile settings;
        EXPECT_FALSE(settings.Load(path));
        EXPECT_EQ(settings.Problem(), "the settings file " + path + why);
        EXPECT_EQ(settings.SavedPort(), 1);
    }
    SettingsFile settings;
    EXPECT_FALSE(settings.Load((dir / "missing.conf").string()));
    EXPECT_EQ(settings.Problem(), "");  // nothing to tell: the defaults
    fs::resize_file(large, SettingsFile::kMaxBytes);
    EXPECT_TRUE(settings.Load(large));
    EXPECT_EQ(settings.Problem(), "");
    EXPECT_EQ(settings.SavedPort(), 3);
    fs::remove_all(dir);
}

TEST(SettingsFile, LivesUnderTheUsersConfigFolder) {
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = oldXdg ? oldXdg : "";
    ::setenv("XDG_CONFIG_HOME", "/tmp/xdg", 1);
    EXPECT_EQ(SettingsFile::DefaultPath(), "/tmp/xdg/QP2400/QP2400.conf");
    ::unsetenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (home) {
        EXPECT_EQ(SettingsFile::DefaultPath(), std::string(home) + "/.config/QP2400/QP2400.conf");
    }
    if (oldXdg) ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

TEST(Arguments, SplitFlagsOptionsAndPositionals) {
    ParsedArgs parsed;
    EXPECT_EQ(ParseArgs({"2", "-o", "out.Bin", "7", "--json"}, {{"--json"}}, {{"-o", "--output"}},
                        &parsed),
              std::nullopt);
    EXPECT_EQ(parsed.positional, (std::vector<std::string>{"2", "7"}));
    EXPECT_TRUE(parsed.Has("--json"));
    EXPECT_EQ(parsed.Option("-o"), "out.Bin");

    ParsedArgs alias;
    EXPECT_EQ(ParseArgs({"--output=x", "--", "-5"}, {}, {{"-o", "--output"}}, &alias),
              std::nullopt);
    EXPECT_EQ(alias.Option("-o"), "x");
    EXPECT_EQ(alias.positional, (std::vector<std::string>{"-5"}));

    ParsedArgs bad;
    EXPECT_EQ(ParseArgs({"--jsn"}, {{"--json"}}, {}, &bad), "unknown option --jsn");
    EXPECT_EQ(ParseArgs({"-o"}, {}, {{"-o"}}, &bad), "-o needs a value");
}

TEST(Arguments, FolderAndMessageAsTheUserCountsThem) {
    int folder = -1, message = -1;
    EXPECT_EQ(ParseFolderAndMessage("1", "100", &folder, &message), std::nullopt);
    EXPECT_EQ(folder, 0);
    EXPECT_EQ(message, 100);
    EXPECT_EQ(ParseFolderAndMessage("5", "1", &folder, &message), std::nullopt);
    EXPECT_EQ(folder, 4);
    for (const auto& [f, m] :
         std::vector<std::pair<std::string, std::string>>{{"0", "1"},
                                                          {"6", "1"},
                                                          {"1", "0"},
                                                          {"1", "101"},
                                                          {"x", "1"},
                                                          {"1", "2a"},
                                                          {"", "1"},
                                                          {"1", "-3"},
                                                          {"1", "99999999999999999999"}}) {
        EXPECT_NE(ParseFolderAndMessage(f, m, &folder, &message), std::nullopt) << f << " " << m;
    }
}

TEST(TerminalProgress, DrawsCaptionPercentBarAndCount) {
    std::ostringstream terminal;
    TerminalProgress progress("Receive", &terminal);
    progress.SetRange(0, 20, 1);
    EXPECT_EQ(progress.Line(), "Receive [  0%] ------------------------------ 0/20");
    for (int i = 0; i < 9; ++i) progress.StepIt();
    EXPECT_EQ(progress.Line(), "Receive [ 45%] #############----------------- 9/20");
    progress.Hide();
    EXPECT_NE(terminal.str().find("Receive [ 45%]"), std::string::npos);
    EXPECT_EQ(terminal.str().substr(terminal.str().size() - 4), "\r\033[K");

    TerminalProgress empty("Connect", nullptr);
    empty.SetRange(0, 0, 1);
    empty.StepIt();
    EXPECT_EQ(empty.Line().substr(0, 15), "Connect [  0%] ");
}

TEST(OutputPath, DefaultNameInTheCurrentOrAGivenFolder) {
    EXPECT_EQ(OutputPath("", "0_03.Bin"), "0_03.Bin");
    EXPECT_EQ(OutputPath("x/y.Bin", "0_03.Bin"), "x/y.Bin");
    const auto dir = std::filesystem::temp_directory_path();
    EXPECT_EQ(OutputPath(dir.string(), "0_03.Bin"), (dir / "0_03.Bin").string());
}

TEST(StagingFolder, KeepsNothingButWhatWasPublished) {
    const auto dir = std::filesystem::temp_directory_path() / "sonoret-staging-test";
    std::filesystem::create_directories(dir);
    const std::string target = (dir / "out.Bin").string();
    std::string stagingPath;
    {
        StagingFolder staging;
        ASSERT_TRUE(staging.Create(target));
        stagingPath = staging.Path();
        std::ofstream(staging.Path() + "0_01.Bin") << "whole";
        std::ofstream(staging.Path() + "0_02.Bin") << "partial";
        EXPECT_TRUE(staging.Publish("0_01.Bin", target));
    }
    EXPECT_TRUE(std::filesystem::exists(target));
    EXPECT_FALSE(std::filesystem::exists(stagingPath));
    StagingFolder unwritable;
    EXPECT_FALSE(unwritable.Create("/nonexistent-folder/out.Bin"));
    EXPECT_NE(unwritable.Error().find("/nonexistent-folder/out.Bin"), std::string::npos);
    std::filesystem::remove_all(dir);
}

}  // namespace
