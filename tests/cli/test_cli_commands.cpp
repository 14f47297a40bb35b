// The commands of `sonoret` run in-process against a recorder emulator of their own.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <thread>

#include "cli/interruption.h"
#include "cli/sonoret_cli.h"
#include "core/res/strings.h"
#include "emulator/recorder_emulator.h"
#include "sonoret_version.h"
#include "tests/ports/fake_serial_tree.h"
#include "tests/support/emulator_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

class CliTest : public EmulatorFixture {
protected:
    void SetUp() override {
        StartEmulator();
        context.settingsPath = scratch.File("QP2400.conf");
    }
    void TearDown() override { emulator.reset(); }

    // Runs `sonoret --device <emulator> args...`.
    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--device", emulator->DevicePath()});
        return RunPlain(args);
    }
    int RunPlain(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        context.in = &in;
        return RunSonoret(args, context, out, err);
    }
    static Bytes FileBytes(const fs::path& path) {
        std::ifstream file(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(file), {});
    }
    std::string Out() const { return out.str(); }
    std::string Err() const { return err.str(); }

    TempFolder scratch{"sonoret-cli"};
    fs::path folder{fs::path(scratch.Path()).parent_path()};
    CliContext context;
    std::istringstream in;
    std::ostringstream out, err;
};

// An output stream another thread may look at while a command writes to it.
class SharedOutput : public std::stringbuf {
public:
    std::string Snapshot() {
        std::lock_guard lock(m_mutex);
        return str();
    }

protected:
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        std::lock_guard lock(m_mutex);
        return std::stringbuf::xsputn(s, n);
    }
    int_type overflow(int_type c) override {
        std::lock_guard lock(m_mutex);
        return std::stringbuf::overflow(c);
    }

private:
    std::recursive_mutex m_mutex;  // stringbuf's xsputn may call overflow
};

std::size_t Lines(const std::string& s) {
    return static_cast<std::size_t>(std::count(s.begin(), s.end(), '\n'));
}

TEST_F(CliTest, ListShowsEveryFolderWithItsMessagesAndEndsWithModeOff) {
    ASSERT_EQ(Run({"list"}), 0) << Err();
    std::istringstream lines(Out());
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "1 File (3)");
    std::getline(lines, line);
    EXPECT_EQ(line.substr(0, 6), "  01: ");
    EXPECT_NE(line.find("-"), std::string::npos);
    EXPECT_EQ(Lines(Out()), 5u + 3 + 1 + 0 + 2 + 4);
    EXPECT_NE(Out().find("\n3 File (0)\n4 File (2)\n"), std::string::npos);
    const auto frames = Frames();
    EXPECT_EQ(frames.front(), frames::kModeOn);
    EXPECT_EQ(frames[1], frames::kDirectory);
    EXPECT_EQ(frames.back(), frames::kModeOff);
    EXPECT_EQ(frames.size(), 2u + 10 + 1);
}

TEST_F(CliTest, ListAsJson) {
    emulator->WithModel([](emu::RecorderModel& m) {
        for (int f = 1; f < 5; ++f) m.folders[f].clear();
        m.folders[0].resize(1);
        auto& message = m.folders[0][0];
        message.quality = emu::Quality::SP;
        message.timeValue = 25350;
        message.data.assign(153 * 528, 0x11);
    });
    // 2026-12-25 is day 9489 after 2001-01-01.
    emulator->WithModel([](emu::RecorderModel& m) { m.folders[0][0].dateValue = 9489; });
    ASSERT_EQ(Run({"list", "--json"}), 0) << Err();
    EXPECT_EQ(
        Out(),
        "{\"mode\":2,\"folders\":[{\"folder\":1,\"count\":1,\"messages\":[{\"number\":1,"
        "\"date\":\"2026-12-25\",\"time\":\"14:05\",\"quality\":\"SP\",\"length\":153,"
        "\"seconds\":67,\"label\":\"01: 12-25 14:05 (SP-1:07)\"}]},"
        "{\"folder\":2,\"count\":0,\"messages\":[]},{\"folder\":3,\"count\":0,\"messages\":[]},"
        "{\"folder\":4,\"count\":0,\"messages\":[]},{\"folder\":5,\"count\":0,\"messages\":[]}]}"
        "\n");
}

TEST_F(CliTest, FetchWritesTheMessageByteForByteUnderItsDefaultName) {
    const fs::path cwd = fs::current_path();
    fs::current_path(folder);
    const int status = Run({"fetch", "5", "3"});
    fs::current_path(cwd);
    ASSERT_EQ(status, 0) << Err();
    EXPECT_EQ(FileBytes(folder / "4_03.Bin"), Stored(4, 3).data);
    const auto frames = Frames();
    EXPECT_EQ(
        frames,
        (std::vector<Frame>{
            frames::kModeOn, frames::kDirectory, {0xAA, 0xBF, 0x04, 0x03}, frames::kModeOff}));
    // Nothing else is left in the folder (the staging folder is gone).
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(CliTest, FetchToAGivenFileOrFolder) {
    ASSERT_EQ(Run({"fetch", "1", "2", "-o", (folder / "two.bin").string()}), 0) << Err();
    EXPECT_EQ(FileBytes(folder / "two.bin"), Stored(0, 2).data);
    ASSERT_EQ(Run({"fetch", "1", "1", "--output", folder.string()}), 0) << Err();
    EXPECT_EQ(FileBytes(folder / "0_01.Bin"), Stored(0, 1).data);
}

TEST_F(CliTest, FetchOfAMessageThatIsNotThereChangesNothing) {
    std::ofstream(folder / "keep.Bin") << "mine";
    EXPECT_EQ(Run({"fetch", "3", "1", "-o", (folder / "keep.Bin").string()}), 2);
    EXPECT_NE(Err().find("3 File holds 0 messages"), std::string::npos) << Err();
    EXPECT_EQ(FileBytes(folder / "keep.Bin"), (Bytes{'m', 'i', 'n', 'e'}));
    EXPECT_EQ(Frames().back(), frames::kModeOff);
}

TEST_F(CliTest, FetchIntoAFolderThatCannotBeWrittenFailsBeforeTalkingToTheRecorder) {
    EXPECT_EQ(Run({"fetch", "1", "1", "-o", "/nonexistent-folder/x.Bin"}), 6);
    EXPECT_NE(Err().find("/nonexistent-folder/x.Bin"), std::string::npos);
    EXPECT_TRUE(Frames().empty());
}

TEST_F(CliTest, InterruptedFetchStopsTheRecorderAndLeavesNoFile) {
    emulator.reset();
    options.paced = true;
    StartEmulator();
    emulator->WithModel([](emu::RecorderModel& m) { m.folders[0][0].data.assign(40 * 528, 1); });
    std::thread ctrlC([&] {
        // Once the download frame went out, the user presses Ctrl-C.
        for (int i = 0; i < 500; ++i) {
            const auto frames = Frames();
            if (!frames.empty() && frames.back()[1] == 0xBF) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        interruption::Raise();
    });
    const int status = Run({"fetch", "1", "1", "-o", (folder / "x.Bin").string()});
    ctrlC.join();
    EXPECT_EQ(status, 130);
    EXPECT_FALSE(fs::exists(folder / "x.Bin"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 0);
    // The program does not wait for replies once interrupted: the emulator may still be
    // reading its last frames.
    emulator->WaitForBytes(4u + 4 + 4 + 256 + 4, std::chrono::seconds(3));
    const Bytes wire = emulator->ReceivedBytes();
    ASSERT_GE(wire.size(), 4u + 4 + 4 + 256 + 4);
    // The download frame, the cancel filler, then the mode-off frame (the emulator takes a
    // frame from the bytes it heard a moment after it heard them).
    EXPECT_TRUE(std::all_of(wire.end() - 260, wire.end() - 4, [](auto b) { return b == 0; }));
    emulator->WaitForFrames(4, std::chrono::seconds(3));
    EXPECT_EQ(Frames().back(), frames::kModeOff);
}

TEST_F(CliTest, DeleteWithYesSendsTheFrame) {
    const auto third = Stored(0, 3);
    ASSERT_EQ(Run({"delete", "1", "2", "--yes"}), 0) << Err();
    EXPECT_EQ(
        Frames(),
        (std::vector<Frame>{
            frames::kModeOn, frames::kDirectory, {0xAA, 0xBE, 0x00, 0x02}, frames::kModeOff}));
    EXPECT_EQ(Stored(0, 2).data, third.data);
}

TEST_F(CliTest, DeleteAsksOnATerminal) {
    context.interactive = true;
    in.str("n\n");
    EXPECT_EQ(Run({"delete", "1", "2"}), 0);
    EXPECT_NE(Err().find(text::kDeleteQuestion), std::string::npos);
    EXPECT_TRUE(Frames().empty());  // asked before anything was sent

    in.clear();
    in.str("y\n");
    EXPECT_EQ(Run({"delete", "1", "2"}), 0) << Err();
    EXPECT_EQ(Frames()[2], (Frame{0xAA, 0xBE, 0x00, 0x02}));
}

TEST_F(CliTest, DeleteWithoutATerminalNeedsYes) {
    EXPECT_EQ(Run({"delete", "1", "2"}), 2);
    EXPECT_NE(Err().find("--yes"), std::string::npos);
    EXPECT_TRUE(Frames().empty());
}

TEST_F(CliTest, SetTimeAndSetDateSendTheCodedValues) {
    ASSERT_EQ(Run({"set-time", "13:45"}), 0) << Err();
    EXPECT_EQ(Frames()[2], (Frame{0xAA, 0xC1, 0xAE, 0x60}));
    EXPECT_EQ(Frames().back(), frames::kModeOff);
    emulator->ClearLog();
    ASSERT_EQ(Run({"set-date", "2002-01-01"}), 0) << Err();
    EXPECT_EQ(Frames()[2], (Frame{0xAA, 0xC2, 0x6D, 0x01}));
}

TEST_F(CliTest, SetClockTakesThePcsLocalClock) {
    const std::time_t before = std::time(nullptr);
    ASSERT_EQ(Run({"set-clock"}), 0) << Err();
    std::tm tm{};
    localtime_r(&before, &tm);
    const auto frames = Frames();
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_EQ(frames[2][1], 0xC2);
    EXPECT_EQ(frames[3][1], 0xC1);
    const int sentMinutes = (frames[3][2] | frames[3][3] << 8) / 30;
    const int nowMinutes = tm.tm_hour * 60 + tm.tm_min;
    EXPECT_TRUE(sentMinutes == nowMinutes || sentMinutes == (nowMinutes + 1) % 1440);
}

TEST_F(CliTest, BadArgumentsAreRefusedWithTheUsage) {
    const std::vector<std::vector<std::string>> cases = {
        {"fetch", "1"},
        {"fetch", "0", "1"},
        {"fetch", "1", "101"},
        {"delete", "x", "1"},
        {"set-time", "24:00"},
        {"set-time", "7:5"},
        {"set-date", "2001-02-29"},
        {"set-date", "2000-12-31"},
        {"set-date", "2200-01-01"},
        {"list", "extra"},
        {"list", "--xml"},
        {"set-clock", "now"},
        {"simulate", "--mode", "3"},
        {"simulate", "--counts", "1,2,3"},
    };
    for (const auto& args : cases) {
        EXPECT_EQ(Run(args), 2) << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_NE(Err().find("usage: sonoret " + args[0]), std::string::npos) << Err();
    }
    EXPECT_TRUE(Frames().empty());
    EXPECT_EQ(RunPlain({}), 2);
    EXPECT_EQ(RunPlain({"frobnicate"}), 2);
    EXPECT_EQ(RunPlain({"--port", "0", "list"}), 2);
    EXPECT_EQ(RunPlain({"--simulate", "--device", "/dev/null", "list"}), 2);
}

TEST_F(CliTest, HelpEverywhere) {
    EXPECT_EQ(RunPlain({"--help"}), 0);
    for (const char* command :
         {"list", "fetch", "delete", "set-time", "set-date", "set-clock", "simulate"}) {
        EXPECT_NE(Out().find(command), std::string::npos) << command;
    }
    EXPECT_NE(Out().find("usage: sonoret [--trace] [--device PATH | --port N | --simulate]"),
              std::string::npos);
    EXPECT_NE(Out().find("  --trace "), std::string::npos);
    EXPECT_EQ(RunPlain({"fetch", "--help"}), 0);
    EXPECT_NE(Out().find("usage: sonoret fetch F M"), std::string::npos);
    EXPECT_EQ(RunPlain({"help", "delete"}), 0);
    EXPECT_NE(Out().find("--yes"), std::string::npos);
    EXPECT_EQ(RunPlain({"--version"}), 0);
    EXPECT_EQ(Out(), std::string("sonoret ") + kSonoretVersion + "\n");
}

TEST_F(CliTest, TraceWritesEveryFrameOnTheLineWithItsTime) {
    context.progressBars = true;  // the trace takes their place
    const std::string target = scratch.File("traced.Bin");
    ASSERT_EQ(Run({"--trace", "fetch", "1", "1", "-o", target}), 0) << Err();
    EXPECT_EQ(FileBytes(target), Stored(0, 1).data);
    EXPECT_EQ(Err().find('\033'), std::string::npos) << "a progress bar among the trace";

    std::vector<std::string> sent;
    std::size_t blocks = 0;
    double last = 0;
    std::istringstream lines(Err());
    for (std::string line; std::getline(lines, line);) {
        // "12.345 > AA BD 00 00": seconds to the millisecond, the direction, what went over.
        std::istringstream words(line);
        double seconds = -1;
        std::string direction;
        words >> seconds >> direction;
        ASSERT_TRUE(words && (direction == ">" || direction == "<")) << line;
        ASSERT_EQ(line.find('.') + 4, line.find(' ')) << line;
        EXPECT_GE(seconds, last) << line;
        last = seconds;
        const std::string what = line.substr(line.find(' ') + 3);
        if (direction == ">") sent.push_back(what);
        if (what == "528 bytes") ++blocks;
    }
    std::vector<std::string> frames;
    for (const Frame& frame : Frames()) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%02X %02X %02X %02X", frame[0], frame[1], frame[2],
                      frame[3]);
        frames.emplace_back(hex);
    }
    EXPECT_EQ(sent, frames);  // every request, in order, the final mode off too
    EXPECT_EQ(blocks, 1 + Stored(0, 1).data.size() / 528);  // the directory, then the message

    // Without --trace nothing of it, and the bars again.
    ASSERT_EQ(Run({"fetch", "1", "1", "-o", scratch.File("plain.Bin")}), 0) << Err();
    EXPECT_EQ(Err().find(" > "), std::string::npos);
    EXPECT_NE(Err().find("Receive ["), std::string::npos);
}

TEST_F(CliTest, APortThatCannotBeOpened) {
    EXPECT_EQ(RunPlain({"--device", "/dev/no-such-recorder", "list"}), 5);
    EXPECT_EQ(Err(),
              std::string(text::kSerialInitError) + "\n(/dev/no-such-recorder: no such device)\n");
}

TEST_F(CliTest, PortsMapThroughTheWindowProgramsSettings) {
    std::ofstream(context.settingsPath) << "[COMM]\nPORT=3\nDEVICE3=" << emulator->DevicePath()
                                        << "\nDEVICE4=/dev/no-such-recorder\n";
    EXPECT_EQ(RunPlain({"set-time", "01:02"}), 0) << Err();  // the saved port, COM3
    EXPECT_EQ(RunPlain({"--port", "4", "set-time", "01:02"}), 5);
    EXPECT_NE(Err().find("/dev/no-such-recorder"), std::string::npos);
}

TEST_F(CliTest, ThePortTheWindowChoseByNameIsUsedUntilAPortIsGiven) {
    FakeSerialTree tree;
    tree.AddUsb(FakeSerialTree::Prolific());
    tree.PointNodeAt("ttyUSB0", emulator->DevicePath());
    context.portRoots = tree.Roots();
    const std::string byId = tree.Dev("serial/by-id/" + FakeSerialTree::Prolific().byId);
    // PORT is no matter while a device is chosen: not even a wrong one is worth a word.
    std::ofstream(context.settingsPath)
        << "[COMM]\nPORT=999\nDEVICE=" << byId << "\nDEVICE2=/dev/no-such-recorder\n";
    EXPECT_EQ(RunPlain({"set-time", "01:02"}), 0) << Err();
    EXPECT_EQ(Err(), "");
    EXPECT_FALSE(Frames().empty());
    EXPECT_EQ(RunPlain({"--port", "2", "set-time", "01:02"}), 5);
    EXPECT_NE(Err().find("/dev/no-such-recorder"), std::string::npos) << Err();
    // Written by hand as a bare name, it is a device of /dev.
    std::ofstream(context.settingsPath) << "[COMM]\nDEVICE=ttyUSB0\n";
    EXPECT_EQ(RunPlain({"set-time", "01:02"}), 0) << Err();
    // Cleared, the saved port counts again.
    std::ofstream(context.settingsPath)
        << "[COMM]\nPORT=2\nDEVICE=\nDEVICE2=/dev/no-such-recorder\n";
    EXPECT_EQ(RunPlain({"set-time", "01:02"}), 5);
}

TEST_F(CliTest, WrongSettingsAreNamedWithWhatIsUsedInstead) {
    // Regression: a bad PORT silently became COM1, and the user saw a communication error.
    for (const std::string value : {"999", "-5", "3abc"}) {
        std::ofstream(context.settingsPath)
            << "[COMM]\nPORT=" << value << "\nDEVICE1=" << emulator->DevicePath() << "\n";
        EXPECT_EQ(RunPlain({"set-time", "01:02"}), 0) << Err();
        EXPECT_NE(Err().find("sonoret: PORT=" + value + " in [COMM] of " + context.settingsPath),
                  std::string::npos)
            << Err();
        EXPECT_NE(Err().find("; using COM1 (" + emulator->DevicePath() + ")\n"), std::string::npos)
            << Err();
    }
    // Not a file to read: the defaults, after saying so.
    fs::remove(context.settingsPath);
    fs::create_symlink("/dev/zero", context.settingsPath);
    EXPECT_EQ(RunPlain({"--port", "200", "list"}), 5);
    EXPECT_EQ(Err().find("sonoret: the settings file " + context.settingsPath +
                         " is not a regular file; going on with the default settings\n"),
              0u)
        << Err();
    EXPECT_NE(Err().find("/dev/ttyS199"), std::string::npos) << Err();
    // Where the settings choose nothing, they are not talked about.
    EXPECT_EQ(Run({"set-time", "01:02"}), 0);
    EXPECT_EQ(Err(), "");
}

TEST_F(CliTest, ASignalAgainstASilentRecorderEndsTheCommandAtOnce) {
    // Regression: Ctrl-C ended only the wait under way; the next request and the mode-off
    // each waited their full 3000 ms.
    using namespace std::chrono;
    SetFaults([](emu::FaultSwitches& f) { f.silent = true; });
    for (const auto& [signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
        emulator->ClearLog();
        steady_clock::time_point raised;
        std::thread press([&, signal = signal] {
            emulator->WaitForFrames(1, seconds(10));  // waiting for the mode reply
            std::this_thread::sleep_for(milliseconds(100));
            raised = steady_clock::now();
            interruption::Raise(signal);
        });
        const int got = Run({"list"});
        const auto ended = steady_clock::now();
        press.join();
        EXPECT_EQ(got, status) << Err();
        EXPECT_LT(ended - raised, milliseconds(1500));
        EXPECT_EQ(Err(), "");  // an interruption is no communication error
        // The session still ends with the mode-off frame.
        emulator->WaitForFrames(3, seconds(5));
        EXPECT_EQ(Frames(),
                  (std::vector<Frame>{frames::kModeOn, frames::kDirectory, frames::kModeOff}));
    }
}

TEST_F(CliTest, CtrlCAtTheDeleteQuestionIsNoAnswer) {
    // Ctrl-C ends the read of the answer as the end of input would.
    class InterruptedInput : public std::streambuf {
    protected:
        int_type underflow() override {
            interruption::Raise();
            return traits_type::eof();
        }
    } input;
    std::istream interrupted(&input);
    context.interactive = true;
    context.in = &interrupted;
    out.str("");
    err.str("");
    EXPECT_EQ(
        RunSonoret({"--device", emulator->DevicePath(), "delete", "1", "2"}, context, out, err),
        130);
    EXPECT_EQ(err.str().find("Nothing deleted"), std::string::npos) << err.str();
    EXPECT_TRUE(Frames().empty());
}

TEST_F(CliTest, CommunicationFailuresUseTheProgramsMessages) {
    SetFaults([](emu::FaultSwitches& f) { f.badMarkerReads = 3; });
    EXPECT_EQ(Run({"list"}), 3);
    EXPECT_EQ(Err(), std::string(text::kCommError) + "\n");
    EXPECT_EQ(Frames().back(), frames::kModeOff);  // the session still ends properly

    SetFaults([](emu::FaultSwitches& f) { f.wrongEcho = true; });
    // The directory read checks the echo: every command needs it first.
    EXPECT_EQ(Run({"set-time", "01:02"}), 3);
    EXPECT_EQ(Err(), std::string(text::kCommError) + "\n");
}

TEST_F(CliTest, TheSimulateCommandServesUntilInterrupted) {
    SharedOutput simOutput, simErrors;
    std::ostream simOut(&simOutput), simErr(&simErrors);
    std::atomic<int> simStatus{-1};
    std::thread simulate([&] {
        simStatus = RunSonoret({"simulate", "--mode", "1", "--counts", "0,0,0,0,1", "--seed", "9"},
                               context, simOut, simErr);
    });
    // Making the messages' voice takes a while in the sanitizer builds, the more so on a busy
    // machine: wait for the device line as long as the command keeps running.
    std::string device;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (device.empty() && simStatus == -1 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const std::string text = simOutput.Snapshot();
        if (text.find('\n') != std::string::npos) device = text.substr(0, text.find('\n'));
    }
    if (device.empty()) {
        interruption::Raise();
        simulate.join();
        FAIL() << simErrors.Snapshot();
    }
    std::ostringstream listOut, listErr;
    CliContext listing = context;
    EXPECT_EQ(RunSonoret({"--device", device, "list", "--json"}, listing, listOut, listErr), 0)
        << listErr.str();
    interruption::Raise();
    simulate.join();
    EXPECT_EQ(simStatus.load(), 0);
    EXPECT_EQ(listOut.str().substr(0, 10), "{\"mode\":1,");
    EXPECT_NE(listOut.str().find("{\"folder\":5,\"count\":1,"), std::string::npos);
}

}  // namespace
