#pragma once
#include <memory>

#include "core/link/recorder_link.h"
#include "tests/support/emulator_fixture.h"
#include "tests/support/test_owner.h"

using Category = Result::Category;

// A recorder emulator and a link opened on it, one per test, with an owner that records what
// the link's operations did.
class LinkOnEmulator : public EmulatorFixture {
protected:
    // SetUp opens with the default content unless a test clears this to change it first.
    bool openInSetUp = true;

    void SetUp() override {
        if (openInSetUp) Open();
    }

    void Open() {
        StartEmulator();
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

    std::unique_ptr<TestOwner> owner;
    std::unique_ptr<RecorderLink> link;
};
