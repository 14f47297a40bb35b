// The binding to the decoder library: found by its bare name through the program's run path,
// "not found" told from "found but broken", and no load ever left behind.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>

#include "core/convert/decoder_library.h"
#include "tests/convert/convert_test_support.h"

using namespace convert_test;

namespace {

bool IsMapped(const char* name) {
    void* handle = ::dlopen(name, RTLD_NOW | RTLD_NOLOAD);
    if (!handle) return false;
    ::dlclose(handle);
    return true;
}

TEST(DecoderLibrary, LoadsByBareNameAndResolvesBothEntries) {
    DecoderLibrary library;
    EXPECT_EQ(library.GetStatus(), DecoderLibrary::Status::NotLoaded);
    EXPECT_EQ(library.InitDecoder(), nullptr);
    ASSERT_EQ(library.Load(kProbeLibrary), DecoderLibrary::Status::Ready) << library.Error();
    EXPECT_TRUE(library.IsReady());
    EXPECT_TRUE(library.Error().empty());
    ASSERT_NE(library.InitDecoder(), nullptr);
    ASSERT_NE(library.Decode(), nullptr);
    library.InitDecoder()();
    short pcm[160] = {};
    const unsigned char frame[24] = {0xC0, 1, 2, 3};
    library.Decode()(pcm, frame);
    EXPECT_EQ(std::memcmp(pcm, "PRB1", 4), 0);
}

TEST(DecoderLibrary, TellsAMissingLibraryFromAMissingEntry) {
    DecoderLibrary library;
    EXPECT_EQ(library.Load("libno-such-decoder.so"), DecoderLibrary::Status::NotFound);
    EXPECT_NE(library.Error().find("libno-such-decoder.so"), std::string::npos) << library.Error();
    EXPECT_EQ(library.InitDecoder(), nullptr);
    EXPECT_EQ(library.Decode(), nullptr);

    EXPECT_EQ(library.Load(kMissingEntryLibrary), DecoderLibrary::Status::MissingEntry);
    EXPECT_NE(library.Error().find("vDecode"), std::string::npos) << library.Error();
    EXPECT_EQ(library.InitDecoder(), nullptr) << "a half-resolved library offers nothing";
    EXPECT_EQ(library.Decode(), nullptr);
    EXPECT_FALSE(IsMapped(kMissingEntryLibrary)) << "the broken library is released again";
}

TEST(DecoderLibrary, LoadingAgainAndDestroyingReleaseEveryLoad) {
    ASSERT_FALSE(IsMapped(kProbeLibrary));
    {
        DecoderLibrary library;
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(library.Load(kProbeLibrary) == DecoderLibrary::Status::Ready);
        EXPECT_TRUE(IsMapped(kProbeLibrary));
        library.Release();
        EXPECT_FALSE(IsMapped(kProbeLibrary)) << "an earlier load was leaked";
        EXPECT_EQ(library.GetStatus(), DecoderLibrary::Status::NotLoaded);
        EXPECT_EQ(library.Decode(), nullptr);
        ASSERT_TRUE(library.Load(kProbeLibrary) == DecoderLibrary::Status::Ready);
        // A failed load after a good one releases the good one too.
        EXPECT_EQ(library.Load("libno-such-decoder.so"), DecoderLibrary::Status::NotFound);
        EXPECT_FALSE(IsMapped(kProbeLibrary));
        ASSERT_TRUE(library.Load(kProbeLibrary) == DecoderLibrary::Status::Ready);
    }
    EXPECT_FALSE(IsMapped(kProbeLibrary)) << "the destructor releases the library";
}

TEST(DecoderLibrary, DefaultNameIsTheVoiceDecoder) {
    EXPECT_STREQ(DecoderLibrary::DefaultName(), "libvocodec.so");
}

}  // namespace
