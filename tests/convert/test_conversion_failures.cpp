// Every way a conversion can fail ends the same way: a clear status, no partial ".wav", no
// temporary file left over, an earlier ".wav" untouched, the progress display closed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include "core/convert/frame_decoding.h"
#include "core/convert/wav_converter.h"
#include "tests/convert/convert_test_support.h"

using namespace convert_test;

namespace {

class ConversionFailure : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_decoder.Load(kProbeLibrary), DecoderLibrary::Status::Ready)
            << m_decoder.Error();
        m_entries = DecoderEntries::From(m_decoder);
    }

    ConvertResult Convert(const ConvertOptions& options = {}) {
        m_log = std::make_shared<RecordingProgress::Log>();
        return ConvertBinToWav(Bin(), Wav(), 2, m_entries, RecordingProgress::Factory(m_log),
                               options);
    }
    std::string Bin() const { return m_folder.File("0_01.Bin"); }
    std::string Wav() const { return m_folder.File("0_01.wav"); }

    // The earlier ".wav" is still there, unchanged, and nothing else was added.
    void ExpectOldWavKept(const Bytes& old) {
        EXPECT_EQ(ReadFile(Wav()), old);
        EXPECT_EQ(m_folder.Names(), (std::vector<std::string>{"0_01.Bin", "0_01.wav"}));
    }

    static Bytes Frames(int count) {
        Bytes bin;
        for (int i = 0; i < count; ++i) bin.insert(bin.end(), {0xC0, 1, 2, 3});
        return bin;
    }

    DecoderLibrary m_decoder;
    DecoderEntries m_entries;
    TempFolder m_folder;
    std::shared_ptr<RecordingProgress::Log> m_log;
};

TEST_F(ConversionFailure, MissingDecoderEntriesAreNeverCalled) {
    WriteFile(Bin(), Frames(3));
    for (const DecoderEntries entries : {DecoderEntries{}, DecoderEntries{m_entries.init, nullptr},
                                         DecoderEntries{nullptr, m_entries.decode}}) {
        m_log = std::make_shared<RecordingProgress::Log>();
        const ConvertResult result =
            ConvertBinToWav(Bin(), Wav(), 2, entries, RecordingProgress::Factory(m_log));
        EXPECT_EQ(result.GetCategory(), Result::Category::DecoderMissing);
        EXPECT_EQ(m_log->created, 0);
        EXPECT_FALSE(FileExists(Wav()));
    }
    // Through the library binding, as the program does it.
    for (const char* name : {kMissingEntryLibrary, "libno-such-decoder.so"}) {
        DecoderLibrary broken;
        EXPECT_NE(broken.Load(name), DecoderLibrary::Status::Ready);
        EXPECT_EQ(ConvertBinToWav(Bin(), Wav(), 1, broken, nullptr).GetCategory(),
                  Result::Category::DecoderMissing);
    }
    EXPECT_EQ(m_folder.Names(), std::vector<std::string>{"0_01.Bin"});
}

TEST_F(ConversionFailure, FilesThatCannotBeOpenedFailBeforeAnyProgress) {
    // No ".Bin" at all.
    const ConvertResult missing = Convert();
    EXPECT_EQ(missing.GetCategory(), Result::Category::FileNotRead);
    EXPECT_EQ(missing.Detail().find("cannot open"), 0u) << missing;
    EXPECT_FALSE(FileExists(Wav()));
    // A folder where the ".Bin" should be.
    ASSERT_EQ(::mkdir(Bin().c_str(), 0755), 0);
    const ConvertResult folder = Convert();
    EXPECT_EQ(folder.GetCategory(), Result::Category::FileNotRead);
    EXPECT_NE(folder.Detail().find("0_01.Bin"), std::string::npos) << folder.Detail();
    ::rmdir(Bin().c_str());
    // The ".wav" goes into a folder that does not exist.
    WriteFile(Bin(), Frames(2));
    m_log = std::make_shared<RecordingProgress::Log>();
    const ConvertResult output = ConvertBinToWav(Bin(), m_folder.File("gone/0_01.wav"), 2,
                                                 m_entries, RecordingProgress::Factory(m_log));
    EXPECT_EQ(output.GetCategory(), Result::Category::FileNotWritten);
    EXPECT_NE(output.Detail().find("gone/0_01.wav"), std::string::npos) << output.Detail();
    EXPECT_EQ(m_log->created, 0);
    EXPECT_EQ(m_folder.Names(), std::vector<std::string>{"0_01.Bin"});
}

TEST_F(ConversionFailure, ANamedPipeOrADeviceIsRefusedWithoutWaiting) {
    // Regression: the open of a named pipe waited for a writer for ever, deaf to Ctrl-C.
    const std::string fifo = m_folder.File("pipe.Bin");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto converting = std::async(
        std::launch::async, [&] { return ConvertBinToWav(fifo, Wav(), 2, m_entries, nullptr); });
    if (converting.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ::close(::open(fifo.c_str(), O_WRONLY));  // the writer it waits for, so the test ends
        converting.wait();
        FAIL() << "the conversion waited for a writer of the pipe";
    }
    const ConvertResult pipe = converting.get();
    EXPECT_EQ(pipe.GetCategory(), Result::Category::FileNotRead);
    EXPECT_EQ(pipe.Detail(), "cannot convert " + fifo + ": it is a named pipe, not a file");

    const std::string zero = m_folder.File("zero.Bin");
    ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
    const ConvertResult device = ConvertBinToWav(zero, Wav(), 2, m_entries, nullptr);
    EXPECT_EQ(device.GetCategory(), Result::Category::FileNotRead);
    EXPECT_EQ(device.Detail(), "cannot convert " + zero + ": it is a device, not a file");
    EXPECT_FALSE(FileExists(Wav()));
}

TEST_F(ConversionFailure, TheMessageFileIsNeverWrittenOver) {
    const Bytes bin = Frames(3);
    WriteFile(Bin(), bin);
    const std::string link = m_folder.File("hard.wav");
    ASSERT_EQ(::link(Bin().c_str(), link.c_str()), 0);
    for (const std::string& target : {Bin(), link}) {
        const ConvertResult result = ConvertBinToWav(Bin(), target, 2, m_entries, nullptr);
        EXPECT_EQ(result.GetCategory(), Result::Category::FileNotWritten) << target;
        EXPECT_EQ(ReadFile(Bin()), bin);
    }
    // A symbolic link is replaced, not written through: the message stays.
    const std::string symlink = m_folder.File("soft.wav");
    ASSERT_EQ(::symlink(Bin().c_str(), symlink.c_str()), 0);
    EXPECT_TRUE(ConvertBinToWav(Bin(), symlink, 2, m_entries, nullptr).IsOk());
    EXPECT_EQ(ReadFile(Bin()), bin);
    EXPECT_EQ(ReadFile(symlink).size(), 44u + 3 * 320);
}

TEST_F(ConversionFailure, AFullDiskRemovesThePartialFile) {
    WriteFile(Bin(), Frames(50));
    WriteFile(Wav(), {'o', 'l', 'd'});
    // Fail in the placeholder header, in the first block, and deep into the audio.
    for (std::uint64_t failAfter : {0ull, 10ull, 44ull + 320, 44ull + 320 * 30 + 7}) {
        SCOPED_TRACE(failAfter);
        ConvertOptions options;
        options.wrapOutput = [failAfter](ByteSink& file) -> std::unique_ptr<ByteSink> {
            return std::make_unique<FailingSink>(file, failAfter);
        };
        const ConvertResult result = Convert(options);
        EXPECT_EQ(result.GetCategory(), Result::Category::FileNotWritten);
        EXPECT_EQ(result.Detail(), "No space left on device");
        ExpectOldWavKept({'o', 'l', 'd'});
        EXPECT_EQ(m_log->hides, m_log->created);
        EXPECT_EQ(m_log->destroyed, m_log->created);
    }
}

TEST_F(ConversionFailure, AWavFileRemovedUnderneathFailsTheConversion) {
    WriteFile(Bin(), Frames(100));
    m_log = std::make_shared<RecordingProgress::Log>();
    m_log->onStep = [this](int step) {
        // Whatever the conversion writes besides the two known files goes away.
        if (step != 5) return;
        for (const auto& name : m_folder.Names()) {
            if (name != "0_01.Bin") ::unlink(m_folder.File(name).c_str());
        }
    };
    const ConvertResult result =
        ConvertBinToWav(Bin(), Wav(), 2, m_entries, RecordingProgress::Factory(m_log));
    EXPECT_EQ(result.GetCategory(), Result::Category::FileNotWritten);
    EXPECT_FALSE(result.Detail().empty());
    EXPECT_EQ(m_folder.Names(), std::vector<std::string>{"0_01.Bin"});
}

TEST_F(ConversionFailure, ABinCutShortUnderneathFailsTheConversion) {
    // Larger than the reader's buffer, so the cut is noticed by a read.
    Bytes bin;
    for (int i = 0; i < 20000; ++i) {
        const Bytes f = CodedFrame(0x00, 11, static_cast<std::uint8_t>(i));
        bin.insert(bin.end(), f.begin(), f.end());
    }
    WriteFile(Bin(), bin);
    WriteFile(Wav(), {'o', 'l', 'd'});
    m_log = std::make_shared<RecordingProgress::Log>();
    m_log->onStep = [this](int step) {
        if (step == 10) {
            EXPECT_EQ(::truncate(Bin().c_str(), 1000), 0);
        }
    };
    const ConvertResult result =
        ConvertBinToWav(Bin(), Wav(), 2, m_entries, RecordingProgress::Factory(m_log));
    EXPECT_EQ(result.GetCategory(), Result::Category::FileNotRead);
    EXPECT_FALSE(result.Detail().empty());
    ExpectOldWavKept({'o', 'l', 'd'});
    EXPECT_EQ(m_log->hides, 1);
}

TEST_F(ConversionFailure, AnInterruptionStopsTheConversionAndLeavesNoFile) {
    WriteFile(Bin(), Frames(1000));
    WriteFile(Wav(), {'o', 'l', 'd'});
    int asked = 0;
    ConvertOptions options;
    options.interrupted = [&asked] { return ++asked == 3; };
    const ConvertResult result = Convert(options);
    EXPECT_EQ(result.GetCategory(), Result::Category::Cancelled);
    EXPECT_EQ(asked, 3);
    EXPECT_LT(result.blocks, 1000u);
    ExpectOldWavKept({'o', 'l', 'd'});
    EXPECT_EQ(m_log->hides, 1);

    // Asked before the first frame too, so even a short message stops at once.
    WriteFile(Bin(), Frames(2));
    options.interrupted = [] { return true; };
    EXPECT_EQ(Convert(options).GetCategory(), Result::Category::Cancelled);
    ExpectOldWavKept({'o', 'l', 'd'});
}

TEST_F(ConversionFailure, AudioPastTheSizeOfAWavFileIsRefusedBeforeWriting) {
    // 56395 runs of 238 blocks decode to more than 4 GiB of audio: refused at once, with the
    // real limit, without decoding or writing anything.
    Bytes endless;
    for (int i = 0; i < 56395; ++i) endless.insert(endless.end(), {0xFF, 0xFE});
    WriteFile(Bin(), endless);
    WriteFile(Wav(), {'o', 'l', 'd'});
    const ConvertResult result = Convert();
    EXPECT_EQ(result.GetCategory(), Result::Category::ConversionFailed);
    EXPECT_EQ(m_log->created, 0);
    ExpectOldWavKept({'o', 'l', 'd'});

    // At a lowered limit: exactly full is fine, one block more is not.
    ConvertOptions options;
    options.maxFileBytes = 44 + 320 * 40;
    WriteFile(Bin(), Join({Bytes{0xE0, 38}, Frames(2)}));
    EXPECT_TRUE(Convert(options).IsOk());
    EXPECT_EQ(ReadFile(Wav()).size(), options.maxFileBytes);
    WriteFile(Bin(), Join({Bytes{0xE0, 38}, Frames(3)}));
    EXPECT_EQ(Convert(options).GetCategory(), Result::Category::ConversionFailed);
    EXPECT_EQ(ReadFile(Wav()).size(), options.maxFileBytes) << "the earlier file stays";
}

TEST_F(ConversionFailure, TheDecodingLoopStopsAtTheLimitOnItsOwn) {
    // Without the look ahead, the loop itself refuses the block that would pass the limit.
    const Bytes bin = {0xC0, 1, 2, 3, 0xE0, 0x05, 0xC0, 1, 2, 3};
    for (const auto& [limit, status] : {std::pair{7ull, Result::Category::Ok},
                                        std::pair{6ull, Result::Category::ConversionFailed},
                                        std::pair{1ull, Result::Category::ConversionFailed}}) {
        MemorySource source(bin.data(), bin.size());
        CountingSink sink;
        const ConvertResult result =
            DecodeFrameStream(source, bin.size(), sink, m_entries, nullptr, limit);
        EXPECT_EQ(result.GetCategory(), status) << limit;
        EXPECT_EQ(sink.Count(), result.blocks * 320);
        EXPECT_LE(result.blocks, limit);
    }
}

}  // namespace
