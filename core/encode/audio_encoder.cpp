#include "core/encode/audio_encoder.h"

#include <cstdint>
#include <vector>

#include "core/convert/bin_input_file.h"
#include "core/encode/compressed_encoder.h"
#include "core/res/strings.h"
#include "core/res/text_format.h"

namespace {

using Category = Result::Category;

Result CopyWav(BinInputFile& input, StagedOutputFile& out,
               const std::function<bool()>& interrupted) {
    constexpr std::size_t kBufferBytes = std::size_t{64} * 1024;
    std::vector<std::uint8_t> buffer(kBufferBytes);
    for (;;) {
        if (interrupted && interrupted()) return {Category::Cancelled, {}};
        const std::size_t got = input.Read(buffer.data(), buffer.size());
        if (!input.Error().empty()) return {Category::FileNotRead, input.Error()};
        if (got == 0) return {};
        if (!out.Write(buffer.data(), got)) return {Category::FileNotWritten, out.Error()};
    }
}

}  // namespace

std::string AudioFormatUnavailable(AudioFormat format) {
    return text::Format(text::kFormatNotInThisBuild, AudioFormatName(format));
}

Result EncodeRecording(const std::string& wavPath, AudioFormat format, const AudioTags& tags,
                       StagedOutputFile& out, const std::function<bool()>& interrupted) {
    BinInputFile input;
    if (!input.Open(wavPath)) return {Category::FileNotRead, input.Error()};
    if (format == AudioFormat::Wav) return CopyWav(input, out, interrupted);
    return EncodeCompressed(input, wavPath, format, tags, out, interrupted);
}
