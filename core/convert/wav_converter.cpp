#include "core/convert/wav_converter.h"

#include "core/base/staged_output_file.h"
#include "core/convert/bin_input_file.h"
#include "core/convert/frame_table.h"
#include "core/res/strings.h"

namespace {

ConvertResult Failure(ConvertStatus status, std::string detail) {
    ConvertResult result;
    result.status = status;
    result.detail = std::move(detail);
    return result;
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
    if (!decoder.IsReady()) return Failure(ConvertStatus::DecoderMissing, {});

    BinInputFile input;
    if (!input.Open(binPath)) return Failure(ConvertStatus::InputUnreadable, input.Error());
    const std::uint64_t total = input.Size();
    // Writing over the input would replace the message with its own half-read conversion.
    if (input.IsSameFile(wavPath)) {
        return Failure(ConvertStatus::OutputUnwritable, wavPath + " is the message file itself");
    }

    // A look at the frame headers first: input that would decode past what a WAV file can
    // describe (endless silence runs, say) is refused before gigabytes are decoded and written.
    const std::uint64_t maxBlocks = options.maxFileBytes < kWavHeaderBytes
                                        ? 0
                                        : (options.maxFileBytes - kWavHeaderBytes) / kPcmBlockBytes;
    const BlockCount planned = CountFrameBlocks(input, total);
    if (!planned.readOk || !input.Rewind()) {
        return Failure(ConvertStatus::ReadFailed, input.Error().empty()
                                                      ? "the file became shorter while it was read"
                                                      : input.Error());
    }
    if (planned.blocks > maxBlocks) return Failure(ConvertStatus::TooLong, {});

    StagedOutputFile output;
    if (!output.Create(wavPath)) return Failure(ConvertStatus::OutputUnwritable, output.Error());

    std::unique_ptr<ByteSink> wrapped = options.wrapOutput ? options.wrapOutput(output) : nullptr;
    ByteSink& sink = wrapped ? *wrapped : output;

    const WavHeader placeholder{};
    if (!sink.Write(placeholder.data(), placeholder.size())) {
        return Failure(ConvertStatus::WriteFailed, sink.Error());
    }

    std::unique_ptr<ProgressDisplay> display = progress ? progress() : nullptr;
    ProgressCloser closer{display};
    if (display) {
        display->SetRange(0, kConvertProgressSteps, 1);
        display->SetText(text::kConvertText);
    }

    ConvertResult result = DecodeFrameStream(input, total, sink, decoder, display.get(), maxBlocks,
                                             options.interrupted);
    if (!result.ok()) return result;  // the staged file is removed on the way out

    const std::uint64_t dataBytes = result.blocks * kPcmBlockBytes;
    const WavHeader header =
        MakeWavHeader(SampleRateForMode(mode), static_cast<std::uint32_t>(dataBytes));
    if (!output.WriteAt(0, header.data(), header.size()) || !output.Commit()) {
        return Failure(ConvertStatus::WriteFailed, output.Error());
    }
    return result;
}
