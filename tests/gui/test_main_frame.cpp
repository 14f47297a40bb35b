// The main frame as the program starts it: menus, tool bar, accelerators, status bar, panes,
// ports and their radio marks, view styles, and what closing leaves behind.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QWindow>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "core/files/cqp_doc.h"
#include "core/res/resource_ids.h"
#include "emulator/recorder_emulator.h"
#include "gui/app/manager_app.h"
#include "gui/frame/main_frame.h"
#include "gui/res/menu_resources.h"
#include "gui/views/files/left_view.h"
#include "gui/views/files/mid_view.h"
#include "gui/views/recorder/right_view.h"
#include "gui/widgets/message_box.h"
#include "tests/gui/gui_test_support.h"

namespace fs = std::filesystem;
using guitest::FrameHarness;

namespace {

// "text=id" per item, "-" for a separator, "text>" opening a sub-menu's items, "<" closing it.
void Describe(const QMenu* menu, std::vector<std::string>& out) {
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            out.push_back("-");
        } else if (action->menu()) {
            out.push_back(action->text().toStdString() + ">");
            Describe(action->menu(), out);
            out.push_back("<");
        } else {
            out.push_back(action->text().toStdString() + "=" +
                          std::to_string(action->data().toInt()));
        }
    }
}

std::vector<int> CheckedPorts(CMainFrame& frame) {
    std::vector<int> ports;
    for (int port = 1; port <= 9; ++port) {
        if (frame.Action(res::PortCommand(port))->isChecked()) ports.push_back(port);
    }
    return ports;
}

void WriteSetting(const QString& key, const QVariant& value) {
    guitest::QtSettings profile;
    profile.setValue(key, value);
    profile.sync();
}

QVariant ReadSetting(const QString& key) {
    guitest::QtSettings profile;
    return profile.value(key);
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_old) {
            ::setenv(m_name, m_old->c_str(), 1);
        } else {
            ::unsetenv(m_name);
        }
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

}  // namespace

TEST(MainFrameTest, MainMenuHasEveryItemWithItsId) {
    FrameHarness harness;
    QMenuBar* bar = harness.Frame().menuBar();
    std::vector<std::string> items;
    for (QAction* popup : bar->actions()) {
        items.push_back(popup->text().toStdString() + ">");
        Describe(popup->menu(), items);
        items.push_back("<");
    }
    const std::vector<std::string> expected = {
        "Menu(&M)>",
        "Port>",
        "COM1=32784",
        "COM2=32783",
        "COM3=32797",
        "COM4=32798",
        "COM5=32799",
        "COM6=32800",
        "COM7=32801",
        "COM8=32802",
        "COM9=32803",
        "<",
        "Connect(&C)=32791",
        "-",
        "Play=32788",
        "Save to Wav File=32789",
        "-",
        "Download All New…=32804",
        "-",
        "SetTime(&T)=32790",
        "SetDate(&D)=32792",
        "Refresh(F5)=32796",
        "-",
        "Exit(&X)=57665",
        "<",
        "Information>",
        "About(&A)...=57664",
        "<",
    };
    EXPECT_EQ(items, expected);
    EXPECT_EQ(harness.Frame().windowTitle(), QStringLiteral("Sonoret Manager"));
    EXPECT_EQ(harness.Frame().Action(res::ID_CONNECT)->objectName(), QStringLiteral("ID_CONNECT"));
}

TEST(MainFrameTest, ToolBarButtonsPromptsAndTips) {
    FrameHarness harness;
    QToolBar* bar = harness.Frame().ToolBar();
    EXPECT_EQ(bar->windowTitle(), QStringLiteral("ToolBar"));
    EXPECT_EQ(bar->iconSize(), QSize(16, 15));
    std::vector<int> ids;
    for (QAction* action : bar->actions())
        ids.push_back(action->isSeparator() ? 0 : action->data().toInt());
    EXPECT_EQ(ids, (std::vector<int>{32791, 32804, 0, 32790, 32792, 0, 59409, 59408, 59410, 59411,
                                     0, 32796}));
    for (QAction* action : bar->actions()) {
        if (!action->isSeparator()) {
            EXPECT_FALSE(action->icon().isNull()) << action->data().toInt();
        }
    }
    struct Prompt {
        int id;
        const char* status;
        const char* tip;
    };
    const Prompt prompts[] = {
        {32790, "Set RecorderTime On SystemTime  ", "Set Time"},
        {32791, "Connect to Recorder ", "Connect"},
        {32792, "Set RecorderDate On SystemDate ", "Set Date"},
        {32796, "Refresh on file list ", "Refresh"},
        {32804, "Download Every New Recording Into a Folder ", "Download All New"},
        {59408, "View Style On Small Icon  ", "Small Icon"},
        {59409, "View Style On Large Icon  ", "Large Icon"},
        {59410, "View Style On List  ", "List"},
        {59411, "View Style On Report  ", "Report"},
        {57664, "Display Program Information", "About"},
        {57665, "Exit ", "Exit"},
    };
    for (const Prompt& prompt : prompts) {
        QAction* action = harness.Frame().Action(prompt.id);
        ASSERT_NE(action, nullptr) << prompt.id;
        EXPECT_EQ(action->statusTip().toStdString(), prompt.status) << prompt.id;
        EXPECT_EQ(action->toolTip().toStdString(), prompt.tip) << prompt.id;
    }
    // A prompt shows in the message pane while the pointer is on its button.
    harness.Frame().Action(res::ID_CONNECT)->showStatusText(&harness.Frame());
    EXPECT_EQ(harness.Frame().StatusBar()->currentMessage(),
              QStringLiteral("Connect to Recorder "));
}

TEST(MainFrameTest, StatusBarHasItsPanes) {
    FrameHarness harness;
    QStatusBar* bar = harness.Frame().StatusBar();
    std::vector<int> ids;
    std::vector<std::string> texts;
    for (QLabel* pane : bar->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (!pane->property("paneId").isValid()) continue;
        ids.push_back(pane->property("paneId").toInt());
        texts.push_back(pane->text().toStdString());
    }
    // The port in use after the message pane.
    EXPECT_EQ(ids, (std::vector<int>{0, 102, 101, 0xE701, 0xE702, 0xE703}));
    // The offscreen platform does not tell the lock keys, so their panes stay blank.
    EXPECT_EQ(texts, (std::vector<std::string>{"Ready", "COM1 " + harness.Emulator().DevicePath(),
                                               "Message Date&Time", "", "", ""}));
}

TEST(MainFrameTest, AcceleratorsReachTheirCommands) {
    FrameHarness harness;
    std::map<std::string, int> keys;
    for (QShortcut* shortcut : harness.Frame().findChildren<QShortcut*>()) {
        keys[shortcut->key().toString().toStdString()] = shortcut->property("commandId").toInt();
    }
    EXPECT_EQ(keys, (std::map<std::string, int>{
                        {"Alt+C", 32791}, {"Alt+T", 32790}, {"Alt+D", 32792}, {"F5", 32796}}));

    CMainFrame& frame = harness.Frame();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    QTest::keyClick(&frame, Qt::Key_T, Qt::AltModifier);
    ASSERT_TRUE(harness.WaitUntilIdle());
    QTest::keyClick(&frame, Qt::Key_D, Qt::AltModifier);
    ASSERT_TRUE(harness.Emulator().WaitForFrames(2, std::chrono::seconds(5)));
    const auto frames = harness.Frames();
    EXPECT_EQ(frames[0][1], 0xC1);
    EXPECT_EQ(frames[1][1], 0xC2);

    // F5 reads the folder tree's folder into the file list again.
    harness.App().Document()->SetCurrentFolder("nowhere/");
    QTest::keyClick(&frame, Qt::Key_F5);
    ASSERT_TRUE(guitest::WaitFor([&] { return !frame.GetLeftView()->IsReadingFiles(); }));
    EXPECT_EQ(harness.App().Document()->GetCurrentFolder(),
              frame.GetLeftView()->SelectedFolderPath());
}

TEST(MainFrameTest, SplitterHoldsTheThreePanes) {
    FrameHarness harness;
    CMainFrame& frame = harness.Frame();
    QSplitter* splitter = frame.m_wndSplitter;
    ASSERT_EQ(splitter->count(), 3);
    EXPECT_EQ(splitter->widget(0), frame.GetLeftView());
    EXPECT_EQ(splitter->widget(1), frame.GetMidView());
    EXPECT_EQ(splitter->widget(2), frame.GetRightView());
    EXPECT_EQ(frame.GetRightView()->topLevelItemCount(), 5);
    // The document clears the recorder tree's message selection.
    frame.GetRightView()->m_bMessageSelected = 1;
    harness.App().Document()->ClearMessageSelection();
    EXPECT_EQ(frame.GetRightView()->m_bMessageSelected, 0);
}

TEST(MainFrameTest, PortRadioMarksAndThePortKeptForTheNextStart) {
    emu::RecorderEmulator second;
    ASSERT_TRUE(second.Start());
    WriteSetting(QStringLiteral("COMM/DEVICE3"), QString::fromStdString(second.DevicePath()));
    WriteSetting(QStringLiteral("COMM/DEVICE2"), QStringLiteral("/nonexistent/serial"));
    {
        FrameHarness harness;
        CMainFrame& frame = harness.Frame();
        EXPECT_EQ(CheckedPorts(frame), std::vector<int>{1});
        EXPECT_TRUE(frame.m_link.IsConnected());

        // A port that cannot be opened says so; the mark moves all the same.
        frame.Action(res::ID_PORT_COM2)->trigger();
        ASSERT_EQ(harness.Boxes().Shown().size(), 1u);
        EXPECT_EQ(harness.Boxes().Shown()[0].text,
                  "Serial Port Initialize Error\nCheck Your Commnunication Cable.\n"
                  "(/nonexistent/serial: no such device)");
        EXPECT_EQ(CheckedPorts(frame), std::vector<int>{2});
        EXPECT_FALSE(frame.m_link.IsConnected());

        frame.Action(res::ID_PORT_COM3)->trigger();
        EXPECT_EQ(CheckedPorts(frame), std::vector<int>{3});
        EXPECT_TRUE(frame.m_link.IsConnected());
        // The same port again re-opens it; the mark stays.
        frame.Action(res::ID_PORT_COM3)->trigger();
        EXPECT_EQ(CheckedPorts(frame), std::vector<int>{3});
        EXPECT_EQ(harness.Boxes().Shown().size(), 1u);
    }
    EXPECT_EQ(ReadSetting(QStringLiteral("COMM/PORT")).toInt(), 3);

    // The next start opens COM3, the device the settings name for it.
    CManagerApp& app = theApp();
    app.SetStartOptions({});
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(app.m_nPort, 3);
    EXPECT_EQ(CheckedPorts(*app.MainFrame()), std::vector<int>{3});
    second.ClearLog();
    EXPECT_TRUE(app.MainFrame()->m_link.SetTime(13, 45));
    ASSERT_EQ(second.ReceivedFrames().size(), 1u);
    EXPECT_EQ(second.ReceivedFrames()[0], (std::array<std::uint8_t, 4>{0xAA, 0xC1, 0xAE, 0x60}));
    app.MainFrame()->close();
    app.ExitInstance(0);
}

TEST(MainFrameTest, ViewStyleMarksFollowTheFileList) {
    FrameHarness harness;
    CMainFrame& frame = harness.Frame();
    frame.GetMidView()->SetViewMode(1);  // report
    frame.UpdateCommandUI();
    auto marks = [&frame] {
        std::vector<int> checked;
        for (int id : {59408, 59409, 59410, 59411}) {
            EXPECT_TRUE(frame.Action(id)->isEnabled());
            if (frame.Action(id)->isChecked()) checked.push_back(id);
        }
        return checked;
    };
    EXPECT_EQ(marks(), std::vector<int>{59411});

    frame.Action(res::ID_VIEW_LARGEICON)->trigger();
    EXPECT_EQ(frame.GetMidView()->GetViewMode(), 0);
    EXPECT_EQ(marks(), std::vector<int>{59409});
    frame.Action(res::ID_VIEW_SMALLICON)->trigger();
    EXPECT_EQ(frame.GetMidView()->GetViewMode(), 2);
    frame.Action(res::ID_VIEW_LIST)->trigger();
    EXPECT_EQ(frame.GetMidView()->GetViewMode(), 3);
    EXPECT_EQ(marks(), std::vector<int>{59410});

    // The file list's own menu sends the same commands.
    emit frame.GetMidView()->viewStyleCommand(res::ID_VIEW_DETAILS);
    EXPECT_EQ(frame.GetMidView()->GetViewMode(), 1);
    EXPECT_EQ(marks(), std::vector<int>{59411});
}

TEST(MainFrameTest, ClosingWritesTheSettingsSendsModeOffAndKeepsTheUsersFiles) {
    std::string workingFolder;
    std::string leftPath;
    {
        FrameHarness harness;
        workingFolder = harness.WorkingFolder();
        ASSERT_EQ(workingFolder, guitest::ScratchFolder() + "/program/Source/");
        ASSERT_TRUE(fs::is_directory(workingFolder));
        std::ofstream(workingFolder + "0_01.Bin") << "ours";
        std::ofstream(workingFolder + "0_01.wav") << "ours";
        std::ofstream(workingFolder + "notes.txt") << "the user's";
        harness.Close();
        leftPath = harness.App().m_strLeftPath;

        const auto frames = harness.Frames();
        ASSERT_FALSE(frames.empty());
        EXPECT_EQ(frames.back(), (std::array<std::uint8_t, 4>{0xAA, 0xAA, 0x00, 0xFF}));
    }
    EXPECT_FALSE(fs::exists(workingFolder + "0_01.Bin"));
    EXPECT_FALSE(fs::exists(workingFolder + "0_01.wav"));
    EXPECT_TRUE(fs::exists(workingFolder + "notes.txt"));

    EXPECT_EQ(ReadSetting(QStringLiteral("COMM/PORT")).toInt(), 1);
    EXPECT_EQ(ReadSetting(QStringLiteral("GLOBAL/PATH")).toString().toStdString(), workingFolder);
    EXPECT_EQ(ReadSetting(QStringLiteral("GLOBAL/LeftPth")).toString().toStdString(), leftPath);
    EXPECT_FALSE(leftPath.empty());

    // Nothing else left: the folder goes too.
    fs::remove(workingFolder + "notes.txt");
    {
        FrameHarness harness;
        EXPECT_EQ(harness.WorkingFolder(), workingFolder);
    }
    EXPECT_FALSE(fs::exists(workingFolder));
}

namespace {

// The program about to start on a device that does not exist.
CManagerApp& StartWithoutAPort() {
    CManagerApp& app = theApp();
    StartOptions start;
    start.devicePath = "/nonexistent/serial";
    app.SetStartOptions(start);
    return app;
}

}  // namespace

TEST(MainFrameTest, ARunThatDoesNotCloseTheWindowWritesNoSettings) {
    CManagerApp& app = StartWithoutAPort();
    ScriptedMessageBoxes boxes;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(boxes.Shown().size(), 1u);  // the port
    app.ExitInstance(0);
    EXPECT_FALSE(ReadSetting(QStringLiteral("COMM/PORT")).isValid());
}

TEST(MainFrameTest, StartUpBoxesComeOverThePlacedWindowAndTellThePortsReason) {
    CManagerApp& app = StartWithoutAPort();
    ScriptedMessageBoxes boxes;
    bool placed = false;
    boxes.OnShow([&placed, &app](const MessageBox::Shown& shown) {
        QWidget* frame = app.MainFrame();
        placed = frame && shown.parent == frame && frame->windowHandle() &&
                 frame->windowHandle()->isExposed();
    });
    ASSERT_TRUE(app.InitInstance());
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text,
              "Serial Port Initialize Error\nCheck Your Commnunication Cable.\n"
              "(/nonexistent/serial: no such device)");
    EXPECT_TRUE(placed) << "shown before the window was placed, or not over it";
    app.MainFrame()->close();
    app.ExitInstance(0);
}

TEST(MainFrameTest, WithoutAWorkingFolderTheCommandsThatNeedOneRefuseAndSaySo) {
    // Nowhere to make one: beside the program, the cache, the run-time and temporary folders
    // all lie below a plain file.
    const fs::path blocked = fs::path(guitest::ScratchFolder()) / "blocked";
    std::ofstream(blocked) << "a file, not a folder";
    ScopedEnv cache("XDG_CACHE_HOME", (blocked / "cache").string());
    ScopedEnv runtime("XDG_RUNTIME_DIR", (blocked / "run").string());
    ScopedEnv temporary("TMPDIR", blocked.string());
    CManagerApp& app = theApp();
    const std::string program = app.m_strProgramFolder;
    app.m_strProgramFolder = blocked.string();

    const fs::path here = fs::current_path();
    const fs::path startedIn = fs::path(guitest::ScratchFolder()) / "cwd";
    fs::create_directories(startedIn);
    fs::current_path(startedIn);
    std::ofstream(startedIn / "0_02.wav") << "the user's";
    {
        FrameHarness harness([](emu::RecorderEmulator& emulator) {
            emulator.WithModel([](emu::RecorderModel& model) {
                for (auto& folder : model.folders) folder.clear();
                model.folders[0] = {guitest::SilentMessage(1), guitest::SilentMessage(1)};
            });
        });
        ASSERT_EQ(harness.Boxes().Shown().size(), 1u) << harness.WorkingFolder();
        const std::string said = harness.Boxes().Shown()[0].text;
        EXPECT_EQ(said.rfind("There is no folder on this PC for the recorder's messages:\n", 0), 0u)
            << said;
        EXPECT_NE(said.find(blocked.string()), std::string::npos) << said;
        EXPECT_EQ(harness.WorkingFolder(), "");

        harness.Connect();
        harness.SelectMessage(0, 1);
        harness.Emulator().ClearLog();
        harness.Boxes().Clear();
        harness.Boxes().Answer(MessageBox::IdYes);
        harness.saveAsAnswer = QString::fromStdString((startedIn / "out.wav").string());
        for (int id : {res::ID_PLAY, res::ID_SAVE_TO_WAV, res::ID_MESSAGE_DELETE,
                       res::ID_DOWNLOAD_ALL_NEW}) {
            harness.Frame().OnCommand(id);
        }
        ASSERT_EQ(harness.Boxes().Shown().size(), 4u);
        for (const auto& shown : harness.Boxes().Shown()) EXPECT_EQ(shown.text, said);
        EXPECT_TRUE(harness.Frames().empty());
        EXPECT_TRUE(harness.proposedNames.empty());
        EXPECT_EQ(harness.Tree().topLevelItem(0)->childCount(), 2);
    }
    fs::current_path(here);
    app.m_strProgramFolder = program;
    // Nothing was made or renumbered in the folder the program was started from.
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(startedIn)) {
        left.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(left, std::vector<std::string>{"0_02.wav"});
}
