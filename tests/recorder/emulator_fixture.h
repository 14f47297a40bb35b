#pragma once
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "core/link/recorder_link.h"
#include "emulator/recorder_emulator.h"
#include "tests/recorder/test_owner.h"

using Frame = std::array<std::uint8_t, 4>;
using Bytes = std::vector<std::uint8_t>;
using Category = Result::Category;

inline constexpr Frame kModeOn{0xAA, 0xAA, 0xAA, 0x55};
inline constexpr Frame kModeOff{0xAA, 0xAA, 0x00, 0xFF};
inline constexpr Frame kDirectory{0xAA, 0xBD, 0x00, 0x00};
inline Frame HeaderFrame(int f, int m) {
    return {0xAA, 0xB1, static_cast<std::uint8_t>(f), static_cast<std::uint8_t>(m)};
}
inline Frame DownloadFrame(int f, int m) {
    return {0xAA, 0xBF, static_cast<std::uint8_t>(f), static_cast<std::uint8_t>(m)};
}

// A recorder emulator on a pseudo-terminal and a link opened on it, one per test.
class LinkOnEmulator : public ::testing::Test {
protected:
    // Content for the emulator; tests change it before calling Open (SetUp opens with the
    // defaults unless openInSetUp is false).
    emu::Options options;
    bool openInSetUp = true;

    void SetUp() override {
        if (openInSetUp) Open();
    }

    void Open() {
        emulator = std::make_unique<emu::RecorderEmulator>(options);
        std::string error;
        ASSERT_TRUE(emulator->Start(&error)) << error;
        owner = std::make_unique<TestOwner>();
        link = std::make_unique<RecorderLink>();
        const Result opened = link->Initialise(emulator->DevicePath());
        ASSERT_TRUE(opened) << opened;
    }

    // The recorder's silence and cut replies cost a test a moment instead of three seconds a
    // reply. Long enough for every reply the emulator does send to come whole.
    void QuickReplies() { link->Channel().SetReplyTimeout(kQuickReplyMs); }
    static constexpr int kQuickReplyMs = 500;

    void TearDown() override {
        link.reset();  // before the owner its completions go to
        owner.reset();
        emulator.reset();
    }

    std::vector<Frame> Frames() const { return emulator->ReceivedFrames(); }
    Bytes Wire() const { return emulator->ReceivedBytes(); }
    void SetFaults(const std::function<void(emu::FaultSwitches&)>& change) {
        emu::FaultSwitches faults;
        change(faults);
        emulator->SetFaults(faults);
    }
    // A copy of what the recorder holds as message (1..n) of folder (0..4).
    emu::StoredMessage Stored(int folder, int message) {
        emu::StoredMessage copy;
        emulator->WithModel([&](emu::RecorderModel& model) {
            if (const auto* found = model.Find(folder, message)) copy = *found;
        });
        return copy;
    }

    std::unique_ptr<emu::RecorderEmulator> emulator;
    std::unique_ptr<TestOwner> owner;
    std::unique_ptr<RecorderLink> link;
};
