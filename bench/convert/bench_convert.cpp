// The converter's own cost: ".Bin" bytes per second through the framing and the WAV writing,
// with a decoder that does next to nothing, so what is measured is ours alone. Compare the
// time per frame with the 20 ms of audio a frame holds and with the real decoder's time.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/convert/frame_decoding.h"
#include "core/convert/frame_reader.h"
#include "core/convert/frame_table.h"
#include "core/convert/wav_converter.h"
#ifdef SONORET_BENCH_WITH_CODEC
#include "vocodec/speech_messages.h"
#endif

namespace {

int TrivialInit() {
    return 0;
}

int TrivialDecode(short* pcm, const unsigned char* frame) {
    pcm[0] = frame[0];
    pcm[159] = frame[1];
    return 0;
}

const DecoderEntries kTrivial{TrivialInit, TrivialDecode};

// About a megabyte of frames of one length, with a short silence run every 50 frames, as a
// recorder writes speech with pauses.
std::vector<std::uint8_t> Message(std::uint8_t header, int length, std::size_t bytes,
                                  std::size_t* frames) {
    std::vector<std::uint8_t> bin;
    *frames = 0;
    while (bin.size() + static_cast<std::size_t>(length) <= bytes) {
        if (*frames % 50 == 49) {
            bin.insert(bin.end(), {0xE0, 0x03});
            *frames += 3;
            continue;
        }
        bin.push_back(header);
        for (int i = 1; i < length; ++i) bin.push_back(static_cast<std::uint8_t>(*frames + i));
        ++*frames;
    }
    return bin;
}

void Report(benchmark::State& state, std::size_t binBytes, std::size_t frames) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * binBytes));
    state.counters["ns_per_frame"] =
        benchmark::Counter(static_cast<double>(state.iterations() * frames),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    // 20 ms of audio per frame: how many times faster than real time the converter alone is.
    state.counters["x_realtime"] = benchmark::Counter(
        static_cast<double>(state.iterations() * frames) * 0.020, benchmark::Counter::kIsRate);
}

// Framing and block handling only, memory to memory.
void BM_FrameStream(benchmark::State& state) {
    std::size_t frames = 0;
    const auto bin =
        Message(static_cast<std::uint8_t>(state.range(0)),
                FrameLength(static_cast<std::uint8_t>(state.range(0))), 1 << 20, &frames);
    for (auto _ : state) {
        MemorySource source(bin.data(), bin.size());
        CountingSink sink;
        const ConvertResult result =
            DecodeFrameStream(source, bin.size(), sink, kTrivial, nullptr, ~0ull);
        benchmark::DoNotOptimize(result.blocks);
    }
    Report(state, bin.size(), frames);
}

// The whole conversion, file to file: buffered reading, the look-ahead, staged writing,
// header, sync and rename.
void BM_FileToFile(benchmark::State& state) {
    std::size_t frames = 0;
    const auto bin =
        Message(static_cast<std::uint8_t>(state.range(0)),
                FrameLength(static_cast<std::uint8_t>(state.range(0))), 1 << 20, &frames);
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/";
    const std::string stem = folder + "bench_convert_" + std::to_string(::getpid());
    const std::string binPath = stem + ".Bin", wavPath = stem + ".wav";
    if (FILE* f = std::fopen(binPath.c_str(), "wb")) {
        std::fwrite(bin.data(), 1, bin.size(), f);
        std::fclose(f);
    }
    for (auto _ : state) {
        const ConvertResult result = ConvertBinToWav(binPath, wavPath, 2, kTrivial, nullptr);
        if (!result) state.SkipWithError(result.Detail().c_str());
    }
    Report(state, bin.size(), frames);
    std::remove(binPath.c_str());
    std::remove(wavPath.c_str());
}

}  // namespace

// SP, MP, LP frames and comfort-noise frames.
BENCHMARK(BM_FrameStream)
    ->Arg(0x80)
    ->Arg(0x40)
    ->Arg(0x00)
    ->Arg(0xC0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FileToFile)->Arg(0x80)->Arg(0x00)->UseRealTime()->Unit(benchmark::kMillisecond);

#ifdef SONORET_BENCH_WITH_CODEC
namespace {

double SpeechSeconds() {
    double samples = 0;
    for (int clip = 0; clip < vocodec::SpeechClipCount(); ++clip) {
        samples += static_cast<double>(vocodec::SpeechClip(clip).size());
    }
    return samples / 8000.0;
}

// Our voice codec's decoder behind the converter, as the program runs it, beside the same
// frames decoded by calling the library directly: the difference is the converter's share.
void OverheadBesideTheRealDecoder() {
    DecoderLibrary library;
    if (library.Load() != DecoderLibrary::Status::Ready) {
        std::printf("real decoder: not available (%s)\n", library.Error().c_str());
        return;
    }
    const DecoderEntries entries = DecoderEntries::From(library);
    const char* tmp = std::getenv("TMPDIR");
    const std::string stem = std::string(tmp && *tmp ? tmp : "/tmp") + "/bench_convert_codec_" +
                             std::to_string(::getpid());
    // framing: the converter's own work beside decoding, memory to memory.
    // file I/O: opening, reading, writing, syncing and renaming, per conversion.
    std::printf("\nthe real decoder behind the converter (%.1f s of speech, best of 5)\n",
                SpeechSeconds());
    std::printf("%-8s %14s %16s %14s %16s\n", "quality", "decode x RT", "framing overhead",
                "file x RT", "file I/O");
    for (int quality : {3, 2, 1}) {
        std::vector<std::uint8_t> bin;
        for (int clip = 0; clip < vocodec::SpeechClipCount(); ++clip) {
            const auto m = vocodec::SpeechMessage(quality, clip);
            bin.insert(bin.end(), m.begin(), m.end());
        }
        // The frames as the converter hands them over, decoded straight through.
        std::vector<std::vector<std::uint8_t>> frames;
        {
            MemorySource source(bin.data(), bin.size());
            FrameReader reader(source, bin.size());
            for (FrameReader::Item item; (item = reader.Next()) == FrameReader::Item::Frame ||
                                         item == FrameReader::Item::SilenceRun;) {
                const int n = item == FrameReader::Item::Frame ? 1 : reader.Repeats();
                for (int i = 0; i < n; ++i) {
                    frames.emplace_back(reader.FrameBytes(), reader.FrameBytes() + kMaxFrameBytes);
                }
            }
        }
        const std::string binPath = stem + ".Bin", wavPath = stem + ".wav";
        if (FILE* f = std::fopen(binPath.c_str(), "wb")) {
            std::fwrite(bin.data(), 1, bin.size(), f);
            std::fclose(f);
        }
        using Clock = std::chrono::steady_clock;
        auto seconds = [](Clock::time_point start) {
            return std::chrono::duration<double>(Clock::now() - start).count();
        };
        double decodeSeconds = 1e9, memorySeconds = 1e9, fileSeconds = 1e9;
        for (int round = 0; round < 5; ++round) {
            short pcm[kPcmBlockSamples] = {};
            auto start = Clock::now();
            entries.init();
            for (const auto& frame : frames) entries.decode(pcm, frame.data());
            benchmark::DoNotOptimize(pcm);
            decodeSeconds = std::min(decodeSeconds, seconds(start));

            start = Clock::now();
            MemorySource source(bin.data(), bin.size());
            CountingSink sink;
            DecodeFrameStream(source, bin.size(), sink, entries, nullptr, ~0ull);
            memorySeconds = std::min(memorySeconds, seconds(start));

            start = Clock::now();
            ConvertBinToWav(binPath, wavPath, 2, entries, nullptr);
            fileSeconds = std::min(fileSeconds, seconds(start));
        }
        const double audioSeconds = static_cast<double>(frames.size()) * 0.020;
        std::printf("%-8s %14.0f %15.1f%% %14.0f %13.1f ms\n",
                    quality == 3   ? "SP"
                    : quality == 2 ? "MP"
                                   : "LP",
                    audioSeconds / decodeSeconds,
                    100.0 * std::max(0.0, memorySeconds - decodeSeconds) / decodeSeconds,
                    audioSeconds / fileSeconds, 1e3 * (fileSeconds - memorySeconds));
        std::remove(binPath.c_str());
        std::remove(wavPath.c_str());
    }
}

}  // namespace
#endif

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
#ifdef SONORET_BENCH_WITH_CODEC
    OverheadBesideTheRealDecoder();
#endif
    return 0;
}
