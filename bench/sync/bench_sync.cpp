// What a sync costs beside the line. First the program's own processor time per 528-byte
// block, with the conversion and the encoding of each format included, against the 137.5 ms
// the block takes on the real line (emulator unpaced). Then what the user waits for: the time
// a sync takes beyond the line's own time, with the emulator at the real line rate, per block.
// Last, how many times faster than real time FLAC and Opus encode.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "bench/link/cpu_seconds.h"
#include "bench/link/emulator_process.h"
#include "core/convert/decoder_library.h"
#include "core/convert/wav_header.h"
#include "core/encode/audio_encoder.h"
#include "core/link/recorder_link.h"
#include "core/messages/message_files.h"
#include "core/sync/sync_run.h"
#include "emulator/spoken_voice.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kMessages = 4;
constexpr int kBlocks = 250;  // per message: a few minutes of speech each
constexpr int kRuns = 3;
// At the real line rate: a few messages, each converted and saved while the next is on the
// line; only the last one's work comes after the line. Some seconds of line time each.
constexpr int kPacedMessages = 6;
constexpr int kPacedBlocks = 16;
constexpr double kLineMsPerBlock = 528.0 * 1000.0 / 3840.0;  // 137.5 ms at 38400 baud
constexpr AudioFormat kFormats[] = {AudioFormat::Wav, AudioFormat::Flac, AudioFormat::Vorbis,
                                    AudioFormat::Opus, AudioFormat::Mp3};

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Cost {
    double cpu = 1e9;
    double wall = 1e9;
};

// One sync of every message into folder, its working copies under root/work; connect: read
// the directory and headers as part of it.
bool SyncOnce(RecorderLink& link, MessageFiles& files, const fs::path& root, const fs::path& folder,
              AudioFormat format, bool connect, int messages) {
    fs::create_directories(root / "work");
    SyncRequest request;
    request.folder = folder.string();
    request.workingFolder = (root / "work").string() + "/";
    request.format = format;
    request.keepWorkingCopies = false;
    request.connect = connect;
    const SyncOutcome outcome = RunSync(link, files, request);
    if (!outcome || outcome.fetched != messages) {
        std::fprintf(stderr, "bench_sync: the sync failed (%s)\n", outcome.Detail().c_str());
        return false;
    }
    return true;
}

// The best of kRuns syncs of every message into a fresh folder.
bool SyncCost(RecorderLink& link, MessageFiles& files, const fs::path& root, AudioFormat format,
              Cost& cost) {
    for (int run = 0; run < kRuns; ++run) {
        const fs::path folder = root / (std::string(AudioFormatName(format)) + std::to_string(run));
        const auto start = Clock::now();
        const double cpuStart = CpuSeconds();
        if (!SyncOnce(link, files, root, folder, format, true, kMessages)) return false;
        cost.cpu = std::min(cost.cpu, CpuSeconds() - cpuStart);
        cost.wall = std::min(cost.wall, Since(start));
    }
    return true;
}

// Seconds the messages take on the line alone: each downloaded, and nothing else done.
double LineAlone(RecorderLink& link, const fs::path& root) {
    const fs::path work = root / "line";
    fs::create_directories(work);
    const auto start = Clock::now();
    for (int message = 1; message <= kPacedMessages; ++message) {
        if (!link.Download(0, message, work.string() + "/", {})) return 0;
    }
    const double seconds = Since(start);
    fs::remove_all(work);
    return seconds;
}

// Seconds of audio encoded per second of processor time, the best of kRuns.
double EncodingSpeed(const std::string& wav, AudioFormat format, const fs::path& root) {
    const double audio = static_cast<double>(fs::file_size(wav) - kWavHeaderBytes) / 2 / 8000;
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        StagedOutputFile out;
        if (!out.Create((root / (std::string("speed") + AudioFormatExtension(format))).string()))
            return 0;
        const double cpuStart = CpuSeconds();
        if (!EncodeRecording(wav, format, {}, out)) return 0;
        best = std::min(best, CpuSeconds() - cpuStart);
    }
    return audio / best;
}

}  // namespace

int main() {
    // Forked before anything starts a thread.
    EmulatorProcess recorder({kMessages, 0, 0, 0, 0}, kBlocks, emu::SpokenVoice());
    EmulatorProcess pacedRecorder({kPacedMessages, 0, 0, 0, 0}, kPacedBlocks, emu::SpokenVoice(),
                                  true);
    if (recorder.Device().empty() || pacedRecorder.Device().empty()) {
        std::fprintf(stderr, "bench_sync: the emulator did not start\n");
        return 1;
    }
    std::string root = (fs::temp_directory_path() / "sonoret-bench-sync-XXXXXX").string();
    if (!::mkdtemp(root.data())) return 1;
    DecoderLibrary decoder;
    if (decoder.Load() != DecoderLibrary::Status::Ready) {
        std::fprintf(stderr, "bench_sync: %s\n", decoder.Error().c_str());
        return 1;
    }
    RecorderLink link;
    RecorderLink pacedLink;
    if (!link.Initialise(recorder.Device()) || !link.Connect({}) ||
        !pacedLink.Initialise(pacedRecorder.Device()) || !pacedLink.Connect({})) {
        std::fprintf(stderr, "bench_sync: the emulator did not answer\n");
        return 1;
    }
    MessageFiles files(link, decoder);
    MessageFiles pacedFiles(pacedLink, decoder);

    const int blocks = kMessages * kBlocks;
    std::printf("sync of %d messages of %d blocks (%d bytes), best of %d, emulator unpaced:\n",
                kMessages, kBlocks, blocks * 528, kRuns);
    std::printf("  %-6s %14s %17s %22s\n", "format", "wall per block", "program CPU/block",
                "share of the line time");
    for (const AudioFormat format : kFormats) {
        Cost cost;
        if (!SyncCost(link, files, root, format, cost)) return 1;
        const double cpuMs = cost.cpu * 1000.0 / blocks;
        std::printf("  %-6s %11.3f ms %14.3f ms %20.3f %%\n", AudioFormatName(format),
                    cost.wall * 1000.0 / blocks, cpuMs, 100.0 * cpuMs / kLineMsPerBlock);
    }

    // The directory and headers are read before the clock starts: the connect is no part of
    // what is measured, on the line alone or in the sync.
    const int pacedBlocks = kPacedMessages * kPacedBlocks;
    const double line = LineAlone(pacedLink, root);
    if (line <= 0) {
        std::fprintf(stderr, "bench_sync: the line alone failed\n");
        return 1;
    }
    std::printf("sync of %d messages of %d blocks at the real line rate, connect excluded:\n",
                kPacedMessages, kPacedBlocks);
    std::printf("  the line alone  %8.2f s (%.2f s of blocks at 3840 bytes/s)\n", line,
                pacedBlocks * kLineMsPerBlock / 1000.0);
    std::printf("  %-6s %9s %22s %22s\n", "format", "sync", "beyond the line/block",
                "share of the line time");
    for (const AudioFormat format : kFormats) {
        const fs::path folder = fs::path(root) / (std::string("paced-") + AudioFormatName(format));
        const auto start = Clock::now();
        if (!SyncOnce(pacedLink, pacedFiles, root, folder, format, false, kPacedMessages)) return 1;
        const double seconds = Since(start);
        const double beyondMs = (seconds - line) * 1000.0 / pacedBlocks;
        std::printf("  %-6s %7.2f s %19.3f ms %20.3f %%   (goal < 0.5 %%)\n",
                    AudioFormatName(format), seconds, beyondMs, 100.0 * beyondMs / kLineMsPerBlock);
    }

    // The WAV of one message encoded on its own.
    fs::path wav;
    for (const auto& entry : fs::directory_iterator(fs::path(root) / "wav0")) {
        if (entry.path().extension() == ".wav") wav = entry.path();
    }
    std::printf("encoding one message (%.0f s of voice) on one core:\n",
                static_cast<double>(fs::file_size(wav) - kWavHeaderBytes) / 2 / 8000);
    for (const AudioFormat format : {AudioFormat::Flac, AudioFormat::Opus}) {
        const double speed = EncodingSpeed(wav.string(), format, root);
        std::printf("  %-6s %8.0f x real time   (goal >= 200 x)\n", AudioFormatName(format), speed);
    }
    link.SetMode(0);
    pacedLink.SetMode(0);
    fs::remove_all(root);
    return 0;
}
