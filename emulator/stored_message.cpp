#include <algorithm>

#include "emulator/recorder_emulator.h"

namespace emu {

std::uint16_t StoredMessage::Blocks() const {
    const std::size_t blocks = (data.size() + kBlockSize - 1) / kBlockSize;
    return static_cast<std::uint16_t>(std::min<std::size_t>(blocks, 0xFFFF));
}

std::array<std::uint8_t, 32> StoredMessage::HeaderBlock() const {
    std::array<std::uint8_t, 32> block;
    // What the recorder keeps beyond the ten bytes the program reads is erased flash.
    block.fill(0xFF);
    block[0] = 0x01;  // slot in use
    // Bit 7 is a flag of the recorder's own; the program must look at bits 5 and 6 only.
    block[1] = static_cast<std::uint8_t>(0x80 | static_cast<int>(quality) << 5);
    block[2] = 0x00;
    block[3] = 0x00;
    const std::uint16_t length = Blocks();
    block[4] = static_cast<std::uint8_t>(length & 0xFF);
    block[5] = static_cast<std::uint8_t>(length >> 8);
    block[6] = static_cast<std::uint8_t>(timeValue & 0xFF);
    block[7] = static_cast<std::uint8_t>(timeValue >> 8);
    block[8] = static_cast<std::uint8_t>(dateValue & 0xFF);
    block[9] = static_cast<std::uint8_t>(dateValue >> 8);
    return block;
}

}  // namespace emu
