#include "core/convert/wav_converter.h"

#include "core/base/staged_output_file.h"
#include "core/convert/bin_input_file.h"
#include "core/convert/frame_table.h"
#include "core/res/strings.h"

namespace {

ConvertResult Failure(Result::Category category, std::string detail) {
    return ConvertResult(Result(category, std::move(detail)));
}

// Closes the progress display on every way out of the conversion.
struct ProgressCloser {
    std::unique_ptr<ProgressDisplay>& display;
    ~ProgressCloser() {
        if (display) display->Hide();
        display.reset();
    }
};

}  // namespace

int SampleRateForMode(int mode) {
    return mode == 1 ? 7200 : 8000;
}

ConvertResult ConvertBinToWav(const std::string& binPath, const std::string& wavPath, int mode,
                              const DecoderLibrary& decoder, const ProgressFactory& progress) {
    return ConvertBinToWav(binPath, wavPath, mode, DecoderEntries::From(decoder), progress);
}

ConvertResult ConvertBinToWav(const std::string& binPath, const std::string& wavPath, int mode,
                              const DecoderEntries& decoder, const ProgressFactory& progress,
                              const ConvertOptions& options) {
    // Never call through a missing entry; refuse before touching any file.
    if (!decoder.IsReady()) return Failure(Result::Category::DecoderMissing, kDecoderMissingDetail);

    BinInputFile input;
    if (!input.Open(binPath)) return Failure(Result::Category::FileNotRead, input.Error());
    const std::uint64_t total = input.Size();
    // Writing over the input would replace the message with its own half-read conversion.
    if (input.IsSameFile(wavPath)) {
        return Failure(Result::Category::FileNotWritten, wavPath + " is the message file itself");
    }

    // A look at the frame headers first: input that would decode past what a WAV file can
    // describe (endless silence runs, say) is refused before gigabytes are decoded and written.
    const std::uint64_t maxBlocks = options.maxFileBytes < kWavHeaderBytes
                                        ? 0
                                        : (options.maxFileBytes - kWavHeaderBytes) / kPcmBlockBytes;
    const BlockCount planned = CountFrameBlocks(input, total);
    if (!planned.readOk || !input.Rewind()) {
        return Failure(
            Result::Category::FileNotRead,
            input.Error().empty() ? "the file became shorter while it was read" : input.Error());
    }
    if (planned.blocks > maxBlocks)
        return Failure(Result::Category::ConversionFailed, kTooLongDetail);

    StagedOutputFile output;
    if (!output.Create(wavPath)) return Failure(Result::Category::FileNotWritten, output.Error());

    std::unique_ptr<ByteSink> wrapped = options.wrapOutput ? options.wrapOutput(output) : nullptr;
    ByteSink& sink = wrapped ? *wrapped : output;

    const WavHeader placeholder{};
    if (!sink.Write(placeholder.data(), placeholder.size())) {
        return Failure(Result::Category::FileNotWritten, sink.Error());
    }

    std::unique_ptr<ProgressDisplay> display = progress ? progress(text::kConvertCaption) : nullptr;
    ProgressCloser closer{display};
    if (display) {
        display->SetRange(0, kConvertProgressSteps, 1);
        display->SetText(text::kConvertText);
    }

    ConvertResult result = DecodeFrameStream(input, total, sink, decoder, display.get(), maxBlocks,
                                             options.interrupted);
    if (!result) return result;  // the staged file is removed on the way out

    const std::uint64_t dataBytes = result.blocks * kPcmBlockBytes;
    const WavHeader header =
        MakeWavHeader(SampleRateForMode(mode), static_cast<std::uint32_t>(dataBytes));
    if (!output.WriteAt(0, header.data(), header.size()) || !output.Commit()) {
        return Failure(Result::Category::FileNotWritten, output.Error());
    }
    return result;
}
