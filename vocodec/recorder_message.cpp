#include "vocodec/recorder_message.h"

namespace vocodec {

std::vector<std::uint8_t> MakeRecorderMessage(std::vector<std::uint8_t> stream) {
    const std::size_t remainder = stream.size() % kMessageBlockBytes;
    if (remainder != 0) stream.resize(stream.size() + kMessageBlockBytes - remainder, 0xFF);
    return stream;
}

}  // namespace vocodec
