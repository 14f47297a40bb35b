// The sync run as the window drives it, against the recorder emulator: its reports and
// progress, a fault in the middle that keeps what is finished (and a second run that fetches
// just what is missing), each message saved while the next is on the line, and a cancel then.
#include <sndfile.h>

#include <algorithm>
#include <filesystem>

#include "core/convert/decoder_library.h"
#include "core/messages/message_files.h"
#include "core/sync/sync_manifest.h"
#include "core/sync/sync_run.h"
#include "tests/support/link_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// A message of the given number of 528-byte blocks of LP frames, recorded at minute m of
// 9:00 on 1 March 2025.
emu::StoredMessage Recording(int blocks, int minute) {
    emu::StoredMessage message;
    message.quality = emu::Quality::LP;
    message.timeValue = static_cast<std::uint16_t>(9 * 1800 + minute * 30);
    message.dateValue = 8825;
    for (int i = 0; i < blocks * 48; ++i) {
        message.data.push_back(0x00);
        for (int j = 1; j < 11; ++j) message.data.push_back(static_cast<std::uint8_t>(i + j));
    }
    return message;
}

class SyncRunTest : public LinkOnEmulator {
protected:
    void SetUp() override {
        LinkOnEmulator::SetUp();
        ASSERT_EQ(decoder.Load(), DecoderLibrary::Status::Ready) << decoder.Error();
        files = std::make_unique<MessageFiles>(*link, decoder);
        emulator->WithModel([](emu::RecorderModel& model) {
            for (auto& folder : model.folders) folder.clear();
            model.folders[0] = {Recording(1, 1), Recording(3, 2), Recording(1, 3)};
        });
        fs::create_directories(root / "work");
        request.folder = (root / "out").string();
        request.workingFolder = (root / "work").string() + "/";
        request.onMessage = [this](const SyncReport& report) { reports.push_back(report); };
        request.onProgress = [this](const SyncProgress& p) { progress.push_back(p); };
    }
    SyncOutcome Sync() {
        reports.clear();
        progress.clear();
        emulator->ClearLog();
        return RunSync(*link, *files, request);
    }
    std::vector<Frame> Downloads() const {
        std::vector<Frame> downloads;
        for (const Frame& f : Frames()) {
            if (f[1] == 0xBF) downloads.push_back(f);
        }
        return downloads;
    }

    DecoderLibrary decoder;
    std::unique_ptr<MessageFiles> files;
    TempFolder scratch{"sync-run"};
    fs::path root = scratch.Path();
    SyncRequest request;
    std::vector<SyncReport> reports;
    std::vector<SyncProgress> progress;
};

TEST_F(SyncRunTest, AFaultInTheMiddleKeepsWhatIsFinishedAndTheNextRunFetchesTheRest) {
    QuickReplies();
    request.keepWorkingCopies = false;
    // Every transfer stops after two blocks: the three-block message breaks off.
    SetFaults([](emu::FaultSwitches& f) { f.stopAfterBlocks = 2; });
    const SyncOutcome broken = Sync();
    EXPECT_TRUE(broken.Is(Category::LineSilent)) << broken;
    EXPECT_TRUE(broken.connected);
    EXPECT_EQ(broken.planned, 3);
    EXPECT_EQ(broken.fetched, 2);
    EXPECT_EQ(broken.failed, 1);
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_TRUE(reports[0].result);
    EXPECT_TRUE(reports[1].result.Is(Category::LineSilent));
    EXPECT_EQ(reports[1].recording.message, 2);
    EXPECT_TRUE(reports[1].name.empty());
    EXPECT_TRUE(reports[2].result);
    const std::vector<std::string> kept = {".sonoret-sync.json", reports[0].name, reports[2].name};
    EXPECT_EQ(NamesIn(request.folder), kept) << "no partial file";
    EXPECT_TRUE(NamesIn(request.workingFolder).empty()) << "the working copies went";
    EXPECT_EQ(reports[0].name, "2025-03-01_09-01-00_F1-01_LP.wav");
    EXPECT_EQ(reports[0].fileBytes, fs::file_size(fs::path(request.folder) / reports[0].name));
    EXPECT_EQ(reports[0].lineBytes, 528u);

    // Progress: bytes never go back, every message is counted, and the line's rate stands in
    // for the time left until one is measured.
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front().total, 3);
    EXPECT_EQ(progress.front().bytesTotal, 5u * 528);
    EXPECT_NEAR(progress.front().secondsLeft, 5 * 528 / 3840.0, 0.01);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end(), [](const auto& a, const auto& b) {
        return a.done < b.done || a.bytesDone < b.bytesDone;
    }));
    EXPECT_EQ(progress.back().done, 3);

    // The next run fetches the broken message alone, and keeps the rest as it was.
    SetFaults([](emu::FaultSwitches&) {});
    const auto firstTime = fs::last_write_time(fs::path(request.folder) / reports[0].name);
    const SyncOutcome again = Sync();
    ASSERT_TRUE(again) << again;
    EXPECT_EQ(again.fetched, 1);
    EXPECT_EQ(again.already, 2);
    EXPECT_EQ(Downloads(), std::vector<Frame>{frames::Download(0, 2)});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].name, "2025-03-01_09-02-00_F1-02_LP.wav");
    EXPECT_EQ(NamesIn(request.folder).size(), 4u);
    EXPECT_EQ(fs::last_write_time(fs::path(request.folder) / kept[1]), firstTime);
}

TEST_F(SyncRunTest, EachMessageIsSavedWhileTheNextIsOnTheLineAndToldInOrder) {
    emulator->WithModel([](emu::RecorderModel& model) {
        model.folders[0] = {Recording(1, 1), Recording(2, 2), Recording(2, 3), Recording(1, 4)};
    });
    // The second message's WAV cannot be written (a folder has its name): its conversion fails
    // on the second thread while the third is on the line.
    fs::create_directories(root / "work" / "0_02.wav" / "in the way");
    request.format = AudioFormat::Flac;
    std::vector<std::size_t> asked;  // downloads asked for when each message was told
    request.onMessage = [&](const SyncReport& report) {
        reports.push_back(report);
        asked.push_back(Downloads().size());
    };
    const SyncOutcome outcome = Sync();
    EXPECT_TRUE(outcome.Is(Category::FileNotWritten)) << outcome;
    EXPECT_EQ(outcome.fetched, 3);
    EXPECT_EQ(outcome.failed, 1);
    ASSERT_EQ(reports.size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(reports[i].recording.message, i + 1);
    EXPECT_TRUE(reports[1].result.Is(Category::FileNotWritten)) << reports[1].result;
    EXPECT_TRUE(reports[1].name.empty());
    // The line never waited for a message to be saved: each was told once the next was asked.
    EXPECT_EQ(asked, (std::vector<std::size_t>{2, 3, 4, 4}));
    EXPECT_EQ(progress.back().done, 4);
    EXPECT_EQ(outcome.fileBytes,
              reports[0].fileBytes + reports[2].fileBytes + reports[3].fileBytes);

    // The folder's record names the saved files in the order of the messages.
    SyncManifest manifest;
    ASSERT_TRUE(manifest.Load(request.folder));
    std::vector<std::string> recorded;
    for (const auto& entry : manifest.Entries()) recorded.push_back(entry.file);
    EXPECT_EQ(recorded,
              (std::vector<std::string>{reports[0].name, reports[2].name, reports[3].name}));
    EXPECT_EQ(NamesIn(request.folder).size(), 4u) << "the record and three files";
    EXPECT_TRUE(files->HasWav(0, 3, request.workingFolder)) << "marked converted";
    EXPECT_FALSE(files->HasWav(0, 2, request.workingFolder));
}

TEST_F(SyncRunTest, AMessageTheWindowConvertedIsSavedFromItsWavWithoutTheLine) {
    // The window played the second message: its copies are in the working folder.
    ASSERT_TRUE(link->Connect({}));
    ASSERT_TRUE(files->EnsureWav(0, 2, request.workingFolder, {}));
    const std::string played = MessageFilePath(request.workingFolder, 0, 2, ".wav");
    request.connect = false;
    const SyncOutcome outcome = Sync();
    ASSERT_TRUE(outcome) << outcome;
    EXPECT_EQ(outcome.fetched, 3);
    EXPECT_EQ(Downloads(), (std::vector<Frame>{frames::Download(0, 1), frames::Download(0, 3)}));
    ASSERT_EQ(reports.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(reports[i].recording.message, i + 1);
    const fs::path saved = fs::path(request.folder) / reports[1].name;
    EXPECT_EQ(fs::file_size(saved), fs::file_size(played));
    EXPECT_GT(reports[1].audioSeconds, 0.0);
    EXPECT_EQ(progress.back().bytesDone, progress.back().bytesTotal);
    EXPECT_TRUE(files->HasWav(0, 2, request.workingFolder));
}

TEST_F(SyncRunTest, ACancelWhileTheNextMessageIsOnTheLineKeepsTheOneBeforeWhole) {
    // A first message long enough to be still in its encoding when the cancel comes.
    emulator->WithModel([](emu::RecorderModel& model) { model.folders[0][0] = Recording(40, 1); });
    request.format = AudioFormat::Opus;
    request.keepWorkingCopies = false;
    request.cancelled = [this] { return Downloads().size() >= 2; };
    const SyncOutcome cancelled = Sync();
    EXPECT_TRUE(cancelled.Is(Category::Cancelled)) << cancelled;
    EXPECT_EQ(cancelled.fetched, 1);
    EXPECT_EQ(Downloads(), (std::vector<Frame>{frames::Download(0, 1), frames::Download(0, 2)}));
    ASSERT_EQ(reports.size(), 1u);
    ASSERT_TRUE(reports[0].result) << reports[0].result;
    EXPECT_EQ(NamesIn(request.folder),
              (std::vector<std::string>{".sonoret-sync.json", reports[0].name}));
    SF_INFO info{};
    SNDFILE* sound = sf_open((fs::path(request.folder) / reports[0].name).c_str(), SFM_READ, &info);
    ASSERT_TRUE(sound) << sf_strerror(nullptr);
    sf_close(sound);
    EXPECT_NEAR(static_cast<double>(info.frames) / info.samplerate, reports[0].audioSeconds, 0.01);
    EXPECT_GT(reports[0].audioSeconds, 10.0);
    EXPECT_TRUE(NamesIn(request.workingFolder).empty());

    // The window's way: its working copies stay for Play, marked as such.
    request.cancelled = {};
    request.keepWorkingCopies = true;
    ASSERT_TRUE(Sync());
    EXPECT_EQ(NamesIn(request.workingFolder),
              (std::vector<std::string>{"0_02.Bin", "0_02.wav", "0_03.Bin", "0_03.wav"}));
    EXPECT_TRUE(files->HasWav(0, 3, request.workingFolder));
    SyncManifest manifest;
    ASSERT_TRUE(manifest.Load(request.folder));
    EXPECT_EQ(manifest.Entries().size(), 3u);

    // A folder that is a file: refused before the recorder is asked anything.
    request.folder = (root / "work" / "0_02.wav").string();
    const SyncOutcome refused = Sync();
    EXPECT_TRUE(refused.Is(Category::FileNotWritten)) << refused;
    EXPECT_FALSE(refused.connected);
    EXPECT_TRUE(Frames().empty());
}

TEST_F(SyncRunTest, ARecordThatCannotBeWrittenStopsTheRunAndLeavesNoFileItDoesNotName) {
    // After the first message the record's name is taken by a folder, which no rename replaces.
    request.onMessage = [this](const SyncReport& report) {
        reports.push_back(report);
        if (reports.size() > 1) return;
        const fs::path record = fs::path(request.folder) / SyncManifest::kFileName;
        fs::remove(record);
        fs::create_directories(record / "in the way");
    };
    const SyncOutcome stopped = Sync();
    EXPECT_TRUE(stopped.Is(Category::FileNotWritten)) << stopped;
    EXPECT_EQ(stopped.fetched, 1);
    EXPECT_EQ(stopped.failed, 1);
    // The third was on the line while the second was saved; it is neither saved nor told.
    EXPECT_EQ(Downloads().size(), 3u);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_TRUE(reports[1].name.empty());
    EXPECT_EQ(NamesIn(request.folder),
              (std::vector<std::string>{".sonoret-sync.json", reports[0].name}));

    // The loaded recordings the folder holds, for the recorder tree's mark.
    fs::remove_all(fs::path(request.folder) / SyncManifest::kFileName);
    request.onMessage = {};
    ASSERT_TRUE(Sync());
    SyncManifest manifest;
    ASSERT_TRUE(manifest.Load(request.folder));
    fs::remove(fs::path(request.folder) / "2025-03-01_09-02-00_F1-02_LP.wav");
    std::vector<int> marked;
    for (const LoadedRecording& recording : LoadedRecordings(link->Directory())) {
        if (manifest.HasFileOf(recording)) marked.push_back(recording.message);
    }
    EXPECT_EQ(marked, (std::vector<int>{1, 3}));
}

}  // namespace
