// Any byte sequence as a ".Bin" stream: the conversion never reads or writes out of bounds,
// never hands the decoder a frame other than a whole coded frame or a silence repeat, writes
// exactly the blocks its look-ahead counted, and steps the progress at most 20 times.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/convert/frame_decoding.h"
#include "core/convert/frame_table.h"

namespace {

int g_decodes = 0;
int g_resets = 0;

int FuzzInit() {
    ++g_resets;
    return 0;
}

int FuzzDecode(short* pcm, const unsigned char* frame) {
    ++g_decodes;
    // A silence repeat is exactly 0xE0 0x00; anything else is a coded frame's header.
    if ((frame[0] & 0xE0) == 0xE0 && (frame[0] != 0xE0 || frame[1] != 0x00)) std::abort();
    unsigned sum = 0;
    for (int i = 0; i < kMaxFrameBytes; ++i) sum += frame[i];  // the whole buffer is readable
    for (int i = 0; i < kPcmBlockSamples; ++i) pcm[i] = static_cast<short>(sum + i);
    return 0;
}

class CountingProgress : public ProgressDisplay {
public:
    void SetRange(int, int, int) override {}
    void SetText(const std::string&) override {}
    int StepIt() override { return ++steps; }
    void PeekAndPump(bool) override {}
    bool CancelPressed() const override { return false; }
    void Hide() override {}
    int steps = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte picks a block limit, so the size guard is exercised too.
    if (size == 0) return 0;
    const std::uint64_t limit = data[0] < 0x80 ? 1000 : data[0] - 0x80;
    ++data;
    --size;

    MemorySource counter(data, size);
    const BlockCount planned = CountFrameBlocks(counter, size);
    if (!planned.readOk) std::abort();

    g_decodes = g_resets = 0;
    MemorySource source(data, size);
    CountingSink sink;
    CountingProgress progress;
    const ConvertResult result = DecodeFrameStream(
        source, size, sink, DecoderEntries{FuzzInit, FuzzDecode}, &progress, limit);

    if (g_resets != 1 || progress.steps > kConvertProgressSteps) std::abort();
    if (sink.Count() != result.blocks * kPcmBlockBytes) std::abort();
    if (static_cast<std::uint64_t>(g_decodes) != result.blocks) std::abort();
    if (result.IsOk() != (planned.blocks <= limit)) std::abort();
    if (result.IsOk() && result.blocks != planned.blocks) std::abort();
    if (!result.IsOk() && !result.Is(Result::Category::ConversionFailed)) std::abort();
    return 0;
}
