// `sonoret export`, in-process against the recorder emulator: the message's WAV file at the
// rate of the recorder's mode reply, the requests on the line, and no partial file on any
// failure.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "cli/interruption.h"
#include "cli/sonoret_cli.h"
#include "emulator/recorder_emulator.h"
#include "tests/support/emulator_fixture.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A message of lpFrames 11-byte frames and one silence run of silenceBlocks, padded to whole
// 528-byte blocks with the recorder's 0xFF filler: it decodes to lpFrames + silenceBlocks
// blocks of 320 bytes, whatever the decoder makes of them.
emu::StoredMessage Message(int lpFrames, int silenceBlocks, emu::Quality quality) {
    emu::StoredMessage message;
    message.quality = quality;
    message.timeValue = 14 * 1800 + 5 * 30;
    message.dateValue = 9000;
    for (int i = 0; i < lpFrames; ++i) {
        message.data.push_back(0x00);
        for (int j = 1; j < 11; ++j) message.data.push_back(static_cast<std::uint8_t>(i * j));
    }
    message.data.push_back(0xE0);
    message.data.push_back(static_cast<std::uint8_t>(silenceBlocks));
    message.data.resize((message.data.size() + 527) / 528 * 528, 0xFF);
    return message;
}

std::uint32_t Get32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

Bytes ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class ExportCommand : public EmulatorFixture {
protected:
    void SetUp() override { Start(2); }

    // A recorder of the given variant holding two messages in folder 1 and one in folder 4.
    void Start(int variant) {
        options.modeVariant = variant;
        StartEmulator();
        emulator->WithModel([](emu::RecorderModel& model) {
            for (auto& folder : model.folders) folder.clear();
            model.folders[0] = {Message(30, 4, emu::Quality::LP), Message(7, 0, emu::Quality::SP)};
            model.folders[3] = {Message(100, 200, emu::Quality::MP)};
        });
    }
    void TearDown() override { emulator.reset(); }

    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--device", emulator->DevicePath()});
        CliContext context;
        context.settingsPath = (m_folder / "no-settings.conf").string();
        m_out.str({});
        m_err.str({});
        return RunSonoret(args, context, m_out, m_err);
    }

    void ExpectWav(const fs::path& path, std::uint32_t rate, std::size_t blocks) {
        const Bytes wav = ReadAll(path);
        ASSERT_EQ(wav.size(), 44 + blocks * 320) << path;
        EXPECT_EQ(std::memcmp(wav.data(), "RIFF", 4), 0);
        EXPECT_EQ(Get32(wav, 4), wav.size() - 8);
        EXPECT_EQ(Get32(wav, 24), rate);
        EXPECT_EQ(Get32(wav, 28), 2 * rate);
        EXPECT_EQ(Get32(wav, 40), blocks * 320);
    }

    TempFolder m_scratch{"export"};
    fs::path m_folder{fs::path(m_scratch.Path()).parent_path()};
    std::ostringstream m_out, m_err;
};

TEST_F(ExportCommand, OneMessageAtTheRateOfTheRecordersMode) {
    const fs::path target = m_folder / "first.wav";
    ASSERT_EQ(Run({"export", "1", "2", "-o", target.string()}), 0) << m_err.str();
    ExpectWav(target, 8000, 7);
    EXPECT_NE(m_out.str().find(target.string() + ": 02: "), std::string::npos) << m_out.str();
    EXPECT_NE(m_out.str().find("(SP-"), std::string::npos) << m_out.str();
    // Mode on, directory, the message's header, its download, mode off.
    const std::vector<emu::Frame> expected = {{0xAA, 0xAA, 0xAA, 0x55},
                                              {0xAA, 0xBD, 0x00, 0x00},
                                              {0xAA, 0xB1, 0x00, 0x02},
                                              {0xAA, 0xBF, 0x00, 0x02},
                                              {0xAA, 0xAA, 0x00, 0xFF}};
    EXPECT_EQ(Frames(), expected);
    EXPECT_EQ(Names(m_folder), std::vector<std::string>{"first.wav"});

    // The 7200 samples per second variant; named by its recording time in a folder given as -o.
    Start(1);
    ASSERT_EQ(Run({"export", "4", "1", "-o", m_folder.string()}), 0) << m_err.str();
    ExpectWav(m_folder / "2025-08-23_14-05-00_F4-01_MP.wav", 7200, 300);
}

TEST_F(ExportCommand, OnlyAFileNamedWithOIsReplacedAndEachKeepsItsRecordingTime) {
    // Into a folder: never over a file there, whoever's it is.
    ASSERT_EQ(Run({"export", "1", "2", "-o", m_folder.string()}), 0) << m_err.str();
    ASSERT_EQ(Run({"export", "1", "2", "-o", m_folder.string(), "--name", "%n-%q"}), 0);
    ASSERT_EQ(Run({"export", "1", "2", "-o", m_folder.string(), "--name", "%n-%q"}), 0);
    EXPECT_EQ(Names(m_folder), (std::vector<std::string>{"02-SP.wav", "02-SP_2.wav",
                                                         "2025-08-23_14-05-00_F1-02_SP.wav"}));
    EXPECT_NE(m_out.str().find(m_folder.string() + "/02-SP_2.wav: 02: 08-23 14:05 (SP-"),
              std::string::npos)
        << m_out.str();
    std::tm recorded{};
    recorded.tm_year = 125;
    recorded.tm_mon = 7;
    recorded.tm_mday = 23;
    recorded.tm_hour = 14;
    recorded.tm_min = 5;
    recorded.tm_isdst = -1;
    struct stat st {};
    ASSERT_EQ(::stat((m_folder / "02-SP.wav").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, std::mktime(&recorded));

    // A file named with -o is replaced, in the format its name or --format says.
    const fs::path named = m_folder / "x.flac";
    std::ofstream(named) << "earlier";
    ASSERT_EQ(Run({"export", "1", "2", "-o", named.string()}), 0) << m_err.str();
    const Bytes flac = ReadAll(named);
    ASSERT_GE(flac.size(), 4u);
    EXPECT_EQ(std::memcmp(flac.data(), "fLaC", 4), 0);
    ASSERT_EQ(Run({"export", "1", "2", "-o", named.string(), "--format", "wav"}), 0);
    ExpectWav(named, 8000, 7);
    EXPECT_EQ(Run({"export", "1", "2", "--format", "wave"}), 2);
}

TEST_F(ExportCommand, AllMessagesIntoAFolderItCreates) {
    const fs::path out = m_folder / "out";
    ASSERT_EQ(Run({"export", "--all", "-o", out.string()}), 0) << m_err.str();
    const std::vector<std::string> names = {"2025-08-23_14-05-00_F1-01_LP.wav",
                                            "2025-08-23_14-05-00_F1-02_SP.wav",
                                            "2025-08-23_14-05-00_F4-01_MP.wav"};
    EXPECT_EQ(Names(out), names) << "nothing else is left in the folder";
    ExpectWav(out / names[0], 8000, 34);
    ExpectWav(out / names[1], 8000, 7);
    ExpectWav(out / names[2], 8000, 300);
    std::istringstream lines(m_out.str());
    int count = 0;
    for (std::string line; std::getline(lines, line);) ++count;
    EXPECT_EQ(count, 3) << m_out.str();
    // A second run replaces none of them: its files take names of their own.
    ASSERT_EQ(Run({"export", "--all", "-o", out.string()}), 0) << m_err.str();
    EXPECT_EQ(Names(out).size(), 6u);
    ExpectWav(out / "2025-08-23_14-05-00_F4-01_MP_2.wav", 8000, 300);
}

TEST_F(ExportCommand, BadArgumentsAndMissingMessages) {
    EXPECT_EQ(Run({"export"}), 2);
    EXPECT_EQ(Run({"export", "6", "1"}), 2);
    EXPECT_EQ(Run({"export", "1", "1", "--all"}), 2);
    EXPECT_EQ(Run({"export", "2", "1", "-o", (m_folder / "x.wav").string()}), 2);
    EXPECT_NE(m_err.str().find("no message 1"), std::string::npos) << m_err.str();
    EXPECT_EQ(Run({"export", "--help"}), 0);
    EXPECT_NE(m_out.str().find("export --all"), std::string::npos);
    EXPECT_TRUE(Names(m_folder).empty());
}

TEST_F(ExportCommand, ABrokenTransferLeavesTheEarlierFileAsItWas) {
    const fs::path target = m_folder / "3_01.wav";
    std::ofstream(target) << "earlier";
    emu::FaultSwitches faults;
    faults.breakAfterBytes = 700;  // in the middle of the second of its blocks
    emulator->SetFaults(faults);
    EXPECT_EQ(Run({"export", "4", "1", "-o", target.string()}), 3);
    EXPECT_NE(m_err.str().find("Communition ERROR!"), std::string::npos) << m_err.str();
    EXPECT_EQ(Names(m_folder), std::vector<std::string>{"3_01.wav"});
    const Bytes kept = ReadAll(target);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "earlier");
}

TEST_F(ExportCommand, OutputThatCannotBeWritten) {
    EXPECT_EQ(Run({"export", "1", "1", "-o", (m_folder / "missing" / "x.wav").string()}), 6);
    std::ofstream(m_folder / "file") << "x";
    EXPECT_EQ(Run({"export", "--all", "-o", (m_folder / "file").string()}), 6);
    EXPECT_EQ(Names(m_folder), std::vector<std::string>{"file"});
}

TEST_F(ExportCommand, AllMakesItsFolderOnlyOnceThereIsSomethingToWrite) {
    // Regression: the folder was made before the recorder was reached, so a port that could
    // not be opened left an empty folder behind.
    const fs::path out = m_folder / "new" / "out";
    CliContext context;
    context.settingsPath = (m_folder / "no-settings.conf").string();
    EXPECT_EQ(
        RunSonoret({"--device", "/dev/no-such-recorder", "export", "--all", "-o", out.string()},
                   context, m_out, m_err),
        5);
    EXPECT_TRUE(Names(m_folder).empty()) << m_err.str();

    // Nor does a recorder without messages.
    emulator->WithModel([](emu::RecorderModel& model) {
        for (auto& folder : model.folders) folder.clear();
    });
    EXPECT_EQ(Run({"export", "--all", "-o", out.string()}), 0) << m_err.str();
    EXPECT_NE(m_err.str().find("the recorder holds no messages"), std::string::npos);
    EXPECT_TRUE(Names(m_folder).empty());
}

TEST_F(ExportCommand, CtrlCDuringTheDownloadStopsWithoutAFile) {
    // At the real line rate this message of 105 blocks takes 14 s: time enough to interrupt.
    options.paced = true;
    StartEmulator();
    emulator->WithModel([](emu::RecorderModel& model) {
        for (auto& folder : model.folders) folder.clear();
        model.folders[3] = {Message(5000, 0, emu::Quality::MP)};
    });
    std::thread presser([this] {
        // The download request, then a moment for the first blocks.
        const bool seen = emulator->WaitForFrames(4, std::chrono::seconds(20));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        (void)seen;
        interruption::Raise();
    });
    const int status = Run({"export", "4", "1", "-o", m_folder.string()});
    presser.join();
    interruption::Reset();
    EXPECT_EQ(status, 130) << m_err.str();
    EXPECT_TRUE(Names(m_folder).empty());
}

}  // namespace
