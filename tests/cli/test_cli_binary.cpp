// The real `sonoret` program: exit statuses, and Ctrl-C as a terminal sends it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/res/strings.h"
#include "emulator/recorder_emulator.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// One run of the program with its standard output and error captured.
class Process {
public:
    explicit Process(std::vector<std::string> args) {
        args.insert(args.begin(), SONORET_BINARY);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        int outPipe[2], errPipe[2];
        if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(outPipe[1]);
        ::close(errPipe[1]);
        m_out = outPipe[0];
        m_err = errPipe[0];
    }
    ~Process() {
        if (m_pid > 0 && !m_reaped) {
            ::kill(m_pid, SIGKILL);
            Wait();
        }
        ::close(m_out);
        ::close(m_err);
    }

    bool Started() const { return m_pid > 0; }
    void Signal(int signal) { ::kill(m_pid, signal); }

    // The first line of standard output, within a few seconds.
    std::string FirstLine() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (m_stdout.find('\n') == std::string::npos &&
               std::chrono::steady_clock::now() < deadline) {
            Pump(100);
        }
        return m_stdout.substr(0, m_stdout.find('\n'));
    }

    // Waits for the end; the exit status, 128 + the signal when one ended it.
    int Wait() {
        while (Pump(50)) {
        }
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_reaped = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    const std::string& Out() const { return m_stdout; }
    const std::string& Err() const { return m_stderr; }

private:
    // Reads what is there; false once both pipes are closed.
    bool Pump(int timeoutMs) {
        pollfd fds[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
        ::poll(fds, 2, timeoutMs);
        bool open = false;
        std::string* sinks[2] = {&m_stdout, &m_stderr};
        for (int i = 0; i < 2; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP))) {
                open |= fds[i].revents == 0;
                continue;
            }
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
                open = true;
            }
        }
        return open;
    }

    pid_t m_pid = -1;
    int m_out = -1, m_err = -1;
    bool m_reaped = false;
    std::string m_stdout, m_stderr;
};

TEST(SonoretProgram, ListsTheBuiltInEmulator) {
    Process run({"--simulate", "list"});
    ASSERT_TRUE(run.Started());
    EXPECT_EQ(run.Wait(), 0) << run.Err();
    EXPECT_EQ(run.Out().substr(0, 11), "1 File (3)\n");
    EXPECT_TRUE(run.Err().empty()) << run.Err();  // not a terminal: no progress bar
}

TEST(SonoretProgram, ExitStatusesForUsageAndPortErrors) {
    Process usage({"fetch", "9", "1"});
    EXPECT_EQ(usage.Wait(), 2);
    EXPECT_NE(usage.Err().find("usage: sonoret fetch"), std::string::npos);

    Process port({"--device", "/dev/no-such-recorder", "set-time", "10:00"});
    EXPECT_EQ(port.Wait(), 5);
    EXPECT_EQ(port.Err().find(text::kSerialInitError), 0u) << port.Err();

    Process help({"--help"});
    EXPECT_EQ(help.Wait(), 0);
    EXPECT_NE(help.Out().find("Exit status"), std::string::npos);
}

// A recorder at the real line rate with a first message that takes seconds to download.
std::unique_ptr<emu::RecorderEmulator> PacedRecorder() {
    emu::Options options;
    options.paced = true;
    auto emulator = std::make_unique<emu::RecorderEmulator>(options);
    if (!emulator->Start()) return nullptr;
    emulator->WithModel([](emu::RecorderModel& m) { m.folders[0][0].data.assign(60 * 528, 7); });
    return emulator;
}

fs::path FreshFolder(const std::string& name) {
    const fs::path folder = fs::temp_directory_path() / (name + "-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// `sonoret fetch` of that message into folder, hit by the signal while the blocks come in;
// its exit status (-1 when the download never began), and its standard error in err.
int FetchHitBySignal(emu::RecorderEmulator& recorder, const fs::path& folder, int signal,
                     std::string& err) {
    Process fetch({"--device", recorder.DevicePath(), "fetch", "1", "1", "-o",
                   (folder / "message.Bin").string()});
    // mode on, directory, download
    if (!recorder.WaitForFrames(3, std::chrono::seconds(10))) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    fetch.Signal(signal);
    const int status = fetch.Wait();
    err = fetch.Err();
    return status;
}

// The signal ends the fetch with the status a shell would report, nothing is left behind, and
// the recorder hears the cancel filler and then the mode-off frame.
void ExpectADownloadStopsCleanly(int signal, int status) {
    const auto emulator = PacedRecorder();
    ASSERT_TRUE(emulator);
    const fs::path folder = FreshFolder("sonoret-signal");
    std::string err;
    EXPECT_EQ(FetchHitBySignal(*emulator, folder, signal, err), status) << err;

    EXPECT_TRUE(fs::is_empty(folder)) << "a partial file was left behind";
    fs::remove_all(folder);
    ASSERT_TRUE(emulator->WaitForFrames(4, std::chrono::seconds(5)));
    const auto frames = emulator->ReceivedFrames();
    EXPECT_EQ(frames[2][1], 0xBF);
    EXPECT_EQ(frames.back(), (std::array<std::uint8_t, 4>{0xAA, 0xAA, 0x00, 0xFF}));
    const auto wire = emulator->ReceivedBytes();
    ASSERT_GE(wire.size(), 12u + 256 + 4);
    EXPECT_TRUE(std::all_of(wire.end() - 260, wire.end() - 4, [](auto b) { return b == 0; }));
}

TEST(SonoretProgram, CtrlCDuringADownloadStopsCleanlyWith130) {
    ExpectADownloadStopsCleanly(SIGINT, 130);
}

// Regression: these killed the program outright, leaving the partial message behind for ever
// and the recorder sending.
class SignalDuringADownload : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(SignalDuringADownload, StopsCleanlyWith128PlusTheSignal) {
    ExpectADownloadStopsCleanly(GetParam().first, GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalDuringADownload,
                         ::testing::Values(std::pair{SIGTERM, 143}, std::pair{SIGHUP, 129},
                                           std::pair{SIGQUIT, 131}, std::pair{SIGPIPE, 141}),
                         [](const auto& info) {
                             return std::string(sigabbrev_np(info.param.first));
                         });

TEST(SonoretProgram, WhatAKilledFetchLeftGoesWithTheNextRunThere) {
    const auto emulator = PacedRecorder();
    ASSERT_TRUE(emulator);
    const fs::path folder = FreshFolder("sonoret-killed");
    std::string err;
    EXPECT_EQ(FetchHitBySignal(*emulator, folder, SIGKILL, err), 128 + SIGKILL) << err;
    // Nothing can be done about a SIGKILL: the staging folder with the partial message stays.
    const auto left = Names(folder);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_TRUE(left[0].starts_with(".sonoret-")) << left[0];
    EXPECT_FALSE(fs::is_empty(folder / left[0]));
    // The staging folder of a run still at work (this very process, by its name) stays.
    const std::string alive = ".sonoret-" + std::to_string(::getpid()) + "-Zz9Zz9";
    fs::create_directories(folder / alive);

    emu::RecorderEmulator recorder;
    ASSERT_TRUE(recorder.Start());
    Process next({"--device", recorder.DevicePath(), "fetch", "1", "2", "-o",
                  (folder / "two.Bin").string()});
    EXPECT_EQ(next.Wait(), 0) << next.Err();
    EXPECT_EQ(Names(folder), (std::vector<std::string>{alive, "two.Bin"}));
    fs::remove_all(folder);
}

TEST(SonoretProgram, SimulateServesAnotherSonoretUntilInterrupted) {
    Process simulate({"simulate", "--counts", "2,0,0,0,0", "--mode", "1"});
    const std::string device = simulate.FirstLine();
    ASSERT_FALSE(device.empty()) << simulate.Err();
    Process list({"--device", device, "list"});
    EXPECT_EQ(list.Wait(), 0) << list.Err();
    EXPECT_EQ(list.Out().substr(0, 11), "1 File (2)\n");
    simulate.Signal(SIGINT);
    EXPECT_EQ(simulate.Wait(), 0);
}

}  // namespace
