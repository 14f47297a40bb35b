#include <algorithm>

#include "core/link/message_directory.h"
#include "emulator/recorder_emulator.h"
#include "emulator/request_frames.h"

namespace emu {

static_assert(kBlockSize == kDirectoryBlockSize);
static_assert(kHeaderSize == kHeaderBlockSize);

namespace {

constexpr int kSecondsPerDayInSteps = 43200;  // the clock counts two-second steps
constexpr int kCapacityBlocks = 30000;        // about three and a half hours of SP

void AppendLe16(std::vector<std::uint8_t>& out, std::size_t at, int value) {
    out[at] = static_cast<std::uint8_t>(value & 0xFF);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8 & 0xFF);
}

}  // namespace

const StoredMessage* RecorderModel::Find(int folder, int message) const {
    if (folder < 0 || folder >= kFolderCount) return nullptr;
    const auto& messages = folders[folder];
    if (message < 1 || message > static_cast<int>(messages.size())) return nullptr;
    return &messages[message - 1];
}

std::array<std::uint8_t, kBlockSize> RecorderModel::DirectoryBlock() const {
    std::array<std::uint8_t, kBlockSize> block;
    block.fill(0xFF);
    block[0] = kDirectoryValidMarker;
    int used = 0;
    for (const auto& folder : folders) {
        for (const auto& message : folder) used += message.Blocks();
    }
    used = std::min(used, kCapacityBlocks);
    // Bytes 1..6: memory in use and free, then the folder count; the program reads none of it.
    block[1] = static_cast<std::uint8_t>(used & 0xFF);
    block[2] = static_cast<std::uint8_t>(used >> 8);
    block[3] = static_cast<std::uint8_t>((kCapacityBlocks - used) & 0xFF);
    block[4] = static_cast<std::uint8_t>((kCapacityBlocks - used) >> 8);
    block[5] = kFolderCount;
    block[6] = 0x00;
    for (int f = 0; f < kFolderCount; ++f) {
        block[7 + f] = static_cast<std::uint8_t>(std::min<std::size_t>(folders[f].size(), 0xFF));
    }
    return block;
}

Reply RecorderModel::Answer(const Frame& frame) {
    const auto command = Recognise(frame);
    if (!command) return {};
    Reply reply;
    // Every status frame echoes the request unless the command says otherwise.
    reply.bytes.assign(frame.begin(), frame.end());
    const int folder = frame[2];
    const int message = frame[3];
    const int value = frame[2] | frame[3] << 8;

    switch (*command) {
        case Command::ModeOn:
            modeOn = true;
            reply.bytes = {kFrameStart, 0xAA, static_cast<std::uint8_t>(modeVariant), 0x00};
            break;
        case Command::ModeOff:
            modeOn = false;
            break;
        case Command::Directory: {
            const auto block = DirectoryBlock();
            reply.bytes.insert(reply.bytes.end(), block.begin(), block.end());
            break;
        }
        case Command::Header: {
            std::array<std::uint8_t, kHeaderSize> header{};
            if (const StoredMessage* stored = Find(folder, message)) header = stored->HeaderBlock();
            reply.bytes.insert(reply.bytes.end(), header.begin(), header.end());
            break;
        }
        case Command::Delete:
            if (Find(folder, message)) {
                auto& messages = folders[folder];
                messages.erase(messages.begin() + (message - 1));
            }
            break;
        case Command::SetTime:
            // A value past midnight is no time of day; the clock keeps what it had.
            if (value < kSecondsPerDayInSteps) clockTime = static_cast<std::uint16_t>(value);
            break;
        case Command::SetDate:
            clockDate = static_cast<std::uint16_t>(value);
            break;
        case Command::Download: {
            reply.transfer = true;
            const StoredMessage* stored = Find(folder, message);
            const int blocks = stored ? stored->Blocks() : 0;
            AppendLe16(reply.bytes, 2, blocks);
            if (stored) {
                const std::size_t size = static_cast<std::size_t>(blocks) * kBlockSize;
                const std::size_t take = std::min(size, stored->data.size());
                reply.bytes.reserve(kStatusSize + size);
                reply.bytes.insert(reply.bytes.end(), stored->data.begin(),
                                   stored->data.begin() + static_cast<std::ptrdiff_t>(take));
                reply.bytes.resize(kStatusSize + size, 0xFF);
            }
            break;
        }
    }
    return reply;
}

}  // namespace emu
