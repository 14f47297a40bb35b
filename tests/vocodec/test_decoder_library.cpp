// libvocodec.so as the program binds it: two C entries, nothing else visible.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include "vocodec/decoder.h"
#include "vocodec/encoder.h"
#include "vocodec/speech_messages.h"

namespace {

std::set<std::string> ExportedSymbols(std::string* error) {
    const std::string command =
        std::string(VOCODEC_NM) + " -D --defined-only '" + VOCODEC_LIBRARY_PATH + "'";
    FILE* pipe = popen(command.c_str(), "r");
    std::set<std::string> names;
    if (!pipe) {
        *error = "cannot run " + command;
        return names;
    }
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::istringstream fields(line);
        std::string address, type, name;
        if (fields >> address >> type >> name) names.insert(name);
    }
    if (pclose(pipe) != 0) *error = command + " failed";
    return names;
}

}  // namespace

TEST(DecoderLibrary, ExportsExactlyTheTwoEntries) {
    std::string error;
    std::set<std::string> names = ExportedSymbols(&error);
    ASSERT_TRUE(error.empty()) << error;
    // Sanitizer builds add their own bookkeeping symbols; those are not ours to hide.
    for (auto it = names.begin(); it != names.end();)
        it = (it->rfind("__asan", 0) == 0 || it->rfind("__odr_asan", 0) == 0 ||
              it->rfind("__ubsan", 0) == 0 || it->rfind("__sancov", 0) == 0)
                 ? names.erase(it)
                 : std::next(it);
    EXPECT_EQ(names, (std::set<std::string>{"vDecode", "vInitDecoder"}));
}

TEST(DecoderLibrary, DecodesLikeTheCodecItWraps) {
    void* handle = dlopen(VOCODEC_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    using InitFn = int (*)();
    using DecodeFn = int (*)(short*, const unsigned char*);
    auto init = reinterpret_cast<InitFn>(dlsym(handle, "vInitDecoder"));
    auto decode = reinterpret_cast<DecodeFn>(dlsym(handle, "vDecode"));
    ASSERT_NE(init, nullptr);
    ASSERT_NE(decode, nullptr);

    const auto message = vocodec::SpeechMessage(2, 3);
    const auto expected = vocodec::DecodeStream(message.data(), message.size(), true);
    // Twice, to see that vInitDecoder really resets.
    for (int pass = 0; pass < 2; ++pass) {
        init();
        std::vector<std::int16_t> got;
        unsigned char frame[24] = {};
        short pcm[160];
        for (std::size_t pos = 0; pos < message.size();) {
            const int length = vocodec::FrameBytesOfHeader(message[pos]);
            if (message.size() - pos < static_cast<std::size_t>(length)) break;
            if (vocodec::KindOfHeader(message[pos]) == vocodec::FrameKind::SilenceRun) {
                const int n = vocodec::SilenceRunLength(message[pos], message[pos + 1]);
                frame[0] = 0xE0;
                frame[1] = 0x00;
                for (int r = 0; r < n; ++r) {
                    decode(pcm, frame);
                    got.insert(got.end(), pcm, pcm + 160);
                }
            } else {
                std::copy(&message[pos], &message[pos] + length, frame);
                decode(pcm, frame);
                got.insert(got.end(), pcm, pcm + 160);
            }
            pos += length;
        }
        EXPECT_EQ(got, expected) << "pass " << pass;
    }
    // Null pointers are refused quietly rather than crashing the program.
    short pcm[160];
    EXPECT_EQ(decode(pcm, nullptr), 0);
    EXPECT_EQ(decode(nullptr, nullptr), 0);
    dlclose(handle);
}
