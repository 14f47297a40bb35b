// The converter's own cost: ".Bin" bytes per second through the framing and the WAV writing,
// with a decoder that does next to nothing, so what is measured is ours alone. Compare the
// time per frame with the 20 ms of audio a frame holds and with the real decoder's time.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "convert/frame_decoding.h"
#include "convert/frame_table.h"
#include "convert/wav_converter.h"

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
        if (!result.ok()) state.SkipWithError(result.detail.c_str());
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

BENCHMARK_MAIN();
