// The connect sequence: directory attempts, every header under the "Connect" progress, cancel.
#include "core/res/strings.h"
#include "tests/support/link_fixture.h"

namespace {

class ConnectTest : public LinkOnEmulator {
protected:
    ConnectTest() { openInSetUp = false; }
    void OpenWith(std::array<int, 5> counts) {
        options.counts = counts;
        Open();
    }
    std::vector<Frame> HeaderFrames() const {
        std::vector<Frame> headers;
        for (const auto& f : Frames()) {
            if (f[1] == 0xB1) headers.push_back(f);
        }
        return headers;
    }
};

TEST_F(ConnectTest, ReadsEveryHeaderInFolderOrderUnderTheProgress) {
    OpenWith({3, 0, 0, 0, 2});
    link->Directory().Entry(0, 1).downloaded = 1;  // from before: a connect starts afresh
    link->Directory().Entry(2, 5).converted = 1;
    ASSERT_TRUE(link->Connect(owner->Progress()));

    EXPECT_EQ(Frames(),
              (std::vector<Frame>{frames::kModeOn, frames::kDirectory, frames::Header(0, 1),
                                  frames::Header(0, 2), frames::Header(0, 3), frames::Header(4, 1),
                                  frames::Header(4, 2)}));
    const ProgressLog& p = *owner->progress;
    EXPECT_EQ(p.captions, (std::vector<std::string>{text::kConnectCaption}));
    EXPECT_EQ(p.texts, (std::vector<std::string>{text::kConnectText}));
    EXPECT_EQ(p.lower, 0);
    EXPECT_EQ(p.upper, 5);
    EXPECT_EQ(p.step, 1);
    EXPECT_EQ(p.steps, 5);
    EXPECT_EQ(p.hides, 1);
    EXPECT_EQ(p.destroyed, 1);
    for (int m = 1; m <= 3; ++m) EXPECT_EQ(link->Directory().Entry(0, m).loaded, 1);
    EXPECT_EQ(link->Directory().Entry(0, 1).downloaded, 0);
    EXPECT_EQ(link->Directory().Entry(2, 5).converted, 0);
    const auto block = Stored(4, 2).HeaderBlock();
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + 10,
                           link->Directory().Entry(4, 2).header.bytes.begin()));
    EXPECT_FALSE(link->IsBusy());
}

TEST_F(ConnectTest, AnEmptyRecorderStillShowsAndClosesTheProgress) {
    OpenWith({0, 0, 0, 0, 0});
    ASSERT_TRUE(link->Connect(owner->Progress()));
    EXPECT_TRUE(HeaderFrames().empty());
    EXPECT_EQ(owner->progress->upper, 0);
    EXPECT_EQ(owner->progress->hides, 1);
    EXPECT_EQ(owner->progress->destroyed, 1);
}

TEST_F(ConnectTest, TriesTheDirectoryThreeTimesAgainstTheMarker) {
    OpenWith({1, 0, 0, 0, 0});
    SetFaults([](emu::FaultSwitches& f) { f.badMarkerReads = 2; });
    ASSERT_TRUE(link->Connect(owner->Progress()));
    EXPECT_EQ(Frames(), (std::vector<Frame>{frames::kModeOn, frames::kDirectory, frames::kModeOn,
                                            frames::kDirectory, frames::kModeOn, frames::kDirectory,
                                            frames::Header(0, 1)}));
}

TEST_F(ConnectTest, GivesUpAfterThreeBadMarkers) {
    OpenWith({1, 0, 0, 0, 0});
    SetFaults([](emu::FaultSwitches& f) { f.badMarkerReads = 5; });
    EXPECT_TRUE(link->Connect(owner->Progress()).Is(Category::ReplyWrong));
    EXPECT_EQ(Frames(),
              (std::vector<Frame>{frames::kModeOn, frames::kDirectory, frames::kModeOn,
                                  frames::kDirectory, frames::kModeOn, frames::kDirectory}));
    EXPECT_TRUE(owner->progress->captions.empty());  // no progress before the directory
}

TEST_F(ConnectTest, CancelAfterAHeaderKeepsItLoadedAndStops) {
    OpenWith({0, 6, 0, 0, 0});
    owner->cancelAfterSteps = 4;
    EXPECT_TRUE(link->Connect(owner->Progress()).Is(Category::Cancelled));
    EXPECT_EQ(link->Directory().Entry(1, 4).loaded, 1);
    EXPECT_EQ(link->Directory().Entry(1, 5).loaded, 0);
    EXPECT_EQ(HeaderFrames().back(), frames::Header(1, 4));
    EXPECT_EQ(owner->progress->destroyed, 1);
    EXPECT_FALSE(link->IsBusy());
}

TEST_F(ConnectTest, AHeaderThatDoesNotComeEndsTheConnectAsAFailure) {
    OpenWith({4, 0, 0, 0, 0});
    // Mode on, directory, the first headers; then the device is gone.
    SetFaults([](emu::FaultSwitches& f) { f.disappearAfterFrames = 4; });
    EXPECT_TRUE(link->Connect(owner->Progress()).Is(Category::LineSilent));
    EXPECT_EQ(link->Directory().Entry(0, 1).loaded, 1);
    EXPECT_EQ(link->Directory().Entry(0, 3).loaded, 0);
    EXPECT_EQ(link->Directory().Count(0), 4);  // the directory read stays
}

TEST_F(ConnectTest, CommandsFromTheProgressPumpAreRefusedWithoutTouchingTheLine) {
    OpenWith({3, 0, 0, 0, 0});
    std::vector<Category> results;
    owner->onStep = [&](RecordingProgress&) {
        results.push_back(link->SetTime(1, 1).GetCategory());
        results.push_back(link->ReadDirectory().GetCategory());
        results.push_back(link->DeleteMessage(0, 1).GetCategory());
        results.push_back(link->Connect(owner->Progress()).GetCategory());
    };
    ASSERT_TRUE(link->Connect(owner->Progress()));
    EXPECT_EQ(results, std::vector<Category>(12, Category::Busy));
    EXPECT_EQ(HeaderFrames().size(), 3u);
    EXPECT_EQ(Frames().size(), 5u);
}

TEST_F(ConnectTest, ChoosingAnotherPortFromThePumpEndsTheConnectAsCancelled) {
    OpenWith({3, 0, 0, 0, 0});
    owner->onStep = [&](RecordingProgress&) {
        if (owner->progress->steps == 1) link->Initialise(emulator->DevicePath());
    };
    EXPECT_TRUE(link->Connect(owner->Progress()).Is(Category::Cancelled));
    EXPECT_EQ(HeaderFrames().size(), 1u);
    EXPECT_TRUE(link->IsConnected());
    EXPECT_TRUE(link->ReadDirectory());  // the new port works
}

}  // namespace
