#include "core/convert/frame_decoding.h"

#include <bit>
#include <cstring>

#include "core/convert/frame_reader.h"

namespace {

// The decoder fills native shorts; a WAV file holds little-endian ones.
const std::uint8_t* LittleEndianBlock(const short* pcm, std::uint8_t* scratch) {
    if constexpr (std::endian::native == std::endian::little) {
        return reinterpret_cast<const std::uint8_t*>(pcm);
    } else {
        for (int i = 0; i < kPcmBlockSamples; ++i) {
            const auto v = static_cast<std::uint16_t>(pcm[i]);
            const auto at = 2 * static_cast<std::size_t>(i);
            scratch[at] = static_cast<std::uint8_t>(v);
            scratch[at + 1] = static_cast<std::uint8_t>(v >> 8);
        }
        return scratch;
    }
}

std::string ReadFailure(const ByteSource& source) {
    const std::string why = source.Error();
    return why.empty() ? "the file became shorter while it was read" : why;
}

}  // namespace

BlockCount CountFrameBlocks(ByteSource& source, std::uint64_t total) {
    FrameReader reader(source, total);
    BlockCount count;
    for (;;) {
        switch (reader.Next()) {
            case FrameReader::Item::Frame:
                ++count.blocks;
                break;
            case FrameReader::Item::SilenceRun:
                count.blocks += static_cast<std::uint64_t>(reader.Repeats());
                break;
            case FrameReader::Item::ReadFailed:
                count.readOk = false;
                return count;
            case FrameReader::Item::CutShort:
            case FrameReader::Item::End:
                return count;
        }
    }
}

ConvertResult DecodeFrameStream(ByteSource& source, std::uint64_t total, ByteSink& sink,
                                const DecoderEntries& decoder, ProgressDisplay* progress,
                                std::uint64_t maxBlocks, const std::function<bool()>& interrupted) {
    ConvertResult result;
    auto fail = [&result](Result::Category category, std::string detail) {
        return ConvertResult(Result(category, std::move(detail)), result.blocks);
    };
    if (!decoder.IsReady()) return fail(Result::Category::DecoderMissing, kDecoderMissingDetail);

    // One output buffer for the whole conversion, never cleared between calls: the decoder
    // is expected to fill all of it every time.
    short pcm[kPcmBlockSamples] = {};
    std::uint8_t scratch[kPcmBlockBytes];
    int steps = 0;
    unsigned items = 0;

    decoder.init();
    FrameReader reader(source, total);
    for (;;) {
        const FrameReader::Item item = reader.Next();
        if (item == FrameReader::Item::End) break;
        if (interrupted && items++ % 64 == 0 && interrupted()) {
            return fail(Result::Category::Cancelled, {});
        }
        if (item == FrameReader::Item::ReadFailed) {
            return fail(Result::Category::FileNotRead, ReadFailure(source));
        }

        const std::uint64_t blocks = item == FrameReader::Item::Frame ? 1
                                     : item == FrameReader::Item::SilenceRun
                                         ? static_cast<std::uint64_t>(reader.Repeats())
                                         : 0;
        if (blocks > maxBlocks - result.blocks) {
            return fail(Result::Category::ConversionFailed, kTooLongDetail);
        }
        for (std::uint64_t i = 0; i < blocks; ++i) {
            decoder.decode(pcm, reader.FrameBytes());
            if (!sink.Write(LittleEndianBlock(pcm, scratch), kPcmBlockBytes)) {
                return fail(Result::Category::FileNotWritten, sink.Error());
            }
            ++result.blocks;
        }

        // Integer division: the bar moves by at most one step per frame and at most
        // kConvertProgressSteps in all (a dropped last frame counts as consumed).
        const std::uint64_t due = reader.Consumed() * kConvertProgressSteps / total;
        if (due != static_cast<std::uint64_t>(steps)) {
            if (progress) {
                progress->StepIt();
                progress->PeekAndPump(true);
            }
            ++steps;
        }
        if (item == FrameReader::Item::CutShort) break;
    }
    return result;
}
