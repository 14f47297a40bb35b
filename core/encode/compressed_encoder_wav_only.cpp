// A build without the compressed formats' encoders (the Windows one): WAV is all it writes.
#include "core/encode/compressed_encoder.h"

bool AudioFormatAvailable(AudioFormat format) {
    return format == AudioFormat::Wav;
}

Result EncodeCompressed(BinInputFile&, const std::string&, AudioFormat format, const AudioTags&,
                        StagedOutputFile&, const std::function<bool()>&) {
    return {Result::Category::ConversionFailed, AudioFormatUnavailable(format)};
}
