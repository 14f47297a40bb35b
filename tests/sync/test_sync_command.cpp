// `sonoret sync`, in-process against the recorder emulator: only what is new is fetched, a
// delete on the recorder changes no file, names never replace a file, files keep the recording
// time, the compressed formats, the dry run, a folder record that is not ours, and Ctrl-C.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <thread>

#include "cli/interruption.h"
#include "cli/sonoret_cli.h"
#include "core/base/json.h"
#include "core/sync/sync_manifest.h"
#include "emulator/recorder_emulator.h"
#include "tests/support/request_frames.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

// A recording of so many 528-byte blocks of LP frames, made on the day (days since 1 January
// 2001) at the time of day given in seconds.
emu::StoredMessage Recording(int blocks, int day, int seconds) {
    emu::StoredMessage message;
    message.quality = emu::Quality::LP;
    message.timeValue = static_cast<std::uint16_t>(seconds / 2);
    message.dateValue = static_cast<std::uint16_t>(day);
    for (int i = 0; i < blocks * 48; ++i) {
        message.data.push_back(0x00);
        for (int j = 1; j < 11; ++j) message.data.push_back(static_cast<std::uint8_t>(i * j + day));
    }
    return message;
}

constexpr int kDay = 8960;  // 14 July 2025

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every entry of a folder with its size and modification time: what a sync may not change.
std::map<std::string, std::pair<std::uintmax_t, std::time_t>> Snapshot(const fs::path& folder) {
    std::map<std::string, std::pair<std::uintmax_t, std::time_t>> files;
    for (const auto& e : fs::directory_iterator(folder)) {
        struct stat st {};
        ::stat(e.path().c_str(), &st);
        files[e.path().filename()] = {static_cast<std::uintmax_t>(st.st_size), st.st_mtime};
    }
    return files;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class SyncCommand : public ::testing::Test {
protected:
    void SetUp() override { Start({}); }
    void TearDown() override { m_emulator.reset(); }

    void Start(emu::Options options, std::array<std::vector<emu::StoredMessage>, 5> content = {
                                         {{Recording(1, kDay, 3600), Recording(2, kDay, 7200)},
                                          {},
                                          {},
                                          {Recording(1, kDay - 3, 60)},
                                          {}}}) {
        m_emulator.reset();
        m_emulator = std::make_unique<emu::RecorderEmulator>(options);
        std::string error;
        ASSERT_TRUE(m_emulator->Start(&error)) << error;
        m_emulator->WithModel([&](emu::RecorderModel& model) { model.folders = content; });
    }

    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--device", m_emulator->DevicePath()});
        CliContext context;
        context.settingsPath = (m_folder / "no-settings.conf").string();
        m_stdout.str({});
        m_stderr.str({});
        m_emulator->ClearLog();
        return RunSonoret(args, context, m_stdout, m_stderr);
    }
    int Sync(std::vector<std::string> more = {}) {
        std::vector<std::string> args = {"sync", "-o", m_out.string()};
        args.insert(args.end(), more.begin(), more.end());
        return Run(args);
    }
    std::vector<emu::Frame> Downloads() const {
        std::vector<emu::Frame> downloads;
        for (const auto& f : m_emulator->ReceivedFrames()) {
            if (f[1] == 0xBF) downloads.push_back(f);
        }
        return downloads;
    }
    void Change(const std::function<void(std::array<std::vector<emu::StoredMessage>, 5>&)>& edit) {
        m_emulator->WithModel([&](emu::RecorderModel& model) { edit(model.folders); });
    }

    std::unique_ptr<emu::RecorderEmulator> m_emulator;
    TempFolder m_scratch{"sync"};
    fs::path m_folder = m_scratch.Path();
    fs::path m_out = m_folder / "out";
    std::ostringstream m_stdout, m_stderr;
};

TEST_F(SyncCommand, OnlyWhatIsNewIsFetchedAndADeleteOnTheRecorderChangesNoFile) {
    // Two recordings of one identity (the same second, length and quality) are both kept.
    Change([](auto& folders) { folders[0].push_back(folders[0][0]); });
    ASSERT_EQ(Sync({"--json"}), 0) << m_stderr.str();
    const std::vector<std::string> lines = Lines(m_stdout.str());
    ASSERT_EQ(lines.size(), 5u) << m_stdout.str();
    const auto first = ParseJson(lines[0]);
    ASSERT_TRUE(first) << lines[0];
    EXPECT_EQ(first->Find("name")->String(), "2025-07-14_01-00-00_F1-01_LP.wav");
    EXPECT_EQ(first->Find("bytes")->Number(), 528);
    EXPECT_EQ(first->Find("identity")->Find("occurrence")->Number(), 1);
    EXPECT_EQ(ParseJson(lines[2])->Find("identity")->Find("occurrence")->Number(), 2);
    const auto summary = ParseJson(lines[4]);
    ASSERT_TRUE(summary && summary->Find("summary")) << lines[4];
    EXPECT_EQ(summary->Find("summary")->Find("fetched")->Number(), 4);
    EXPECT_EQ(NamesIn(m_out),
              (std::vector<std::string>{".sonoret-sync.json", "2025-07-11_00-01-00_F4-01_LP.wav",
                                        "2025-07-14_01-00-00_F1-01_LP.wav",
                                        "2025-07-14_01-00-00_F1-03_LP.wav",
                                        "2025-07-14_02-00-00_F1-02_LP.wav"}));

    // A second sync downloads nothing.
    const auto before = Snapshot(m_out);
    const std::string record = Read(m_out / SyncManifest::kFileName);
    ASSERT_EQ(Sync(), 0) << m_stderr.str();
    EXPECT_TRUE(Downloads().empty());
    EXPECT_NE(m_stdout.str().find("0 fetched into " + m_out.string() + ", 4 already there"),
              std::string::npos)
        << m_stdout.str();

    // Deleted on the recorder and the rest renumbered: nothing fetched, no file touched.
    Change([](auto& folders) { folders[0].erase(folders[0].begin() + 1); });
    ASSERT_EQ(Sync(), 0) << m_stderr.str();
    EXPECT_TRUE(Downloads().empty());
    EXPECT_EQ(Snapshot(m_out), before);
    EXPECT_EQ(Read(m_out / SyncManifest::kFileName), record);

    // A new recording is the only one fetched.
    Change([](auto& folders) { folders[2].push_back(Recording(1, kDay + 1, 100)); });
    ASSERT_EQ(Sync(), 0) << m_stderr.str();
    EXPECT_EQ(Downloads(), std::vector<emu::Frame>{frames::Download(2, 1)});
    EXPECT_EQ(Lines(m_stdout.str()).size(), 2u) << m_stdout.str();
    EXPECT_EQ(NamesIn(m_out).size(), 6u);
}

TEST_F(SyncCommand, TakenNamesGetSuffixesNoFileIsReplacedAndDeletedFilesStayDeleted) {
    fs::create_directories(m_out);
    std::ofstream(m_out / "memo.wav") << "mine";
    std::ofstream(m_out / "memo_3.wav") << "mine too";
    ASSERT_EQ(Sync({"--name", "memo"}), 0) << m_stderr.str();
    EXPECT_EQ(NamesIn(m_out),
              (std::vector<std::string>{".sonoret-sync.json", "memo.wav", "memo_2.wav",
                                        "memo_3.wav", "memo_4.wav", "memo_5.wav"}));
    EXPECT_EQ(Read(m_out / "memo.wav"), "mine");
    EXPECT_EQ(Read(m_out / "memo_3.wav"), "mine too");

    // A file the user deleted is not fetched again, unless asked, and then under its name.
    fs::remove(m_out / "memo_4.wav");
    ASSERT_EQ(Sync({"--name", "memo"}), 0) << m_stderr.str();
    EXPECT_TRUE(Downloads().empty());
    ASSERT_EQ(Sync({"--name", "other", "--missing"}), 0) << m_stderr.str();
    EXPECT_EQ(Downloads(), std::vector<emu::Frame>{frames::Download(0, 2)});
    EXPECT_TRUE(fs::exists(m_out / "memo_4.wav")) << m_stdout.str();

    // Names a pattern makes that no file system takes.
    ASSERT_EQ(Run({"sync", "-o", (m_folder / "other").string(), "--name", "%Y/%m:%d", "--format",
                   "flac"}),
              0)
        << m_stderr.str();
    EXPECT_NE(m_stdout.str().find("2025_07_14.flac:"), std::string::npos) << m_stdout.str();
    EXPECT_NE(m_stdout.str().find("2025_07_14_2.flac:"), std::string::npos) << m_stdout.str();

    EXPECT_EQ(Sync({"--name", "%x"}), 2);
    EXPECT_NE(m_stderr.str().find("%x"), std::string::npos);
    EXPECT_EQ(Sync({"--format", "aiff"}), 2);
    EXPECT_EQ(Sync({"extra"}), 2);
}

TEST_F(SyncCommand, FilesCarryTheRecordingTimeAcrossDaylightSaving) {
    const char* zone = std::getenv("TZ");
    const std::string saved = zone ? zone : "";
    // The zone's rules, or the same rules spelt out where no zone files are installed.
    ::setenv("TZ",
             fs::exists("/usr/share/zoneinfo/Europe/Berlin") ? "Europe/Berlin"
                                                             : "CET-1CEST,M3.5.0,M10.5.0/3",
             1);
    ::tzset();
    Start({}, {{{Recording(1, kDay, 12 * 3600 + 34 * 60 + 56)}, {}, {}, {}, {}}});
    Change([](auto& folders) { folders[1].push_back(Recording(1, 8779, 12 * 3600)); });
    const int status = Sync({"--format", "ogg"});
    if (zone) {
        ::setenv("TZ", saved.c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
    ASSERT_EQ(status, 0) << m_stderr.str();
    struct stat july {
    }, january{};
    ASSERT_EQ(::stat((m_out / "2025-07-14_12-34-56_F1-01_LP.ogg").c_str(), &july), 0)
        << m_stdout.str();
    ASSERT_EQ(::stat((m_out / "2025-01-14_12-00-00_F2-01_LP.ogg").c_str(), &january), 0);
    EXPECT_EQ(july.st_mtime, 1752489296) << "12:34:56 summer time is 10:34:56 UTC";
    EXPECT_EQ(january.st_mtime, 1736852400) << "12:00 winter time is 11:00 UTC";
}

TEST_F(SyncCommand, EachFormatDecodesBackToTheLengthOfTheWavAtARateItHolds) {
    emu::Options variant1;
    variant1.modeVariant = 1;  // 7200 samples a second
    Start(variant1, {{{Recording(3, kDay, 3600)}, {}, {}, {}, {}}});
    ASSERT_EQ(Sync(), 0) << m_stderr.str();
    const auto wav = fs::file_size(m_out / "2025-07-14_01-00-00_F1-01_LP.wav");
    const double seconds = static_cast<double>(wav - 44) / 2 / 7200;
    for (const char* format : {"flac", "ogg", "opus", "mp3"}) {
        SCOPED_TRACE(format);
        const fs::path folder = m_folder / format;
        ASSERT_EQ(Run({"sync", "-o", folder.string(), "--format", format}), 0) << m_stderr.str();
        const fs::path file = folder / (std::string("2025-07-14_01-00-00_F1-01_LP.") + format);
        SF_INFO info{};
        SNDFILE* sound = sf_open(file.c_str(), SFM_READ, &info);
        ASSERT_TRUE(sound) << sf_strerror(nullptr);
        const char* title = sf_get_string(sound, SF_STR_TITLE);
        EXPECT_STREQ(title ? title : "", "01: 07-14 01:00 (LP-0:03)");
        sf_close(sound);
        EXPECT_EQ(info.samplerate,
                  std::string(format) == "opus" || std::string(format) == "mp3" ? 8000 : 7200);
        EXPECT_NEAR(static_cast<double>(info.frames) / info.samplerate, seconds, 0.001);
    }
    // The folder's record knows the recording as synced, whatever the format asked now.
    ASSERT_EQ(Sync({"--format", "flac"}), 0) << m_stderr.str();
    EXPECT_TRUE(Downloads().empty());
}

TEST_F(SyncCommand, DryRunTellsWhatWouldComeAndTouchesNothing) {
    ASSERT_EQ(Sync({"--dry-run"}), 0) << m_stderr.str();
    EXPECT_FALSE(fs::exists(m_out));
    EXPECT_TRUE(Downloads().empty());
    const std::vector<std::string> lines = Lines(m_stdout.str());
    ASSERT_EQ(lines.size(), 4u) << m_stdout.str();
    EXPECT_EQ(lines[1],
              "2025-07-14_02-00-00_F1-02_LP.wav: 1 File 02: 07-14 02:00 (LP-0:01), "
              "1 kB, 0:00 on the line");
    // Four blocks in all, at 3840 bytes a second.
    EXPECT_EQ(lines[3], "3 to fetch into " + m_out.string() +
                            ", 2 kB, 0:01 on the line; "
                            "0 already there");
    ASSERT_EQ(Sync({"--dry-run", "--json"}), 0) << m_stderr.str();
    const auto summary = ParseJson(Lines(m_stdout.str()).back());
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->Find("summary")->Find("to_fetch")->Number(), 3);
    EXPECT_EQ(summary->Find("summary")->Find("bytes")->Number(), 4 * 528);
    EXPECT_EQ(summary->Find("summary")->Find("seconds")->Number(), 0.6);
}

TEST_F(SyncCommand, AFolderRecordThatIsNotOursStopsItBeforeTheRecorderIsAsked) {
    fs::create_directories(m_out);
    std::ofstream(m_out / SyncManifest::kFileName) << "not JSON";
    EXPECT_EQ(Sync(), 6);
    EXPECT_NE(m_stderr.str().find(SyncManifest::kFileName), std::string::npos) << m_stderr.str();
    EXPECT_NE(m_stderr.str().find("not JSON"), std::string::npos) << m_stderr.str();
    EXPECT_TRUE(m_emulator->ReceivedFrames().empty());
    EXPECT_EQ(NamesIn(m_out), std::vector<std::string>{SyncManifest::kFileName});
    EXPECT_EQ(Read(m_out / SyncManifest::kFileName), "not JSON");
}

TEST_F(SyncCommand, CtrlCKeepsTheFinishedFilesAndLeavesNoPartialOne) {
    // At the real line rate the second message takes 4 s: time enough to interrupt it.
    emu::Options paced;
    paced.paced = true;
    Start(paced, {{{Recording(1, kDay, 3600), Recording(30, kDay, 7200)}, {}, {}, {}, {}}});
    std::thread presser([this] {
        // Mode on, directory, two headers, two downloads; then a moment into the second.
        if (m_emulator->WaitForFrames(6, std::chrono::seconds(20)))
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        interruption::Raise();
    });
    const int status = Sync();
    presser.join();
    interruption::Reset();
    EXPECT_EQ(status, 130) << m_stderr.str();
    EXPECT_EQ(NamesIn(m_out),
              (std::vector<std::string>{".sonoret-sync.json", "2025-07-14_01-00-00_F1-01_LP.wav"}));
    SyncManifest record;
    ASSERT_TRUE(record.Load(m_out.string()));
    EXPECT_EQ(record.Entries().size(), 1u);
    EXPECT_EQ(NamesIn(m_folder), (std::vector<std::string>{"out"})) << "no staging left";
    // The recorder was told to stop (the filler) and the session ended with mode off.
    // Six requests, the filler and mode off, once the emulator has read them all.
    EXPECT_TRUE(m_emulator->WaitForBytes(6 * 4 + 256 + 4, std::chrono::seconds(5)));
    const auto wire = m_emulator->ReceivedBytes();
    const std::vector<std::uint8_t> modeOff = {0xAA, 0xAA, 0x00, 0xFF};
    ASSERT_GE(wire.size(), 256u + 4u);
    EXPECT_TRUE(std::equal(modeOff.begin(), modeOff.end(), wire.end() - 4));
    EXPECT_TRUE(std::all_of(wire.end() - 4 - 256, wire.end() - 4, [](auto b) { return b == 0; }));
}

}  // namespace
