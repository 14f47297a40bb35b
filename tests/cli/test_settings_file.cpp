// The settings file both programs share, without Qt: what it reads, what it refuses to read,
// and how it writes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/settings/settings_file.h"

namespace {

namespace fs = std::filesystem;

// A folder of this test's own, removed at its end.
class ScratchFolder {
public:
    ScratchFolder()
        : m_path(fs::temp_directory_path() / ("sonoret-settings-" + std::to_string(::getpid()))) {
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~ScratchFolder() { fs::remove_all(m_path); }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

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
    EXPECT_EQ(settings.DeviceForPort(1), "/dev/ttyS0");  // the standard mapping
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
    ScratchFolder dir;
    const std::string zero = dir / "zero.conf";
    const std::string pipe = dir / "pipe.conf";
    const std::string large = dir / "large.conf";
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
    EXPECT_FALSE(settings.Load(dir / "missing.conf"));
    EXPECT_EQ(settings.Problem(), "");  // nothing to tell: the defaults
    fs::resize_file(large, SettingsFile::kMaxBytes);
    EXPECT_TRUE(settings.Load(large));
    EXPECT_EQ(settings.Problem(), "");
    EXPECT_EQ(settings.SavedPort(), 3);
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

TEST(SettingsFile, SavingKeepsWhatOthersWroteMeanwhileTheLinkAndThePermissions) {
    ScratchFolder dir;
    const std::string real = dir / "real.conf";
    const std::string link = dir / "QP2400.conf";
    std::ofstream(real) << "[COMM]\nPORT=2\n";
    ::chmod(real.c_str(), 0600);
    fs::create_symlink(real, link);

    SettingsFile settings;
    ASSERT_TRUE(settings.Load(link));
    EXPECT_FALSE(settings.Save());  // nothing set, nothing written
    settings.SetValue("GLOBAL", "LeftPth", "/srv/");
    // Another copy of the program closes meanwhile and writes its own setting.
    std::ofstream(real, std::ios::app) << "[Other]\nkey=1\n";
    ASSERT_TRUE(settings.Save());

    EXPECT_EQ(ReadAll(real), "[COMM]\nPORT=2\n\n[GLOBAL]\nLeftPth=/srv/\n\n[Other]\nkey=1\n");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    // Written under a name of its own and renamed: nothing of that is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2);

    // The first save of a first run makes the folder.
    SettingsFile first(dir / "QP2400/QP2400.conf");
    first.SetValue("COMM", "PORT", 1);
    ASSERT_TRUE(first.Save());
    EXPECT_EQ(ReadAll(dir / "QP2400/QP2400.conf"), "[COMM]\nPORT=1\n");

    // Where it cannot be written, the reason is told, and what was set stays set for this run.
    std::ofstream(dir / "plain") << "a file, no folder";
    SettingsFile nowhere(dir / "plain/QP2400.conf");
    nowhere.SetValue("COMM", "PORT", 6);
    std::string error;
    EXPECT_FALSE(nowhere.Save(&error));
    EXPECT_EQ(error, dir / "plain/QP2400.conf: Not a directory");
    nowhere.Reload();
    EXPECT_EQ(nowhere.SavedPort(), 6);
}

TEST(SettingsFile, AFileThatCannotBeOneIsNeverWritten) {
    ScratchFolder dir;
    const std::string large = dir / "large.conf";
    std::ofstream(large) << "[COMM]\nPORT=3\n";
    fs::resize_file(large, SettingsFile::kMaxBytes + 1);
    SettingsFile settings;
    EXPECT_FALSE(settings.Load(large));
    EXPECT_EQ(settings.ProblemReason(),
              "it is 1048577 bytes long, more than a settings file can be");
    settings.SetValue("COMM", "PORT", 4);
    EXPECT_FALSE(settings.Save());
    EXPECT_EQ(fs::file_size(large), SettingsFile::kMaxBytes + 1);
    // What this run set stays with it, in memory.
    EXPECT_FALSE(settings.Reload());
    EXPECT_EQ(settings.SavedPort(), 4);

    // A file that turns into something else between reading and writing is left alone too.
    const std::string later = dir / "later.conf";
    std::ofstream(later) << "[COMM]\nPORT=3\n";
    ASSERT_TRUE(settings.Load(later));
    fs::remove(later);
    ASSERT_EQ(::mkfifo(later.c_str(), 0600), 0);
    settings.SetValue("COMM", "PORT", 5);
    EXPECT_FALSE(settings.Save());
    EXPECT_TRUE(fs::is_fifo(later));
    EXPECT_EQ(settings.ProblemReason(), "it is a pipe, not a file");

    EXPECT_FALSE(settings.Load(dir.Path().string()));
    EXPECT_EQ(settings.ProblemReason(), "it is a folder, not a file");
}

TEST(SettingsFile, EachProgramTakesThePortsItKnows) {
    SettingsFile settings;
    settings.Parse("[COMM]\nPORT=12\ndevice7=/dev/ttyUSB7\n");
    // The window's Port menu ends at COM9; the command line goes on to COM255.
    const PortSetting menu = settings.Port(kHighestMenuPort);
    EXPECT_EQ(menu.port, 1);
    EXPECT_EQ(menu.wrongValue, "12");
    EXPECT_EQ(settings.SavedPort(), 12);
    EXPECT_EQ(settings.SavedPortProblem(), "");
    // A device key written by hand in small letters counts too.
    EXPECT_EQ(settings.DeviceForPort(7), "/dev/ttyUSB7");
    EXPECT_EQ(settings.DeviceForPort(12), "/dev/ttyS11");

    settings.Parse("[COMM]\nPORT=0\n");
    EXPECT_EQ(settings.SavedPortProblem(),
              "PORT=0 in [COMM] of the settings file is not a port number from 1 to 255");
    settings.Parse("[COMM]\nPORT=@Invalid()\n");
    EXPECT_EQ(settings.Port(kHighestMenuPort).wrongValue, std::nullopt);  // as good as absent
}

}  // namespace
