#include <string.h>

#include "core/base/system_error_text.h"

namespace {

// strerror_r comes in two kinds: the POSIX one returns 0 and fills the buffer, the GNU one
// returns the text (which may or may not be the buffer). Overloads take whichever we got.
[[maybe_unused]] const char* TextOf(int status, const char* buffer) {
    return status == 0 ? buffer : nullptr;
}
[[maybe_unused]] const char* TextOf(const char* text, const char*) {
    return text;
}

}  // namespace

std::string SystemErrorText(int error) {
    char buffer[256] = {};
    const char* text = TextOf(::strerror_r(error, buffer, sizeof buffer), buffer);
    if (!text || !*text) return "error " + std::to_string(error);
    return text;
}

std::string SystemErrorText(const std::error_code& error) {
    if (error.category() == std::generic_category() || error.category() == std::system_category())
        return SystemErrorText(error.value());
    return error.message();
}

std::string WithSystemReason(const std::string& what, int error) {
    return what + ": " + SystemErrorText(error);
}
