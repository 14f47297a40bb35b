#pragma once
#include <array>
#include <cstdint>

#include "core/base/byte_stream.h"
#include "core/convert/frame_table.h"

// Walks the frames of a ".Bin" byte stream of a known total length. The frame buffer lives as
// long as the reader and is never cleared: a silence run only rewrites its first two bytes,
// so the bytes behind them are what the previous frame left there, as the decoder expects.
class FrameReader {
public:
    enum class Item {
        Frame,       // a coded frame, whole, in FrameBytes()
        SilenceRun,  // Repeats() blocks of silence; FrameBytes() starts with 0xE0 0x00
        CutShort,    // the last frame is incomplete: it is dropped and the stream ends
        End,         // all bytes consumed
        ReadFailed,  // the source failed or ended before the total length
    };

    FrameReader(ByteSource& source, std::uint64_t total) : m_source(source), m_remaining(total) {}

    Item Next();

    const std::uint8_t* FrameBytes() const { return m_frame.data(); }
    int Length() const { return m_length; }                // of the last item, in the stream
    int Repeats() const { return m_repeats; }              // of the last silence run, 0 for filler
    std::uint64_t Consumed() const { return m_consumed; }  // includes a dropped frame's length

private:
    bool ReadExactly(std::uint8_t* data, std::size_t size);

    ByteSource& m_source;
    std::uint64_t m_remaining;
    std::uint64_t m_consumed = 0;
    std::array<std::uint8_t, kMaxFrameBytes> m_frame{};
    int m_length = 0;
    int m_repeats = 0;
    bool m_failed = false;
};
