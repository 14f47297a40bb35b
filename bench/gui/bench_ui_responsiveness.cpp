// How long the window's event loop stalls while it works: Connect with 100 messages, Connect
// on a silent line, a download at the line rate, the conversion of a 30-minute message and a
// folder of 10,000 files. The real main frame, offscreen, against the recorder emulator, with
// settings, cache and working folder of its own below a temporary folder. A stall is the
// longest gap between two beats of a 10 ms timer, less the 10 ms; the goal is 50 ms at most.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeWidgetItem>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/gui/event_loop_driver.h"
#include "bench/gui/frame_session.h"
#include "bench/gui/heartbeat.h"
#include "bench/gui/spoken_message.h"
#include "core/files/cqp_doc.h"
#include "core/res/resource_ids.h"
#include "core/res/strings.h"
#include "gui/app/manager_app.h"
#include "gui/frame/main_frame.h"
#include "gui/views/files/file_list_model.h"
#include "gui/views/files/left_view.h"
#include "gui/views/files/mid_view.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr double kGoalMs = 50;
// After the outcome the loop runs on a moment with the heartbeat still on: the layout and
// painting the outcome asks for are part of the case.
constexpr auto kSettle = 300ms;

constexpr int kConnectMessages = 100;
constexpr double kDownloadSeconds = 90;  // about 200 blocks: almost half a minute on the line
constexpr int kLongMessageMinutes = 30;
constexpr int kFolderFiles = 10000;
constexpr const char* kBigFolderName = "Ten thousand messages";

struct CaseResult {
    double stallMs = 0;
    int stallsOverGoal = 0;
    double seconds = 0;
    std::string detail;   // what the case worked on, where it varies
    std::string problem;  // empty when the case reached its outcome
};

// The folder everything of this run lives in: settings, cache, the program folder (where the
// working folder goes) and the big folder of the file list case.
struct Scratch {
    std::string root;  // without a final separator
    std::string BigFolder() const { return root + "/" + kBigFolderName; }
};

emu::Options LineRate() {
    emu::Options options;
    options.paced = true;
    return options;
}

emu::Options Unpaced() {
    return emu::Options{};
}

// Runs one measured step: the heartbeat is on from the action to its outcome and a moment
// beyond.
CaseResult Measure(const std::function<void()>& action, const std::function<bool()>& outcome,
                   std::chrono::milliseconds timeout) {
    Heartbeat heartbeat;
    QElapsedTimer clock;
    heartbeat.Start();
    clock.start();
    const bool reached = DriveUntil(action, outcome, timeout);
    CaseResult result;
    result.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    RunEventLoopFor(kSettle);
    heartbeat.Stop();
    result.stallMs = heartbeat.LongestStallMs();
    result.stallsOverGoal = heartbeat.StallsOver(kGoalMs);
    if (!reached) {
        result.problem =
            "no outcome within " +
            std::to_string(std::chrono::duration_cast<std::chrono::seconds>(timeout).count()) +
            " s";
    }
    return result;
}

CaseResult Failed(std::string problem) {
    CaseResult result;
    result.problem = std::move(problem);
    return result;
}

// A box where the case expects none is the case failing.
void NoteBoxes(FrameSession& session, CaseResult& result) {
    const std::vector<std::string> boxes = session.BoxTexts();
    if (result.problem.empty() && !boxes.empty()) result.problem = "a message box: " + boxes[0];
}

// Connects and makes the first message of the first folder current, before the measured step.
std::string ConnectAndSelect(FrameSession& session, int messages) {
    const bool connected = DriveUntil(
        [&session] { session.Frame().OnCommand(res::ID_CONNECT); },
        [&] { return session.MessagesShown() == messages || !session.BoxTexts().empty(); }, 60s);
    if (!connected || session.MessagesShown() != messages) return "the connect before it failed";
    if (!session.SelectMessage(0, 1)) return "the message is not in the recorder tree";
    return {};
}

std::function<bool()> OpenedOrBox(FrameSession& session, std::size_t opened) {
    return [&session, opened] {
        return session.Opened().size() >= opened || !session.BoxTexts().empty();
    };
}

CaseResult ConnectWithManyMessages(const Scratch&) {
    RecorderFolders folders;
    for (int i = 0; i < kConnectMessages; ++i) folders[i % 5].push_back(SpokenMessage(1));
    FrameSession session(LineRate(), folders);
    if (!session.Problem().empty()) return Failed(session.Problem());
    CaseResult result = Measure([&session] { session.Frame().OnCommand(res::ID_CONNECT); },
                                [&session] {
                                    return session.MessagesShown() == kConnectMessages ||
                                           !session.BoxTexts().empty();
                                },
                                120s);
    NoteBoxes(session, result);
    return result;
}

CaseResult ConnectOnSilentLine(const Scratch&) {
    FrameSession session(LineRate(), RecorderFolders{});
    if (!session.Problem().empty()) return Failed(session.Problem());
    emu::FaultSwitches silent;
    silent.silent = true;
    session.Emulator().SetFaults(silent);
    CaseResult result = Measure([&session] { session.Frame().OnCommand(res::ID_CONNECT); },
                                [&session] { return !session.BoxTexts().empty(); }, 60s);
    const std::vector<std::string> boxes = session.BoxTexts();
    if (result.problem.empty() && boxes != std::vector<std::string>{text::kCommError}) {
        result.problem = "not the communication error: " + boxes[0];
    }
    // The recorder answers again for the mode-off frame at close.
    session.Emulator().SetFaults(emu::FaultSwitches{});
    return result;
}

CaseResult DownloadAtLineRate(const Scratch&) {
    RecorderFolders folders;
    folders[0].push_back(SpokenMessage(kDownloadSeconds));
    const std::size_t blocks = folders[0][0].Blocks();
    FrameSession session(LineRate(), folders);
    if (!session.Problem().empty()) return Failed(session.Problem());
    if (std::string problem = ConnectAndSelect(session, 1); !problem.empty()) {
        return Failed(problem);
    }
    CaseResult result = Measure([&session] { session.Frame().OnCommand(res::ID_PLAY); },
                                OpenedOrBox(session, 1), 180s);
    NoteBoxes(session, result);
    result.detail = std::to_string(blocks) + " blocks";
    return result;
}

CaseResult ConvertLongMessage(const Scratch&) {
    RecorderFolders folders;
    folders[0].push_back(SpokenMessage(kLongMessageMinutes * 60.0));
    const std::size_t blocks = folders[0][0].Blocks();
    FrameSession session(Unpaced(), folders);
    if (!session.Problem().empty()) return Failed(session.Problem());
    if (std::string problem = ConnectAndSelect(session, 1); !problem.empty()) {
        return Failed(problem);
    }
    // The first Play downloads (at the emulator's full speed) and converts; with its WAV gone
    // the second converts the downloaded message again, as Play on a downloaded message does.
    if (!DriveUntil([&session] { session.Frame().OnCommand(res::ID_PLAY); },
                    OpenedOrBox(session, 1), 300s) ||
        session.Opened().size() != 1) {
        return Failed("the download before it failed");
    }
    std::error_code error;
    const std::string wav = session.Opened()[0];
    if (!fs::remove(wav, error)) return Failed("could not remove " + wav);
    CaseResult result = Measure([&session] { session.Frame().OnCommand(res::ID_PLAY); },
                                OpenedOrBox(session, 2), 300s);
    NoteBoxes(session, result);
    const auto wavBytes = fs::file_size(wav, error);
    const double minutes = error ? 0 : static_cast<double>(wavBytes) / (8000.0 * 2 * 60);
    char detail[64];
    std::snprintf(detail, sizeof detail, "%zu blocks, %.1f min", blocks, minutes);
    result.detail = detail;
    return result;
}

bool MakeBigFolder(const Scratch& scratch) {
    const std::string folder = scratch.BigFolder() + "/";
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) return false;
    for (int i = 0; i < kFolderFiles; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "Message %05d.wav", (i * 7919) % kFolderFiles);
        const int fd = ::open((folder + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) return false;
        const bool written = ::write(fd, "RIFF", 4) == 4;
        ::close(fd);
        if (!written) return false;
    }
    return true;
}

CaseResult ShowBigFolder(const Scratch& scratch) {
    if (!MakeBigFolder(scratch)) return Failed("could not make " + scratch.BigFolder());
    FrameSession session(Unpaced(), RecorderFolders{});
    if (!session.Problem().empty()) return Failed(session.Problem());
    // The folder tree reopened the remembered folder, the scratch folder, at start.
    CLeftView& tree = *session.Frame().GetLeftView();
    QTreeWidgetItem* shown = tree.currentItem();
    if (!shown || tree.SelectedFolderPath() != scratch.root + "/") {
        return Failed("the folder tree did not open " + scratch.root);
    }
    QTreeWidgetItem* big = nullptr;
    for (int i = 0; i < shown->childCount(); ++i) {
        if (shown->child(i)->text(0) == QString::fromLatin1(kBigFolderName)) big = shown->child(i);
    }
    if (!big) return Failed("the big folder is not in the folder tree");
    const FileListModel& rows = *session.Frame().GetMidView()->Model();
    CaseResult result = Measure([&tree, big] { tree.setCurrentItem(big); },
                                [&rows] { return rows.rowCount() == kFolderFiles; }, 60s);
    NoteBoxes(session, result);
    return result;
}

// The longest stall of the idle event loop: what the machine's load alone costs a case.
double IdleStallMs() {
    Heartbeat heartbeat;
    heartbeat.Start();
    RunEventLoopFor(1s);
    heartbeat.Stop();
    return heartbeat.LongestStallMs();
}

struct Case {
    const char* name;  // as given on the command line
    std::string label;
    CaseResult (*run)(const Scratch&);
};

std::vector<Case> Cases() {
    return {
        {"connect", "Connect, " + std::to_string(kConnectMessages) + " messages (line rate)",
         ConnectWithManyMessages},
        {"silent", "Connect on a silent line", ConnectOnSilentLine},
        {"download", "Play: download at the line rate", DownloadAtLineRate},
        {"convert", "Play: conversion of a " + std::to_string(kLongMessageMinutes) + "-min message",
         ConvertLongMessage},
        {"files", "file list: a folder of " + std::to_string(kFolderFiles) + " files",
         ShowBigFolder},
    };
}

void PrintUsage() {
    std::printf(
        "usage: bench_ui_responsiveness [CASE...]\n"
        "  Drives the window, offscreen and against the recorder emulator, and prints the\n"
        "  longest stall of its event loop in each case (goal: at most %.0f ms). Cases, all by\n"
        "  default:",
        kGoalMs);
    for (const Case& c : Cases()) std::printf(" %s", c.name);
    std::printf("\n");
}

// Settings, cache and run-time folders of this run's own, before anything reads them; the
// folder tree starts at the scratch folder.
bool PrepareScratch(Scratch& scratch) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/bench-ui-XXXXXX";
    if (!::mkdtemp(pattern.data())) return false;
    scratch.root = pattern;
    const std::string config = scratch.root + "/config";
    std::error_code error;
    fs::create_directories(config + "/" + text::kProfileOrganisation, error);
    fs::create_directories(scratch.root + "/program", error);
    if (error) return false;
    std::ofstream settings(config + "/" + text::kProfileOrganisation + "/" + text::kAppName +
                           ".conf");
    settings << "[" << text::kSectionGlobal << "]\n"
             << text::kValueLeftPath << "=" << scratch.root << "/\n";
    if (!settings.flush()) return false;
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (scratch.root + "/cache").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", scratch.root.c_str(), 1);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<Case> chosen;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        bool known = false;
        for (const Case& c : Cases()) {
            if (arg == c.name) {
                chosen.push_back(c);
                known = true;
            }
        }
        if (!known) {
            PrintUsage();
            return arg == "--help" || arg == "-h" ? 0 : 2;
        }
    }
    if (chosen.empty()) chosen = Cases();

    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    Scratch scratch;
    if (!PrepareScratch(scratch)) {
        std::perror("bench_ui_responsiveness: the scratch folder");
        return 1;
    }
    int status = 0;
    {
        CManagerApp app(argc, argv);
        app.m_strProgramFolder = scratch.root + "/program";
        std::printf(
            "the window's longest event-loop stall (%d ms heartbeat), goal <= %.0f ms, and how "
            "many times a stall passed the goal:\n",
            Heartbeat::kIntervalMs, kGoalMs);
        std::printf("  %-60s %9.1f ms  (this machine's own noise)\n",
                    "the event loop idle for a second", IdleStallMs());
        for (const Case& c : chosen) {
            const CaseResult result = c.run(scratch);
            const std::string label =
                result.detail.empty() ? c.label : c.label + " (" + result.detail + ")";
            std::printf("  %-60s %9.1f ms  %-4s %5d times  took %6.1f s\n", label.c_str(),
                        result.stallMs, result.stallMs <= kGoalMs ? "ok" : "OVER",
                        result.stallsOverGoal, result.seconds);
            if (!result.problem.empty()) {
                std::printf("    FAILED: %s\n", result.problem.c_str());
                status = 1;
            }
            std::fflush(stdout);
        }
    }
    std::error_code error;
    fs::remove_all(scratch.root, error);
    return status;
}
