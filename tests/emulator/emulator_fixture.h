#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "emulator/recorder_emulator.h"
#include "pty_client.h"

inline constexpr int kTestDay = 9000;  // a fixed "today" keeps the content the same every run

inline emu::Options TestOptions() {
    emu::Options options;
    options.today = kTestDay;
    return options;
}

// A running emulator with the default content and a client on its device.
class EmulatorTest : public ::testing::Test {
protected:
    void SetUp() override { StartWith(TestOptions()); }

    void StartWith(const emu::Options& options) {
        client.reset();
        emulator = std::make_unique<emu::RecorderEmulator>(options);
        std::string error;
        ASSERT_TRUE(emulator->Start(&error)) << error;
        client = std::make_unique<PtyClient>(emulator->DevicePath());
        ASSERT_TRUE(client->IsOpen());
    }

    emu::StoredMessage Stored(int f, int m) {
        emu::StoredMessage copy;
        emulator->WithModel([&](emu::RecorderModel& model) { copy = *model.Find(f, m); });
        return copy;
    }

    // Waits until the emulator has heard `count` bytes in all; it acts on them at once.
    bool WaitForBytes(std::size_t count) {
        return emulator->WaitForBytes(count, std::chrono::seconds(3));
    }

    std::unique_ptr<emu::RecorderEmulator> emulator;
    std::unique_ptr<PtyClient> client;
};
