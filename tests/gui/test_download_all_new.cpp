// Several messages at once in the window, against the emulator: Download All New (a sync into
// a folder the user chooses, the same record `sonoret sync` keeps) and Save to Wav File with
// several messages selected.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "core/convert/decoder_library.h"
#include "core/link/recorder_link.h"
#include "core/messages/message_files.h"
#include "core/res/resource_ids.h"
#include "core/sync/sync_manifest.h"
#include "core/sync/sync_run.h"
#include "emulator/recorder_emulator.h"
#include "gui/app/manager_app.h"
#include "gui/frame/download_dialog.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/progress_window.h"
#include "gui/views/files/left_view.h"
#include "gui/views/recorder/right_view.h"
#include "gui/widgets/message_box.h"
#include "tests/gui/gui_test_support.h"

namespace fs = std::filesystem;
using guitest::Content;
using guitest::FrameHarness;

namespace {

// The names in folder, hidden ones too.
std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

bool Sent(FrameHarness& harness, std::uint8_t command) {
    const auto frames = harness.Frames();
    return std::any_of(frames.begin(), frames.end(),
                       [command](const auto& frame) { return frame[1] == command; });
}

// Answers Download All New's dialog with folder and format, and keeps what it was offered.
struct DialogScript {
    std::vector<DownloadChoice> offered;
    std::optional<DownloadChoice> answer;

    void Install(CMainFrame& frame) {
        frame.SetDownloadDialog([this](QWidget*, const DownloadChoice& proposed) {
            offered.push_back(proposed);
            return answer;
        });
    }
};

const char* const kNames[] = {"2001-12-25_14-05-00_F1-01_SP", "2001-12-25_14-06-00_F1-02_SP",
                              "2001-12-25_14-05-00_F5-01_SP"};

}  // namespace

TEST(DownloadAllNewTest, FetchesEveryRecordingOnceShowsTheFolderAndMarksWhatItHolds) {
    FrameHarness harness(Content({2, 0, 0, 0, 1}));
    CMainFrame& frame = harness.Frame();
    const fs::path folder = fs::path(guitest::ScratchFolder()) / "music" / "Recordings";
    DialogScript dialog;
    dialog.answer = DownloadChoice{QString::fromStdString(folder.string()), AudioFormat::Flac};
    dialog.Install(frame);
    EXPECT_TRUE(frame.Action(res::ID_DOWNLOAD_ALL_NEW)->isEnabled());

    // Not connected yet: the sync reads the recorder first, and the tree shows what it read.
    harness.Command(res::ID_DOWNLOAD_ALL_NEW);
    ASSERT_EQ(dialog.offered.size(), 1u);
    // The first time: the user's music folder's "Recordings", as WAV.
    QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (music.isEmpty()) music = QDir::homePath();
    EXPECT_EQ(dialog.offered[0].folder, QDir(music).filePath(QStringLiteral("Recordings")));
    EXPECT_EQ(dialog.offered[0].format, AudioFormat::Wav);
    EXPECT_TRUE(Sent(harness, 0xBD));
    EXPECT_EQ(Names(folder), (std::set<std::string>{
                                 std::string(kNames[0]) + ".flac", std::string(kNames[1]) + ".flac",
                                 std::string(kNames[2]) + ".flac", SyncManifest::kFileName}));
    ASSERT_EQ(harness.Boxes().Shown().size(), 1u);
    EXPECT_EQ(harness.Boxes().Shown()[0].text,
              "3 fetched into " + folder.string() + ", 0 already there.");
    EXPECT_EQ(harness.Boxes().Shown()[0].caption, "Download All New");
    // One window for all: the message under way of all, the percentage of the whole.
    EXPECT_NE(std::find(harness.captions.begin(), harness.captions.end(),
                        QStringLiteral("Receive 3 of 3 [100%]")),
              harness.captions.end());
    EXPECT_TRUE(std::none_of(harness.captions.begin(), harness.captions.end(),
                             [](const QString& c) { return c.startsWith("Convert"); }));
    // The folder tree and file list show the folder; every message carries its mark.
    EXPECT_EQ(frame.GetLeftView()->SelectedFolderPath(), folder.string() + "/");
    EXPECT_EQ(frame.GetRightView()->topLevelItem(0)->text(0), QStringLiteral("1 File (2)"));
    QTreeWidgetItem* second = harness.MessageItem(0, 2);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(CRightView::SyncedFileOf(second).toStdString(), std::string(kNames[1]) + ".flac");
    EXPECT_EQ(second->toolTip(0).toStdString(),
              "02: 12-25 14:06 (SP-0:00)\nIn the folder as " + std::string(kNames[1]) + ".flac");
    EXPECT_FALSE(CRightView::SyncedFileOf(harness.MessageItem(4, 1)).isEmpty());
    // Remembered at once.
    guitest::QtSettings settings;
    EXPECT_EQ(settings.value("Download/Folder").toString().toStdString(), folder.string());
    EXPECT_EQ(settings.value("Download/Format").toString(), QStringLiteral("flac"));

    // A file deleted from the folder loses its mark when the tree is read again.
    fs::remove(folder / (std::string(kNames[0]) + ".flac"));
    harness.Connect();
    EXPECT_TRUE(CRightView::SyncedFileOf(harness.MessageItem(0, 1)).isEmpty());
    EXPECT_FALSE(CRightView::SyncedFileOf(harness.MessageItem(0, 2)).isEmpty());

    // Again, offered what was chosen: the recorder was read, so it is not read again, and
    // nothing is fetched (the deleted file stays deleted, as with `sonoret sync`).
    dialog.answer.reset();
    harness.Command(res::ID_DOWNLOAD_ALL_NEW);
    ASSERT_EQ(dialog.offered.size(), 2u);
    EXPECT_EQ(dialog.offered[1].folder.toStdString(), folder.string());
    EXPECT_EQ(dialog.offered[1].format, AudioFormat::Flac);
    dialog.answer = dialog.offered[1];
    harness.Boxes().Clear();
    harness.Emulator().ClearLog();
    harness.Command(res::ID_DOWNLOAD_ALL_NEW);
    EXPECT_FALSE(Sent(harness, 0xBD));
    EXPECT_FALSE(Sent(harness, 0xBF));
    ASSERT_EQ(harness.Boxes().Shown().size(), 1u);
    EXPECT_EQ(harness.Boxes().Shown()[0].text,
              "0 fetched into " + folder.string() + ", 3 already there.");

    // The record is the sync's own: the command line's sync into the folder fetches nothing.
    harness.Close();
    RecorderLink link;
    ASSERT_TRUE(link.Initialise(harness.Emulator().DevicePath()));
    DecoderLibrary decoder;
    MessageFiles files(link, decoder);
    SyncRequest request;
    request.folder = folder.string();
    request.workingFolder = guitest::ScratchFolder() + "/";
    request.keepWorkingCopies = false;
    const SyncOutcome outcome = RunSync(link, files, request);
    EXPECT_TRUE(outcome) << outcome.Detail();
    EXPECT_EQ(outcome.fetched, 0);
    EXPECT_EQ(outcome.already, 3);
}

TEST(DownloadAllNewTest, CancelKeepsTheFinishedFilesAndTheNextRunFetchesTheRest) {
    emu::Options paced;
    paced.paced = true;
    FrameHarness harness(Content({3, 0, 0, 0, 0}), &paced);
    CMainFrame& frame = harness.Frame();
    harness.Connect();
    const fs::path folder = fs::path(guitest::ScratchFolder()) / "cancelled";
    DialogScript dialog;
    dialog.answer = DownloadChoice{QString::fromStdString(folder.string()), AudioFormat::Wav};
    dialog.Install(frame);
    // Cancel as soon as the second message is under way.
    frame.SetProgressObserver([](ProgressWindow* window) {
        QObject::connect(window, &QWidget::windowTitleChanged, window, [window](const QString& t) {
            if (t.startsWith(QStringLiteral("Receive 2 of 3"))) window->OnCancel();
        });
    });
    harness.Command(res::ID_DOWNLOAD_ALL_NEW);
    // Only the first message's file, and nothing partial beside it; a cancel says nothing.
    EXPECT_EQ(Names(folder),
              (std::set<std::string>{std::string(kNames[0]) + ".wav", SyncManifest::kFileName}));
    EXPECT_TRUE(harness.Boxes().Shown().empty());
    EXPECT_FALSE(CRightView::SyncedFileOf(harness.MessageItem(0, 1)).isEmpty());
    EXPECT_TRUE(CRightView::SyncedFileOf(harness.MessageItem(0, 2)).isEmpty());

    frame.SetProgressObserver({});
    harness.Command(res::ID_DOWNLOAD_ALL_NEW);
    ASSERT_EQ(harness.Boxes().Shown().size(), 1u);
    EXPECT_EQ(harness.Boxes().Shown()[0].text,
              "2 fetched into " + folder.string() + ", 1 already there.");
    EXPECT_EQ(Names(folder).size(), 4u);
}

TEST(DownloadAllNewTest, AMessageTheLineFailsIsNamedTheOthersComeAndTheNextRunGetsIt) {
    FrameHarness harness([](emu::RecorderEmulator& emulator) {
        emulator.WithModel([](emu::RecorderModel& model) {
            for (auto& folder : model.folders) folder.clear();
            model.folders[0] = {guitest::SilentMessage(2, 25350, 358),
                                guitest::SilentMessage(6, 25380, 358),
                                guitest::SilentMessage(2, 25410, 358)};
        });
    });
    CMainFrame& frame = harness.Frame();
    frame.Link().Channel().SetReplyTimeout(300);
    harness.Connect();
    const fs::path folder = fs::path(guitest::ScratchFolder()) / "faulty";
    DialogScript dialog;
    dialog.answer = DownloadChoice{QString::fromStdString(folder.string()), AudioFormat::Wav};
    dialog.Install(frame);
    // The long message's transfer stops half-way.
    emu::FaultSwitches faults;
    faults.stopAfterBlocks = 4;
    harness.Emulator().SetFaults(faults);
    harness.Command(res::ID_DOWNLOAD_ALL_NEW);
    ASSERT_EQ(harness.Boxes().Shown().size(), 1u);
    const std::string said = harness.Boxes().Shown()[0].text;
    EXPECT_EQ(said.substr(0, said.find('\n')),
              "2 fetched into " + folder.string() + ", 0 already there.");
    EXPECT_NE(said.find("\n\n1 failed:\n1 File - 02: 12-25 14:06 (SP-0:02): the recorder did not "
                        "answer as it should (block 5 of 6 did not arrive)"),
              std::string::npos)
        << said;
    EXPECT_EQ(harness.Boxes().Shown()[0].kind, MessageBox::Stop);
    EXPECT_TRUE(CRightView::SyncedFileOf(harness.MessageItem(0, 2)).isEmpty());
    EXPECT_FALSE(CRightView::SyncedFileOf(harness.MessageItem(0, 3)).isEmpty());

    harness.Emulator().SetFaults({});
    harness.Boxes().Clear();
    harness.Command(res::ID_DOWNLOAD_ALL_NEW);
    ASSERT_EQ(harness.Boxes().Shown().size(), 1u);
    EXPECT_EQ(harness.Boxes().Shown()[0].text,
              "1 fetched into " + folder.string() + ", 2 already there.");
    EXPECT_FALSE(CRightView::SyncedFileOf(harness.MessageItem(0, 2)).isEmpty());
}

TEST(SeveralMessagesTest, SavedIntoAFolderUnderTheSyncsNamesNeverReplacing) {
    FrameHarness harness(Content({3, 0, 0, 0, 0}));
    CMainFrame& frame = harness.Frame();
    harness.Connect();
    const fs::path folder = fs::path(guitest::ScratchFolder()) / "saved";
    fs::create_directories(folder);
    const fs::path taken = folder / (std::string(kNames[0]) + ".wav");
    std::ofstream(taken) << "keep";
    std::vector<QString> asked;
    frame.SetFolderDialog([&](QWidget*, const QString& caption, const QString&) {
        asked.push_back(caption);
        return QString::fromStdString(folder.string());
    });

    // The first and the third, with Ctrl: the third is current.
    harness.SelectMessage(0, 1);
    CRightView& tree = harness.Tree();
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, Qt::ControlModifier,
                      tree.visualItemRect(harness.MessageItem(0, 3)).center());
    ASSERT_EQ(tree.GetSelectedMessages(), (std::vector<std::pair<int, int>>{{0, 1}, {0, 3}}));
    // Play with several selected plays the current one.
    harness.Command(res::ID_PLAY);
    ASSERT_EQ(harness.opened.size(), 1u);
    EXPECT_EQ(fs::path(harness.opened[0]).filename(), "0_03.wav");
    harness.Command(res::ID_SAVE_TO_WAV);

    EXPECT_EQ(asked, (std::vector<QString>{QStringLiteral("Save to Wav File: Choose a Folder")}));
    EXPECT_TRUE(harness.proposedNames.empty());  // no Save As dialog
    EXPECT_EQ(Names(folder), (std::set<std::string>{std::string(kNames[0]) + ".wav",
                                                    std::string(kNames[0]) + "_2.wav",
                                                    "2001-12-25_14-07-00_F1-03_SP.wav"}));
    std::ifstream in(taken);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep");
    EXPECT_TRUE(harness.Boxes().Shown().empty());
    EXPECT_NE(std::find(harness.captions.begin(), harness.captions.end(),
                        QStringLiteral("Receive 2 of 2 [100%]")),
              harness.captions.end());
    EXPECT_EQ(frame.GetLeftView()->SelectedFolderPath(), folder.string() + "/");
}

TEST(SeveralMessagesTest, DeletedFromTheHighestNumberDownAfterOneQuestionNamingEach) {
    FrameHarness harness(Content({4, 0, 0, 0, 0}));
    harness.Connect();
    harness.SelectMessage(0, 2);
    CRightView& tree = harness.Tree();
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, Qt::ControlModifier,
                      tree.visualItemRect(harness.MessageItem(0, 4)).center());
    harness.Boxes().Answer(MessageBox::IdYes);
    harness.Emulator().ClearLog();
    tree.setFocus();
    QTest::keyClick(&tree, Qt::Key_Delete);
    ASSERT_TRUE(harness.WaitUntilIdle());

    ASSERT_EQ(harness.Boxes().Shown().size(), 1u);
    EXPECT_EQ(harness.Boxes().Shown()[0].text,
              "Do You Really Delete Message?\n\n1 File - 02: 12-25 14:06 (SP-0:00)\n"
              "1 File - 04: 12-25 14:08 (SP-0:00)");
    std::vector<std::array<std::uint8_t, 4>> deletes;
    for (const auto& frame : harness.Frames()) {
        if (frame[1] == 0xBE) deletes.push_back(frame);
    }
    // The fourth first: deleting the second first would renumber the fourth to the third.
    EXPECT_EQ(deletes, (std::vector<std::array<std::uint8_t, 4>>{{0xAA, 0xBE, 0x00, 0x04},
                                                                 {0xAA, 0xBE, 0x00, 0x02}}));
    EXPECT_EQ(tree.topLevelItem(0)->text(0), QStringLiteral("1 File (2)"));
    EXPECT_EQ(guitest::Texts(guitest::Children(tree.topLevelItem(0))),
              (std::vector<std::string>{"01: 12-25 14:05 (SP-0:00)", "02: 12-25 14:07 (SP-0:00)"}));
}

TEST(DownloadAllNewTest, DialogOffersTheChoiceAndReadsTheFolderAsTheUserMeantIt) {
    DownloadDialog dialog(nullptr, {QStringLiteral("/tmp/x"), AudioFormat::Opus});
    EXPECT_EQ(dialog.FormatChoice()->currentText(), QStringLiteral("Opus"));
    EXPECT_EQ(dialog.FormatChoice()->count(), 5);
    QPushButton* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    dialog.FolderField()->clear();
    EXPECT_FALSE(ok->isEnabled());
    dialog.FolderField()->setText(QStringLiteral("~/Rec/../Recordings/"));
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(dialog.Choice().folder, QDir::homePath() + QStringLiteral("/Recordings"));
    dialog.FolderField()->setText(QStringLiteral("Recordings"));
    EXPECT_EQ(dialog.Choice().folder, QDir::homePath() + QStringLiteral("/Recordings"));
    dialog.FormatChoice()->setCurrentIndex(2);
    EXPECT_EQ(dialog.Choice().format, AudioFormat::Vorbis);
}
