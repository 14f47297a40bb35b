// The recorder commands end to end against the emulator: connect, play, save, delete, the
// recorder's clock, the message date pane, and what a download in progress allows.
#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/files/cqp_doc.h"
#include "core/link/serial_channel.h"
#include "core/res/resource_ids.h"
#include "emulator/recorder_emulator.h"
#include "gui/app/manager_app.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/progress_window.h"
#include "gui/res/menu_resources.h"
#include "gui/views/files/left_view.h"
#include "gui/views/recorder/right_view.h"
#include "gui/widgets/message_box.h"
#include "tests/gui/gui_test_support.h"

namespace fs = std::filesystem;
using guitest::Children;
using guitest::ClickItem;
using guitest::Content;
using guitest::FrameHarness;
using guitest::Texts;
using Frame4 = std::array<std::uint8_t, 4>;

namespace {

emu::Options Paced() {
    emu::Options options;
    options.paced = true;
    return options;
}

bool Contains(const std::vector<Frame4>& frames, const Frame4& frame) {
    return std::find(frames.begin(), frames.end(), frame) != frames.end();
}

bool HasCommand(const std::vector<Frame4>& frames, std::uint8_t command) {
    return std::any_of(frames.begin(), frames.end(), [command](const Frame4& frame) {
        return frame[1] == command && !(command == 0xAA && frame[2] != 0xAA);
    });
}

bool Has(const std::vector<QString>& captions, const char* caption) {
    return std::find(captions.begin(), captions.end(), QString::fromLatin1(caption)) !=
           captions.end();
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

QString DatePane(CMainFrame& frame) {
    return frame.StatusBar()->findChild<QLabel*>(QStringLiteral("messageDatePane"))->text();
}

}  // namespace

TEST(RecorderCommandsTest, ConnectFillsTheTreeWithLabelsAndCounts) {
    FrameHarness harness(Content({3, 0, 0, 1, 2}));
    harness.Connect();
    CRightView& tree = harness.Tree();
    std::vector<std::string> folders;
    for (int f = 0; f < tree.topLevelItemCount(); ++f) {
        folders.push_back(tree.topLevelItem(f)->text(0).toStdString());
    }
    EXPECT_EQ(folders, (std::vector<std::string>{"1 File (3)", "2 File (0)", "3 File (0)",
                                                 "4 File (1)", "5 File (2)"}));
    EXPECT_EQ(Texts(Children(tree.topLevelItem(0))),
              (std::vector<std::string>{"01: 12-25 14:05 (SP-0:00)", "02: 12-25 14:06 (SP-0:00)",
                                        "03: 12-25 14:07 (SP-0:00)"}));
    EXPECT_EQ(Texts(Children(tree.topLevelItem(4))),
              (std::vector<std::string>{"01: 12-25 14:05 (SP-0:00)", "02: 12-25 14:06 (SP-0:00)"}));

    const auto frames = harness.Frames();
    ASSERT_GE(frames.size(), 8u);
    EXPECT_EQ(frames[0], (Frame4{0xAA, 0xAA, 0xAA, 0x55}));
    EXPECT_EQ(frames[1], (Frame4{0xAA, 0xBD, 0x00, 0x00}));
    EXPECT_EQ(frames[2], (Frame4{0xAA, 0xB1, 0x00, 0x01}));
    EXPECT_EQ(frames[5], (Frame4{0xAA, 0xB1, 0x03, 0x01}));
    EXPECT_EQ(frames[7], (Frame4{0xAA, 0xB1, 0x04, 0x02}));
    EXPECT_TRUE(Has(harness.captions, "Connect"));
    EXPECT_TRUE(Has(harness.captions, "Connect [16%]"));
    EXPECT_TRUE(Has(harness.captions, "Connect [100%]"));
    EXPECT_TRUE(harness.Boxes().Shown().empty());
}

TEST(RecorderCommandsTest, OpenFoldersSurviveAReconnectAndACancelledConnectEmptiesTheTree) {
    FrameHarness harness(Content({2, 1, 0, 1, 0}));
    harness.Connect();
    CRightView& tree = harness.Tree();
    tree.topLevelItem(0)->setExpanded(true);
    tree.topLevelItem(3)->setExpanded(true);
    harness.Connect();
    EXPECT_TRUE(tree.topLevelItem(0)->isExpanded());
    EXPECT_FALSE(tree.topLevelItem(1)->isExpanded());
    EXPECT_TRUE(tree.topLevelItem(3)->isExpanded());
    EXPECT_EQ(tree.topLevelItem(3)->childCount(), 1);

    // Cancel pressed as soon as the connect's window shows.
    harness.Frame().SetProgressObserver([](ProgressWindow* window) { window->OnCancel(); });
    harness.Command(res::ID_CONNECT);
    EXPECT_TRUE(harness.Boxes().Shown().empty());
    EXPECT_EQ(tree.topLevelItem(0)->text(0), QStringLiteral("1 File"));
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 0);
}

TEST(RecorderCommandsTest, DeleteKeyWithYesRemovesTheMessageAndRenumbers) {
    FrameHarness harness(Content({3, 0, 0, 0, 0}));
    harness.Connect();
    harness.SelectMessage(0, 2);
    harness.Boxes().Answer(MessageBox::IdYes);
    harness.Emulator().ClearLog();
    harness.Tree().setFocus();
    QTest::keyClick(&harness.Tree(), Qt::Key_Delete);
    ASSERT_TRUE(harness.WaitUntilIdle());

    ASSERT_EQ(harness.Boxes().Shown().size(), 1u);
    const MessageBox::Shown& question = harness.Boxes().Shown()[0];
    // The question names the message it is about.
    EXPECT_EQ(question.text, "Do You Really Delete Message?\n\n1 File - 02: 12-25 14:06 (SP-0:00)");
    EXPECT_EQ(question.caption, "Delete Message");
    EXPECT_EQ(question.kind, MessageBox::Question);
    EXPECT_TRUE(Contains(harness.Frames(), Frame4{0xAA, 0xBE, 0x00, 0x02}));

    QTreeWidgetItem* folder = harness.Tree().topLevelItem(0);
    EXPECT_EQ(folder->text(0), QStringLiteral("1 File (2)"));
    EXPECT_TRUE(folder->isExpanded());
    // The third message is the second now, on the PC as on the recorder.
    EXPECT_EQ(Texts(Children(folder)),
              (std::vector<std::string>{"01: 12-25 14:05 (SP-0:00)", "02: 12-25 14:07 (SP-0:00)"}));
    EXPECT_EQ(harness.Tree().m_bMessageSelected, 0);
}

TEST(RecorderCommandsTest, DeleteFromTheMenuAnsweredNoSendsNothing) {
    FrameHarness harness(Content({2, 0, 0, 0, 0}));
    harness.Connect();
    harness.Tree().topLevelItem(0)->setExpanded(true);
    ClickItem(harness.Tree(), harness.MessageItem(0, 1), /*right=*/true);
    QMenu* menu = harness.Tree().ContextMenu();
    ASSERT_TRUE(menu->isVisible());
    harness.Emulator().ClearLog();
    menu->actions().at(4)->trigger();  // "Delete"; the script answers No
    menu->hide();
    ASSERT_EQ(harness.Boxes().Shown().size(), 1u);
    EXPECT_FALSE(HasCommand(harness.Frames(), 0xBE));
    EXPECT_EQ(harness.Tree().topLevelItem(0)->childCount(), 2);
}

TEST(RecorderCommandsTest, CommandsNeverActOnAFolderOrOnAnItemOfAnEarlierTree) {
    FrameHarness harness(Content({2, 1, 0, 0, 0}));
    CMainFrame& frame = harness.Frame();
    EXPECT_FALSE(frame.Action(res::ID_PLAY)->isEnabled());
    harness.Connect();
    harness.SelectMessage(0, 1);
    EXPECT_TRUE(frame.Action(res::ID_PLAY)->isEnabled());
    EXPECT_TRUE(frame.Action(res::ID_SAVE_TO_WAV)->isEnabled());

    // A right click on a folder makes the folder current: nothing to play, save or delete.
    ClickItem(harness.Tree(), harness.Tree().topLevelItem(1), /*right=*/true);
    EXPECT_FALSE(frame.Action(res::ID_PLAY)->isEnabled());
    harness.Emulator().ClearLog();
    for (int id : {res::ID_MESSAGE_PLAY, res::ID_MESSAGE_SAVE_TO_WAV, res::ID_MESSAGE_DELETE}) {
        frame.OnCommand(id);
    }
    EXPECT_TRUE(harness.Boxes().Shown().empty());
    EXPECT_TRUE(harness.proposedNames.empty());
    EXPECT_TRUE(harness.Frames().empty());

    // After a rebuild the old message is gone for the commands too.
    harness.SelectMessage(0, 2);
    harness.Connect();
    EXPECT_FALSE(frame.Action(res::ID_PLAY)->isEnabled());
    harness.Emulator().ClearLog();
    for (int id : {res::ID_MESSAGE_PLAY, res::ID_MESSAGE_DELETE, res::ID_PLAY}) frame.OnCommand(id);
    EXPECT_TRUE(harness.Boxes().Shown().empty());
    EXPECT_TRUE(harness.Frames().empty());

    // Another pane taking the selection disables Play and Save.
    harness.SelectMessage(0, 2);
    harness.App().Document()->ClearMessageSelection();
    frame.UpdateCommandUI();
    EXPECT_FALSE(frame.Action(res::ID_SAVE_TO_WAV)->isEnabled());
}

TEST(RecorderCommandsTest, PlayDownloadsConvertsAndOpensThenOpensAtOnce) {
    FrameHarness harness(Content({1, 2, 0, 0, 0}, 3));
    harness.Connect();
    harness.SelectMessage(1, 2);
    harness.Emulator().ClearLog();
    harness.Frame().Action(res::ID_PLAY)->trigger();
    ASSERT_TRUE(guitest::WaitFor([&] { return !harness.opened.empty(); }));

    const std::string wav = harness.WorkingFolder() + "1_02.wav";
    EXPECT_EQ(harness.opened, std::vector<std::string>{wav});
    EXPECT_EQ(ReadFile(wav).substr(0, 4), "RIFF");
    EXPECT_EQ(fs::file_size(harness.WorkingFolder() + "1_02.Bin"), 3u * 528u);
    EXPECT_TRUE(Contains(harness.Frames(), Frame4{0xAA, 0xBF, 0x01, 0x02}));
    for (const char* caption : {"Receive", "Receive [33%]", "Receive [100%]", "Convert",
                                "Convert [5%]", "Convert [50%]", "Convert [100%]"}) {
        EXPECT_TRUE(Has(harness.captions, caption)) << caption;
    }
    EXPECT_TRUE(harness.Boxes().Shown().empty());

    // Converted already: it opens at once, nothing is fetched again.
    harness.Emulator().ClearLog();
    harness.Frame().Action(res::ID_PLAY)->trigger();
    EXPECT_EQ(harness.opened, (std::vector<std::string>{wav, wav}));
    EXPECT_TRUE(harness.Frames().empty());

    // The WAV deleted meanwhile (the file list can do that): made again from the ".Bin".
    fs::remove(wav);
    harness.Frame().Action(res::ID_PLAY)->trigger();
    ASSERT_TRUE(guitest::WaitFor([&] { return harness.opened.size() == 3; }));
    EXPECT_EQ(ReadFile(wav).substr(0, 4), "RIFF");
    EXPECT_TRUE(harness.Frames().empty());
}

TEST(RecorderCommandsTest, SaveToWavReplacesTheFileTheUserAgreedToReplace) {
    FrameHarness harness(Content({3, 0, 0, 0, 0}));
    harness.Connect();
    harness.SelectMessage(0, 3);
    const fs::path out = fs::path(guitest::ScratchFolder()) / "out";
    fs::create_directories(out);
    const std::string target = (out / "kept.wav").string();
    std::ofstream(target) << "an older file of the same name";
    harness.saveAsAnswer = QString::fromStdString(target);

    harness.Frame().Action(res::ID_SAVE_TO_WAV)->trigger();
    ASSERT_EQ(harness.proposedNames.size(), 1u);
    EXPECT_EQ(harness.proposedNames[0], QStringLiteral("03_ 12-25 14_07 (SP-0_00)"));
    EXPECT_EQ(harness.saveAsFolders[0].toStdString(), harness.App().m_strLeftPath);
    EXPECT_EQ(harness.saveAsFilters[0],
              (QStringList{QStringLiteral("Wave File( *.wav )"), QStringLiteral("Other ( *.* )")}));
    const std::string wav = harness.WorkingFolder() + "0_03.wav";
    ASSERT_TRUE(harness.WaitUntilIdle());
    EXPECT_EQ(ReadFile(target).substr(0, 4), "RIFF");
    EXPECT_TRUE(ReadFile(target) == ReadFile(wav));
    EXPECT_TRUE(harness.opened.empty());

    // Converted already: copied at once, again over an existing file.
    const std::string second = (out / "again.wav").string();
    std::ofstream(second) << "old";
    harness.saveAsAnswer = QString::fromStdString(second);
    harness.Emulator().ClearLog();
    harness.Command(res::ID_MESSAGE_SAVE_TO_WAV);
    EXPECT_TRUE(ReadFile(second) == ReadFile(wav));
    EXPECT_TRUE(harness.Frames().empty());

    // Cancelled: nothing happens.
    harness.saveAsAnswer.clear();
    harness.Frame().OnCommand(res::ID_SAVE_TO_WAV);
    EXPECT_TRUE(harness.Frames().empty());
    EXPECT_TRUE(harness.Boxes().Shown().empty());
}

TEST(RecorderCommandsTest, SaveToWavReportsAFailedCopyAndAFailedConversion) {
    FrameHarness harness(Content({2, 0, 0, 0, 0}));
    harness.Connect();
    harness.SelectMessage(0, 1);
    harness.saveAsAnswer =
        QString::fromStdString(guitest::ScratchFolder() + "/no/such/folder/lost.wav");
    harness.Frame().Action(res::ID_SAVE_TO_WAV)->trigger();
    ASSERT_TRUE(guitest::WaitFor([&] { return !harness.Boxes().Shown().empty(); }));
    EXPECT_EQ(harness.Boxes().Shown()[0].text, "'lost.wav' File Copy Failed.");
    EXPECT_EQ(harness.Boxes().Shown()[0].caption, "File Copy");
    EXPECT_EQ(harness.Boxes().Shown()[0].kind, MessageBox::Stop);

    // A conversion that cannot write its file (a folder stands in its way).
    fs::create_directories(harness.WorkingFolder() + "0_02.wav");
    const std::string target = guitest::ScratchFolder() + "/kept.wav";
    std::ofstream(target) << "old";
    harness.saveAsAnswer = QString::fromStdString(target);
    harness.SelectMessage(0, 2);
    harness.Frame().Action(res::ID_SAVE_TO_WAV)->trigger();
    ASSERT_TRUE(guitest::WaitFor([&] { return harness.Boxes().Shown().size() == 2; }));
    EXPECT_EQ(harness.Boxes().Shown()[1].text, " Convert Failed ");
    EXPECT_EQ(ReadFile(target), "old");
    fs::remove(harness.WorkingFolder() + "0_02.wav");
}

TEST(RecorderCommandsTest, CompletionConvertsTheDownloadedMessageNotTheOneNowCurrent) {
    const emu::Options options = Paced();
    FrameHarness harness(Content({2, 0, 0, 0, 0}, 8), &options);
    harness.Connect();
    harness.SelectMessage(0, 1);
    harness.Frame().Action(res::ID_PLAY)->trigger();
    ASSERT_TRUE(harness.Frame().IsRecorderBusy());
    harness.SelectMessage(0, 2);
    ASSERT_TRUE(guitest::WaitFor([&] { return !harness.opened.empty(); }));
    EXPECT_EQ(harness.opened, std::vector<std::string>{harness.WorkingFolder() + "0_01.wav"});
    EXPECT_FALSE(fs::exists(harness.WorkingFolder() + "0_02.wav"));
    EXPECT_TRUE(harness.Boxes().Shown().empty());
}

TEST(RecorderCommandsTest, WhileADownloadRunsTheRecorderCommandsAreRefused) {
    const emu::Options options = Paced();
    FrameHarness harness(Content({1, 0, 0, 0, 0}, 12), &options);
    CMainFrame& frame = harness.Frame();
    harness.Connect();
    harness.SelectMessage(0, 1);
    harness.Emulator().ClearLog();
    frame.Action(res::ID_PLAY)->trigger();
    ASSERT_TRUE(frame.IsRecorderBusy());

    std::vector<int> recorderCommands = {res::ID_CONNECT, res::ID_PLAY, res::ID_SAVE_TO_WAV,
                                         res::ID_SET_TIME, res::ID_SET_DATE};
    for (int port = 1; port <= 9; ++port) recorderCommands.push_back(res::PortCommand(port));
    for (int id : recorderCommands) EXPECT_FALSE(frame.Action(id)->isEnabled()) << id;
    for (QAction* action : harness.Tree().ContextMenu()->actions()) {
        if (!action->isSeparator()) {
            EXPECT_FALSE(action->isEnabled());
        }
    }
    EXPECT_TRUE(frame.Action(res::ID_REFRESH)->isEnabled());

    // Refused even when they come another way (an accelerator, say).
    for (int id : {res::ID_CONNECT, res::ID_SET_TIME, res::ID_SET_DATE, res::ID_PORT_COM2,
                   res::ID_MESSAGE_DELETE}) {
        frame.OnCommand(id);
    }
    EXPECT_EQ(harness.App().m_nPort, 1);
    EXPECT_TRUE(harness.Boxes().Shown().empty());

    ASSERT_TRUE(guitest::WaitFor([&] { return !harness.opened.empty(); }));
    const auto frames = harness.Frames();
    EXPECT_EQ(frames, (std::vector<Frame4>{Frame4{0xAA, 0xBF, 0x00, 0x01}}));
    ASSERT_TRUE(guitest::WaitFor([&] { return frame.Action(res::ID_CONNECT)->isEnabled(); }));
    EXPECT_TRUE(frame.Action(res::ID_PORT_COM2)->isEnabled());
}

TEST(RecorderCommandsTest, ClosingDuringADownloadCancelsItWaitsAndCloses) {
    const emu::Options options = Paced();
    FrameHarness harness(Content({1, 0, 0, 0, 0}, 60), &options);
    harness.Connect();
    harness.SelectMessage(0, 1);
    const std::string folder = harness.WorkingFolder();
    harness.Emulator().ClearLog();
    harness.Frame().Action(res::ID_PLAY)->trigger();
    ASSERT_TRUE(guitest::WaitFor([&] { return Has(harness.captions, "Receive [3%]"); }));

    harness.Close();
    EXPECT_FALSE(harness.App().MainFrame());
    // The recorder heard the cancel filler (256 zero bytes) after the download request.
    const auto bytes = harness.Emulator().ReceivedBytes();
    const std::vector<std::uint8_t> filler(256, 0);
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), filler.begin(), filler.end()), bytes.end());
    EXPECT_FALSE(fs::exists(folder + "0_01.Bin"));
    EXPECT_TRUE(harness.opened.empty());
    EXPECT_TRUE(harness.Boxes().Shown().empty());
    guitest::QtSettings profile;
    EXPECT_EQ(profile.value(QStringLiteral("COMM/PORT")).toInt(), 1);
}

TEST(RecorderCommandsTest, SetTimeAndSetDateSendThePcsLocalClock) {
    // Half past one at night in a zone nine hours ahead of UTC: the UTC date is still the day
    // before, the recorder must get the local one.
    ::setenv("TZ", "KST-9", 1);
    ::tzset();
    FrameHarness harness;
    const auto utc = std::chrono::sys_days{std::chrono::year{2024} / 3 / 9} +
                     std::chrono::hours(16) + std::chrono::minutes(30);
    harness.Frame().SetClock([utc] { return std::chrono::system_clock::to_time_t(utc); });
    harness.Command(res::ID_SET_TIME);
    harness.Command(res::ID_SET_DATE);

    const int days = (std::chrono::sys_days{std::chrono::year{2024} / 3 / 10} -
                      std::chrono::sys_days{std::chrono::year{2001} / 1 / 1})
                         .count();
    const int time = (1 * 60 + 30) * 30;
    EXPECT_EQ(harness.Frames(),
              (std::vector<Frame4>{Frame4{0xAA, 0xC1, static_cast<std::uint8_t>(time),
                                          static_cast<std::uint8_t>(time >> 8)},
                                   Frame4{0xAA, 0xC2, static_cast<std::uint8_t>(days),
                                          static_cast<std::uint8_t>(days >> 8)}}));
    EXPECT_TRUE(harness.Boxes().Shown().empty());
}

TEST(RecorderCommandsTest, MessageDatePaneAndCommandsFollowTheCurrentMessage) {
    FrameHarness harness(Content({3, 0, 0, 0, 0}));
    CMainFrame& frame = harness.Frame();
    CRightView& tree = harness.Tree();
    harness.Connect();
    EXPECT_EQ(DatePane(frame), QStringLiteral("Message Date&Time"));
    harness.SelectMessage(0, 2);
    EXPECT_EQ(DatePane(frame), QStringLiteral("2001-12-25 14:06"));
    ClickItem(tree, tree.topLevelItem(2));
    EXPECT_EQ(DatePane(frame), QStringLiteral("Message Date&Time"));

    // The keys move it too.
    harness.SelectMessage(0, 1);
    tree.setFocus();
    QTest::keyClick(&tree, Qt::Key_Down);
    EXPECT_EQ(DatePane(frame), QStringLiteral("2001-12-25 14:06"));
    QTest::keyClick(&tree, Qt::Key_Down);
    EXPECT_EQ(DatePane(frame), QStringLiteral("2001-12-25 14:07"));

    // Another pane takes the selection; coming back to the tree, where the message still shows
    // selected, makes Play and Save usable again.
    harness.App().Document()->ClearMessageSelection();
    frame.UpdateCommandUI();
    ASSERT_FALSE(frame.Action(res::ID_PLAY)->isEnabled());
    QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(&tree, &focusIn);
    EXPECT_TRUE(frame.Action(res::ID_PLAY)->isEnabled());
    EXPECT_TRUE(frame.Action(res::ID_SAVE_TO_WAV)->isEnabled());

    // The deleted message's date goes with it.
    harness.Boxes().Answer(MessageBox::IdYes);
    QTest::keyClick(&tree, Qt::Key_Delete);
    ASSERT_TRUE(harness.WaitUntilIdle());
    ASSERT_EQ(harness.Boxes().Shown().size(), 1u);
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(DatePane(frame), QStringLiteral("Message Date&Time"));
}

TEST(RecorderCommandsTest, OnlyEscapeInTheReceiveWindowCancelsADownload) {
    const emu::Options options = Paced();
    FrameHarness harness(Content({2, 0, 0, 0, 0}, 10), &options);
    CMainFrame& frame = harness.Frame();
    harness.Connect();
    QPointer<ProgressWindow> receive;
    frame.SetProgressObserver([&receive](ProgressWindow* window) {
        if (window->windowTitle().startsWith(QStringLiteral("Receive"))) receive = window;
    });

    // An Escape that closes a menu, or that goes to a pane, belongs there.
    harness.SelectMessage(0, 1);
    frame.Action(res::ID_PLAY)->trigger();
    ASSERT_TRUE(guitest::WaitFor([&] { return !receive.isNull(); }));
    QMenu* menu = frame.menuBar()->actions().at(0)->menu();
    menu->popup(frame.mapToGlobal(QPoint(10, 10)));
    QTest::keyClick(menu, Qt::Key_Escape);
    QTest::keyClick(&harness.Tree(), Qt::Key_Escape);
    ASSERT_TRUE(guitest::WaitFor([&] { return !harness.opened.empty(); }));
    EXPECT_TRUE(harness.Boxes().Shown().empty());

    // In the progress window it cancels: nothing is left, nothing is said.
    harness.SelectMessage(0, 2);
    receive.clear();
    frame.Action(res::ID_PLAY)->trigger();
    ASSERT_TRUE(guitest::WaitFor([&] { return !receive.isNull() && receive->m_nPos >= 1; }));
    QTest::keyClick(receive.data(), Qt::Key_Escape);
    ASSERT_TRUE(guitest::WaitFor([&] { return !frame.m_link.IsBusy(); }));
    // Cancelled: nothing downloaded, nothing said.
    EXPECT_EQ(frame.m_link.Directory().Entry(0, 2).downloaded, 0);
    EXPECT_EQ(harness.opened.size(), 1u);
    EXPECT_FALSE(fs::exists(harness.WorkingFolder() + "0_02.Bin"));
    EXPECT_TRUE(harness.Boxes().Shown().empty());
}

TEST(RecorderCommandsTest, WhenThePcFailsPlayNamesTheFileAndTheReason) {
    FrameHarness harness(Content({2, 0, 0, 0, 0}));
    harness.Connect();

    // The ".Bin" cannot be written (a folder stands in its way): not a cable fault.
    const std::string bin = harness.WorkingFolder() + "0_01.Bin";
    fs::create_directories(bin);
    harness.SelectMessage(0, 1);
    harness.Frame().Action(res::ID_PLAY)->trigger();
    ASSERT_TRUE(guitest::WaitFor([&] { return !harness.Boxes().Shown().empty(); }));
    EXPECT_EQ(harness.Boxes().Shown()[0].text,
              "The message could not be saved on this PC:\n" + bin + ": Is a directory");
    EXPECT_EQ(harness.Boxes().Shown()[0].kind, MessageBox::Stop);
    fs::remove(bin);

    // The desktop has no player for ".wav": the user learns where the file is.
    harness.openerWorks = false;
    harness.SelectMessage(0, 2);
    harness.Frame().Action(res::ID_PLAY)->trigger();
    ASSERT_TRUE(guitest::WaitFor([&] { return harness.Boxes().Shown().size() == 2; }));
    const std::string wav = harness.WorkingFolder() + "0_02.wav";
    EXPECT_EQ(harness.opened, std::vector<std::string>{wav});
    EXPECT_EQ(harness.Boxes().Shown()[1].text,
              "No program on this PC opens the message for playing:\n" + wav);
    EXPECT_EQ(harness.Boxes().Shown()[1].kind, MessageBox::Stop);
}

TEST(RecorderCommandsTest, SaveAsOpensInTheFolderTheTreeShowsOrItsNearestExistingParent) {
    const fs::path shown = fs::path(guitest::ScratchFolder()) / "shown" / "deeper";
    fs::create_directories(shown);
    {
        guitest::QtSettings profile;
        profile.setValue(QStringLiteral("GLOBAL/LeftPth"),
                         QString::fromStdString(shown.string() + "/"));
    }
    FrameHarness harness(Content({1, 0, 0, 0, 0}));
    harness.Connect();
    harness.SelectMessage(0, 1);
    ASSERT_EQ(harness.Frame().GetLeftView()->SelectedFolderPath(), shown.string() + "/");

    // The remembered folder may name another folder by now; the dialog follows the tree.
    harness.App().m_strLeftPath = "/";
    harness.Frame().Action(res::ID_SAVE_TO_WAV)->trigger();
    // The folder has gone since: its nearest parent that is still there.
    fs::remove_all(shown.parent_path());
    harness.Frame().Action(res::ID_SAVE_TO_WAV)->trigger();
    ASSERT_EQ(harness.saveAsFolders.size(), 2u);
    EXPECT_EQ(harness.saveAsFolders[0].toStdString(), shown.string() + "/");
    EXPECT_EQ(harness.saveAsFolders[1].toStdString(), guitest::ScratchFolder() + "/");
}

TEST(RecorderCommandsTest, FailuresOfTheLineAreReportedWithTheirOwnTexts) {
    FrameHarness harness(Content({2, 0, 0, 0, 0}));
    harness.Connect();
    harness.SelectMessage(0, 1);
    // The recorder's silence costs a moment per expected reply, not its three seconds.
    harness.Frame().Link().Channel().SetReplyTimeout(300);
    emu::FaultSwitches silent;
    silent.silent = true;
    harness.Emulator().SetFaults(silent);

    harness.Command(res::ID_SET_TIME);
    harness.Command(res::ID_SET_DATE);
    harness.Boxes().Answer(MessageBox::IdYes);
    harness.Command(res::ID_MESSAGE_DELETE);
    harness.Command(res::ID_CONNECT);
    harness.Command(res::ID_PLAY);
    ASSERT_EQ(harness.Boxes().Shown().size(), 6u);

    std::vector<std::string> texts;
    for (const auto& shown : harness.Boxes().Shown()) texts.push_back(shown.text);
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "Communition ERROR!\n\nCheck Your Commnunication Cable",
                         "Communition ERROR!\n\nCheck Your Commnunication Cable.",
                         "Do You Really Delete Message?\n\n1 File - 01: 12-25 14:05 (SP-0:00)",
                         "Delete Failed.\nCheck Your Commnunication Cable.",
                         "Communition ERROR!\n\nCheck Your Commnunication Cable.",
                         "Communition ERROR!\n\nCheck Your Commnunication Cable.",
                     }));
    for (const auto& shown : harness.Boxes().Shown()) {
        if (shown.kind != MessageBox::Question) {
            EXPECT_EQ(shown.caption, "QP2400");
        }
    }
    // The failed delete and connect left the tree as it was.
    EXPECT_EQ(harness.Tree().topLevelItem(0)->childCount(), 2);
    EXPECT_TRUE(harness.opened.empty());
}

TEST(RecorderCommandsTest, OnASilentLineTheWindowGoesOnAndTheConnectsCancelActsAtOnce) {
    FrameHarness harness(Content({1, 0, 0, 0, 0}));
    CMainFrame& frame = harness.Frame();
    QPointer<ProgressWindow> shown;
    frame.SetProgressObserver([&shown](ProgressWindow* window) { shown = window; });
    emu::FaultSwitches silent;
    silent.silent = true;
    harness.Emulator().SetFaults(silent);

    // The command returns while its wait for the reply goes on; its failure is said after.
    frame.Link().Channel().SetReplyTimeout(300);
    frame.OnCommand(res::ID_SET_TIME);
    EXPECT_TRUE(frame.IsRecorderBusy());
    EXPECT_FALSE(frame.Action(res::ID_CONNECT)->isEnabled());
    EXPECT_TRUE(harness.Boxes().Shown().empty());
    ASSERT_TRUE(harness.WaitUntilIdle());
    ASSERT_EQ(harness.Boxes().Shown().size(), 1u);
    EXPECT_EQ(harness.Boxes().Shown()[0].text,
              "Communition ERROR!\n\nCheck Your Commnunication Cable");

    // With the recorder's own wait: the Connect window is up while the first reply is awaited,
    // and Escape in it ends the wait at once, without a word.
    frame.Link().Channel().SetReplyTimeout(SerialChannel::kDefaultReplyTimeoutMs);
    harness.Emulator().ClearLog();
    QElapsedTimer clock;
    clock.start();
    frame.OnCommand(res::ID_CONNECT);
    ASSERT_FALSE(shown.isNull());
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->windowTitle(), QStringLiteral("Connect"));
    EXPECT_EQ(shown->m_wndText->text(), QStringLiteral("Sonoret Manager Connecting..."));
    ASSERT_TRUE(harness.Emulator().WaitForFrames(1, std::chrono::seconds(2)));
    QTest::keyClick(shown.data(), Qt::Key_Escape);
    ASSERT_TRUE(harness.WaitUntilIdle());
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_TRUE(shown.isNull());
    EXPECT_EQ(harness.Boxes().Shown().size(), 1u);
    EXPECT_EQ(harness.Tree().topLevelItem(0)->text(0), QStringLiteral("1 File"));

    // Closed while a connect waits: it stops at once, and the window closes.
    frame.OnCommand(res::ID_CONNECT);
    ASSERT_TRUE(harness.Emulator().WaitForFrames(3, std::chrono::seconds(2)));
    clock.restart();
    harness.Close();
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_FALSE(harness.App().MainFrame());
    EXPECT_EQ(harness.Boxes().Shown().size(), 1u);
}
