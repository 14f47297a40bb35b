// The application object: the command line, the settings it reads, the About box, and the
// ways the window closes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "core/res/resource_ids.h"
#include "core/settings/settings_file.h"
#include "gui/app/about_box.h"
#include "gui/app/command_line.h"
#include "gui/app/manager_app.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/progress_window.h"
#include "gui/res/pictures.h"
#include "gui/views/recorder/right_view.h"
#include "gui/widgets/message_box.h"
#include "sonoret_version.h"
#include "tests/gui/gui_test_support.h"

namespace {

struct Parsed {
    bool goOn;
    int exitCode;
    StartOptions options;
};

Parsed Parse(std::vector<std::string> args) {
    args.insert(args.begin(), "sonoret-manager");
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    Parsed parsed{false, -1, {}};
    parsed.goOn = ParseCommandLine(static_cast<int>(argv.size()), argv.data(), parsed.options,
                                   &parsed.exitCode);
    return parsed;
}

}  // namespace

TEST(ApplicationTest, CommandLineOptionsAndTheirMistakes) {
    const Parsed none = Parse({});
    EXPECT_TRUE(none.goOn);
    EXPECT_FALSE(none.options.simulate);
    EXPECT_TRUE(none.options.devicePath.empty());

    const Parsed simulate = Parse({"--simulate", "--mode", "1"});
    EXPECT_TRUE(simulate.goOn);
    EXPECT_TRUE(simulate.options.simulate);
    EXPECT_EQ(simulate.options.emulatorMode, 1);

    const Parsed device = Parse({"--device", "/dev/ttyUSB0"});
    EXPECT_TRUE(device.goOn);
    EXPECT_EQ(device.options.devicePath, "/dev/ttyUSB0");

    for (const auto& wrong :
         std::vector<std::vector<std::string>>{{"--bogus"},
                                               {"--device"},
                                               {"--simulate", "--device", "/dev/x"},
                                               {"--mode", "1"},
                                               {"--simulate", "--mode", "3"},
                                               {"stray"}}) {
        const Parsed parsed = Parse(wrong);
        EXPECT_FALSE(parsed.goOn) << wrong[0];
        EXPECT_EQ(parsed.exitCode, 2) << wrong[0];
    }
    testing::internal::CaptureStdout();
    const Parsed help = Parse({"--help"});
    const std::string usage = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(help.goOn);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(usage.find("Usage: sonoret-manager"), std::string::npos);
    EXPECT_NE(usage.find("--simulate"), std::string::npos);

    testing::internal::CaptureStdout();
    const Parsed version = Parse({"--version"});
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              std::string("sonoret-manager ") + kSonoretVersion + "\n");
    EXPECT_FALSE(version.goOn);
    EXPECT_EQ(version.exitCode, 0);
}

// The desktop matches the window to its installed entry by this name, and shows the entry's
// icon: the same drawing the window shows, in every size of the icon theme.
TEST(ApplicationTest, TheWindowBearsTheInstalledEntrysNameAndIcon) {
    EXPECT_EQ(QGuiApplication::desktopFileName(), QString::fromLatin1(kSonoretAppId));
    EXPECT_EQ(QCoreApplication::applicationVersion(), QString::fromLatin1(kSonoretVersion));

    const QIcon icon = res::AppIcon();
    QList<int> sides;
    for (const QSize& size : icon.availableSizes()) sides << size.width();
    std::sort(sides.begin(), sides.end());
    EXPECT_EQ(sides, (QList<int>{16, 22, 24, 32, 48, 64, 128, 256}));
    // The recorder: transparent around its body, the red record light low in the middle.
    const QImage image = icon.pixmap(32, 32).toImage();
    ASSERT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(image.pixel(1, 1)), 0);
    const QColor light = image.pixelColor(16, 27);
    EXPECT_GT(light.red(), 150);
    EXPECT_LT(light.green(), 80);
    const QColor body = image.pixelColor(10, 20);
    EXPECT_LT(body.red(), 100);
    EXPECT_EQ(body.alpha(), 255);
}

TEST(ApplicationTest, SettingsFallBackToTheirDefaults) {
    CManagerApp& app = theApp();
    {
        guitest::QtSettings profile;
        profile.setValue(QStringLiteral("COMM/PORT"), QStringLiteral("not a port"));
        profile.setValue(QStringLiteral("COMM/DEVICE4"), QStringLiteral("/dev/ttyUSB3"));
    }
    app.LoadSettings();
    EXPECT_EQ(app.m_nPort, 1);
    EXPECT_EQ(app.m_strLeftPath, QDir::homePath().toStdString() + "/");
    EXPECT_EQ(app.m_strSourcePath, app.ProgramFolder() + "/Source/");
    EXPECT_EQ(app.DeviceForPort(4), "/dev/ttyUSB3");
    EXPECT_EQ(app.DeviceForPort(5), "/dev/ttyS4");

    {
        guitest::QtSettings profile;
        profile.setValue(QStringLiteral("COMM/PORT"), 7);
        profile.setValue(QStringLiteral("GLOBAL/LeftPth"), QStringLiteral("/srv/"));
    }
    app.LoadSettings();
    EXPECT_EQ(app.m_nPort, 7);
    EXPECT_EQ(app.m_strLeftPath, "/srv/");
}

TEST(ApplicationTest, AboutBoxShowsTheProgramAndCloses) {
    CAboutBox box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About Sonoret Manager"));
    // The program's name and its version: "Sonoret Manager 1.0" while the version is 1.0.
    EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("line1"))->text(),
              QStringLiteral("Sonoret Manager ") + QString::fromLatin1(kSonoretVersion));
    auto* ok = box.findChild<QPushButton*>(QStringLiteral("ok"));
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    // Laid out in dialog units of a 235 x 55 template: OK at 178,7, the lines at 40,10 and 40,25.
    auto* second = box.findChild<QLabel*>(QStringLiteral("line2"));
    EXPECT_NEAR(ok->x() / double(box.width()), 178.0 / 235.0, 0.01);
    EXPECT_NEAR(ok->width() / double(box.width()), 50.0 / 235.0, 0.01);
    EXPECT_NEAR(second->x() / double(box.width()), 40.0 / 235.0, 0.01);
    EXPECT_NEAR(second->y() / double(box.height()), 25.0 / 55.0, 0.02);
    EXPECT_FALSE(second->text().isEmpty());

    // From the menu: modal, closed with OK.
    guitest::FrameHarness harness;
    bool shown = false;
    QTimer::singleShot(0, [&shown] {
        if (auto* about = qobject_cast<CAboutBox*>(QApplication::activeModalWidget())) {
            shown = true;
            about->findChild<QPushButton*>(QStringLiteral("ok"))->click();
        }
    });
    harness.Frame().Action(res::ID_APP_ABOUT)->trigger();
    EXPECT_TRUE(shown);
}

TEST(ApplicationTest, ExitClosesTheWindowLikeItsCloseButton) {
    guitest::FrameHarness harness;
    harness.Frame().Action(res::ID_APP_EXIT)->trigger();
    EXPECT_TRUE(harness.Frame().IsClosing());
    EXPECT_FALSE(harness.Frame().isVisible());
}

TEST(ApplicationTest, CloseDuringAConnectCancelsItAndClosesAfterwards) {
    guitest::FrameHarness harness;
    CMainFrame& frame = harness.Frame();
    frame.SetProgressObserver(
        [&frame](ProgressWindow*) { QTimer::singleShot(0, &frame, [&frame] { frame.close(); }); });
    frame.OnCommand(res::ID_CONNECT);
    // The connect ended as cancelled, then the window closed: no message, empty folders.
    ASSERT_TRUE(guitest::WaitFor([&frame] { return frame.IsClosing() != 0; }));
    EXPECT_FALSE(frame.isVisible());
    EXPECT_TRUE(harness.Boxes().Shown().empty());
    EXPECT_EQ(frame.GetRightView()->topLevelItem(0)->text(0), QStringLiteral("1 File"));
}

TEST(ApplicationTest, ABadPortSettingIsNamedAndCom1IsUsed) {
    const std::string file = SettingsFile::DefaultPath();
    for (const char* value : {"999", "-5", "3abc", "0"}) {
        {
            guitest::QtSettings profile;
            profile.setValue(QStringLiteral("COMM/PORT"), QString::fromLatin1(value));
        }
        guitest::FrameHarness harness;
        EXPECT_EQ(harness.App().m_nPort, 1) << value;
        ASSERT_EQ(harness.Boxes().Shown().size(), 1u) << value;
        EXPECT_EQ(harness.Boxes().Shown()[0].text,
                  "The setting [COMM] PORT=" + std::string(value) + " in " + file +
                      " is not a port from 1 to 9.\n\nCOM1 is used.");
    }
    // Ports of the Port menu pass without a word.
    {
        guitest::QtSettings profile;
        profile.setValue(QStringLiteral("COMM/PORT"), 9);
    }
    theApp().LoadSettings();
    EXPECT_EQ(theApp().m_nPort, 9);
}

TEST(ApplicationTest, ASettingsFileThatIsNoneIsNamedNeitherReadNorWritten) {
    namespace fs = std::filesystem;
    const fs::path file = SettingsFile::DefaultPath();
    fs::create_directories(file.parent_path());
    // Grown far beyond what a settings file is: reading it whole would be the first harm.
    {
        std::ofstream out(file);
        out << "[COMM]\nPORT=3\n";
        out << std::string(2 * 1024 * 1024, ';') << "\n";
    }
    const auto size = fs::file_size(file);
    {
        guitest::FrameHarness harness;
        ASSERT_EQ(harness.Boxes().Shown().size(), 1u);
        EXPECT_EQ(harness.Boxes().Shown()[0].text,
                  "The settings file " + file.string() + " cannot be read: it is " +
                      std::to_string(size) +
                      " bytes long, more than a settings file can be.\n\nThe program runs on "
                      "its default settings and will not change that file.");
        EXPECT_EQ(harness.App().m_nPort, 1);
        harness.App().m_nPort = 4;  // what this run chose is kept for this run only
    }
    EXPECT_EQ(fs::file_size(file), size);

    // A link to an endless device is never opened at all.
    fs::remove(file);
    fs::create_symlink("/dev/zero", file);
    {
        guitest::FrameHarness harness;
        ASSERT_EQ(harness.Boxes().Shown().size(), 1u);
        EXPECT_NE(
            harness.Boxes().Shown()[0].text.find(file.string() + " cannot be read: it is a device"),
            std::string::npos)
            << harness.Boxes().Shown()[0].text;
    }
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(fs::read_symlink(file), "/dev/zero");

    // Mended, the file is the profile again.
    fs::remove(file);
    {
        guitest::FrameHarness harness;
        EXPECT_TRUE(harness.Boxes().Shown().empty());
    }
    EXPECT_TRUE(fs::is_regular_file(file));
}

TEST(ApplicationTest, QuestionsDefaultToNoAndOtherBoxesToOk) {
    const auto question = MessageBox::Build(nullptr, "Do You Really Delete Message?",
                                            "Delete Message", MessageBox::Question);
    EXPECT_EQ(question->defaultButton(), question->button(QMessageBox::No));
    EXPECT_EQ(question->icon(), QMessageBox::Question);
    EXPECT_EQ(question->windowTitle(), QStringLiteral("Delete Message"));

    const auto failure = MessageBox::Build(nullptr, "Delete Failed.", {}, MessageBox::Stop);
    EXPECT_EQ(failure->icon(), QMessageBox::Critical);
    EXPECT_EQ(failure->windowTitle(), QStringLiteral("QP2400"));
    EXPECT_NE(failure->button(QMessageBox::Ok), nullptr);
    EXPECT_EQ(failure->button(QMessageBox::No), nullptr);
}
