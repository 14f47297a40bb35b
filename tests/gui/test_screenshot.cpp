// Not a test: the picture of the main window for the documentation. Run by hand under a
// virtual display, for example
//   SONORET_SCREENSHOT=docs/screenshot-main.png QT_QPA_PLATFORM=xcb xvfb-run -a
//     build/default/bin/test_gui --gtest_also_run_disabled_tests --gtest_filter='*Screenshot*'
// It starts the program as --simulate does, connects, saves two messages into a folder of
// recordings that the folder tree shows (SONORET_SCREENSHOT_RECORDINGS, else one of the
// test's own), and grabs the screen.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <cstdlib>
#include <filesystem>

#include "core/res/resource_ids.h"
#include "gui/app/manager_app.h"
#include "gui/frame/main_frame.h"
#include "gui/views/files/mid_view.h"
#include "gui/views/recorder/right_view.h"
#include "tests/gui/gui_test_support.h"

namespace fs = std::filesystem;

TEST(ScreenshotTest, DISABLED_MainWindowAfterConnect) {
    const char* path = std::getenv("SONORET_SCREENSHOT");
    if (!path || !*path) GTEST_SKIP() << "SONORET_SCREENSHOT names the picture to write";

    const char* chosen = std::getenv("SONORET_SCREENSHOT_RECORDINGS");
    const fs::path recordings =
        chosen && *chosen ? fs::path(chosen) : fs::path(guitest::ScratchFolder()) / "Recordings";
    fs::create_directories(recordings);
    {
        guitest::QtSettings profile;
        profile.setValue(QStringLiteral("GLOBAL/LeftPth"),
                         QString::fromStdString(recordings.string() + "/"));
    }
    CManagerApp& app = theApp();
    StartOptions options;
    options.simulate = true;
    app.SetStartOptions(options);
    ASSERT_TRUE(app.InitInstance());
    CMainFrame& frame = *app.MainFrame();
    frame.resize(1000, 600);
    frame.GetMidView()->SetViewMode(1);

    frame.OnCommand(res::ID_CONNECT);
    ASSERT_TRUE(
        guitest::WaitFor([&] { return !frame.IsRecorderBusy(); }, std::chrono::seconds(60)));
    CRightView& tree = *frame.GetRightView();
    ASSERT_GT(tree.topLevelItem(0)->childCount(), 1);
    tree.topLevelItem(0)->setExpanded(true);
    tree.topLevelItem(4)->setExpanded(true);

    // Two messages saved as the user would, under the names the program proposes.
    QString proposed;
    frame.SetSaveAsDialog(
        [&](QWidget*, const QString&, const QString& name, const QStringList&, const QString&) {
            proposed = name;
            return QString::fromStdString((recordings / (name.toStdString() + ".wav")).string());
        });
    for (int position : {1, 2}) {
        guitest::ClickItem(tree, tree.topLevelItem(0)->child(position - 1));
        frame.OnCommand(res::ID_SAVE_TO_WAV);
        const fs::path saved = recordings / (proposed.toStdString() + ".wav");
        ASSERT_TRUE(guitest::WaitFor([&] { return fs::exists(saved); }, std::chrono::seconds(120)));
        ASSERT_TRUE(guitest::WaitFor([&] { return !frame.IsRecorderBusy(); }));
    }
    frame.OnCommand(res::ID_REFRESH);
    guitest::ClickItem(tree, tree.topLevelItem(4)->child(0));
    guitest::WaitFor([] { return false; }, std::chrono::milliseconds(500));

    QScreen* screen = QGuiApplication::primaryScreen();
    const QPixmap picture = screen->grabWindow(0).copy(frame.frameGeometry());
    ASSERT_TRUE(picture.save(QString::fromLocal8Bit(path)));
    frame.close();
    guitest::WaitFor([&] { return frame.IsClosing() != 0; });
    app.ExitInstance(0);
}
