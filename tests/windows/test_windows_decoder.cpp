// The decoder binding on Windows, and the console's Ctrl-C reaching a waiting command.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <thread>

#include "cli/interruption.h"
#include "core/convert/decoder_library.h"

TEST(WindowsDecoder, TellsAMissingLibraryFromAMissingEntryInTheSystemsWords) {
    DecoderLibrary library;
    EXPECT_EQ(library.Load(), DecoderLibrary::Status::Ready) << library.Error();
    EXPECT_STREQ(DecoderLibrary::DefaultName(), "vocodec.dll");

    EXPECT_EQ(library.Load("no-such-decoder.dll"), DecoderLibrary::Status::NotFound);
    EXPECT_NE(library.Error().find("no-such-decoder.dll: "), std::string::npos) << library.Error();
    EXPECT_GT(library.Error().size(), std::string("no-such-decoder.dll: ").size());
    EXPECT_FALSE(library.Readiness().IsOk());

    EXPECT_EQ(library.Load("libprobe_missing_entry.so"), DecoderLibrary::Status::MissingEntry);
    EXPECT_NE(library.Error().find("vDecode"), std::string::npos) << library.Error();
    EXPECT_EQ(library.Decode(), nullptr);
}

TEST(WindowsInterruption, CtrlCFromTheConsoleRaisesTheInterruption) {
    interruption::Reset();
    interruption::SignalScope scope;
    // Headless Wine has no console to deliver the event from: said so, not failed.
    if (!::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) {
        GTEST_SKIP() << "no console here to send Ctrl-C through";
    }
    if (!interruption::Wait(2000)) GTEST_SKIP() << "the console did not deliver Ctrl-C";
    EXPECT_TRUE(interruption::Raised());
    EXPECT_EQ(interruption::ExitStatus(), 130);
    interruption::Reset();
}
