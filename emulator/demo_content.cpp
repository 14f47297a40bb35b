#include <algorithm>
#include <chrono>
#include <ctime>
#include <utility>

#include "core/base/calendar_time.h"
#include "core/link/message_directory.h"
#include "emulator/recorder_emulator.h"
#include "emulator/seeded_random.h"

namespace emu {

namespace {

constexpr std::chrono::sys_days kDayZero{std::chrono::year{2001} / 1 / 1};

// Milliseconds of speech in one 528-byte block, by recorder variant and quality.
int BlockMilliseconds(int modeVariant, Quality quality) {
    const bool first = modeVariant == 1;
    switch (quality) {
        case Quality::MP:
            return first ? 652 : 587;
        case Quality::SP:
            return first ? 489 : 440;
        default:
            return first ? 1067 : 960;
    }
}

void PadToWholeBlocks(std::vector<std::uint8_t>& data) {
    const std::size_t blocks = (data.size() + kBlockSize - 1) / kBlockSize;
    data.resize(blocks * kBlockSize, 0xFF);
}

}  // namespace

std::uint16_t TodayValue() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    LocalCalendarTime(now, &local);
    const std::chrono::sys_days today{std::chrono::year{local.tm_year + 1900} /
                                      static_cast<unsigned>(local.tm_mon + 1) /
                                      static_cast<unsigned>(local.tm_mday)};
    const auto days = (today - kDayZero).count();
    return static_cast<std::uint16_t>(std::clamp<long>(days, 0, 0xFFFF));
}

std::string CheckOptions(const Options& options) {
    if (options.modeVariant != 1 && options.modeVariant != 2) {
        return "the recorder variant must be 1 or 2";
    }
    for (int count : options.counts) {
        if (count < 0 || count > kMaxMessages) return "a folder holds 0 to 100 messages";
    }
    if (options.today > 0xFFFF) return "the date lies beyond what the recorder can count";
    return {};
}

std::array<std::vector<StoredMessage>, 5> DemoContent(const Options& options, std::uint16_t today) {
    static constexpr Quality kQualities[] = {Quality::SP, Quality::MP, Quality::LP};
    SeededRandom random(options.seed);
    std::array<std::vector<StoredMessage>, 5> folders;
    int index = 0;
    for (int f = 0; f < kFolderCount; ++f) {
        const int count = std::clamp(options.counts[f], 0, kMaxMessages);
        // Recorded over the last two months, on waking hours, numbered oldest first.
        std::vector<std::pair<int, int>> stamps;
        for (int i = 0; i < count; ++i) {
            const int day = std::max(0, today - random.Between(0, 60));
            const int time = random.Between(7 * 1800, 21 * 1800 - 1);
            stamps.emplace_back(day, time);
        }
        std::sort(stamps.begin(), stamps.end());
        for (const auto& [day, time] : stamps) {
            StoredMessage message;
            message.quality = kQualities[(index + options.seed) % 3];
            message.dateValue = static_cast<std::uint16_t>(day);
            message.timeValue = static_cast<std::uint16_t>(time);
            if (options.voiceSource) {
                message.data = options.voiceSource(message.quality, index);
            } else {
                const int seconds = random.Between(4, 75);
                const int blocks = std::max(
                    1, seconds * 1000 / BlockMilliseconds(options.modeVariant, message.quality));
                message.data.resize(static_cast<std::size_t>(blocks) * kBlockSize);
                for (auto& byte : message.data) byte = random.Byte();
            }
            PadToWholeBlocks(message.data);
            folders[f].push_back(std::move(message));
            ++index;
        }
    }
    return folders;
}

RecorderModel NewRecorder(const Options& options) {
    const std::uint16_t today = options.today < 0
                                    ? TodayValue()
                                    : static_cast<std::uint16_t>(std::min(options.today, 0xFFFF));
    RecorderModel model;
    model.modeVariant = options.modeVariant;
    model.folders = DemoContent(options, today);
    return model;
}

}  // namespace emu
