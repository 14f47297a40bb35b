// What a sync costs beside the line: the program's own processor time per 528-byte block,
// with the conversion and the encoding of each format included, against the 137.5 ms the block
// takes on the real line; and how many times faster than real time FLAC and Opus encode.
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

constexpr int kMessages = 4;
constexpr int kBlocks = 250;  // per message: a few minutes of speech each
constexpr int kRuns = 3;
constexpr double kLineMsPerBlock = 528.0 * 1000.0 / 3840.0;  // 137.5 ms at 38400 baud

struct Cost {
    double cpu = 1e9;
    double wall = 1e9;
};

// The best of kRuns syncs of every message into a fresh folder.
bool SyncCost(RecorderLink& link, MessageFiles& files, const fs::path& root, AudioFormat format,
              Cost& cost) {
    for (int run = 0; run < kRuns; ++run) {
        const fs::path folder = root / (std::string(AudioFormatName(format)) + std::to_string(run));
        fs::create_directories(root / "work");
        SyncRequest request;
        request.folder = folder.string();
        request.workingFolder = (root / "work").string() + "/";
        request.format = format;
        request.keepWorkingCopies = false;
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuSeconds();
        const SyncOutcome outcome = RunSync(link, files, request);
        if (!outcome || outcome.fetched != kMessages) {
            std::fprintf(stderr, "bench_sync: the sync failed (%s)\n", outcome.Detail().c_str());
            return false;
        }
        cost.cpu = std::min(cost.cpu, CpuSeconds() - cpuStart);
        cost.wall = std::min(
            cost.wall,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return true;
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
    if (recorder.Device().empty()) {
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
    if (!link.Initialise(recorder.Device()) || !link.Connect({})) {
        std::fprintf(stderr, "bench_sync: the emulator did not answer\n");
        return 1;
    }
    MessageFiles files(link, decoder);

    const int blocks = kMessages * kBlocks;
    std::printf("sync of %d messages of %d blocks (%d bytes), best of %d, emulator unpaced:\n",
                kMessages, kBlocks, blocks * 528, kRuns);
    std::printf("  %-6s %14s %16s %22s\n", "format", "wall per block", "program CPU/block",
                "share of the line time");
    for (const AudioFormat format : {AudioFormat::Wav, AudioFormat::Flac, AudioFormat::Vorbis,
                                     AudioFormat::Opus, AudioFormat::Mp3}) {
        Cost cost;
        if (!SyncCost(link, files, root, format, cost)) return 1;
        const double cpuMs = cost.cpu * 1000.0 / blocks;
        std::printf("  %-6s %11.3f ms %13.3f ms %19.3f %%%s\n", AudioFormatName(format),
                    cost.wall * 1000.0 / blocks, cpuMs, 100.0 * cpuMs / kLineMsPerBlock,
                    format == AudioFormat::Flac ? "   (goal < 0.5 %)" : "");
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
    fs::remove_all(root);
    return 0;
}
