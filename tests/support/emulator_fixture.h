#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "emulator/recorder_emulator.h"
#include "tests/support/pty_peer.h"
#include "tests/support/request_frames.h"

// A recorder emulator on a pseudo-terminal of its own, one per test, and what a test asks of
// it: the requests it heard, its faults and the messages it holds.
class EmulatorFixture : public ::testing::Test {
protected:
    using Bytes = std::vector<std::uint8_t>;
    using Frame = emu::Frame;

    // Content for the emulator; a test changes it before (re)starting the emulator.
    emu::Options options;

    // A new emulator with the options, in place of any earlier one.
    void StartEmulator() {
        emulator.reset();
        emulator = std::make_unique<emu::RecorderEmulator>(options);
        std::string error;
        ASSERT_TRUE(emulator->Start(&error)) << error;
    }

    std::vector<emu::Frame> Frames() const { return emulator->ReceivedFrames(); }
    Bytes Wire() const { return emulator->ReceivedBytes(); }
    // Waits until the emulator has heard count bytes in all; it acts on them at once.
    bool WaitForBytes(std::size_t count) {
        return emulator->WaitForBytes(count, std::chrono::seconds(3));
    }
    void SetFaults(const std::function<void(emu::FaultSwitches&)>& change) {
        emu::FaultSwitches faults;
        change(faults);
        emulator->SetFaults(faults);
    }
    // A copy of what the recorder holds as message (1..n) of folder (0..4); an empty one when
    // there is none.
    emu::StoredMessage Stored(int folder, int message) {
        emu::StoredMessage copy;
        emulator->WithModel([&](emu::RecorderModel& model) {
            if (const auto* found = model.Find(folder, message)) copy = *found;
        });
        return copy;
    }

    std::unique_ptr<emu::RecorderEmulator> emulator;
};

// A fixed "today" keeps the emulator's content the same every run.
inline constexpr int kTestDay = 9000;

inline emu::Options TestOptions() {
    emu::Options testOptions;
    testOptions.today = kTestDay;
    return testOptions;
}

// The emulator with the test content and a client on its device that the test drives byte by
// byte.
class EmulatorWithClient : public EmulatorFixture {
protected:
    void SetUp() override { StartWith(TestOptions()); }

    void StartWith(const emu::Options& startOptions) {
        client.reset();
        options = startOptions;
        StartEmulator();
        client = std::make_unique<PtyPeer>(emulator->DevicePath());
        ASSERT_TRUE(client->IsOpen());
    }

    std::unique_ptr<PtyPeer> client;
};
