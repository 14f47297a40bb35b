#include <string.h>

#include "core/base/system_error_text.h"
#include "core/base/win32_text.h"

std::string SystemErrorText(int error) {
    char buffer[256] = {};
    if (::strerror_s(buffer, sizeof buffer, error) != 0 || !*buffer) {
        return "error " + std::to_string(error);
    }
    return buffer;
}

std::string SystemErrorText(const std::error_code& error) {
    // The file system library reports the system's own codes here, not errno values.
    if (error.category() == std::system_category()) {
        return WindowsErrorText(static_cast<unsigned long>(error.value()));
    }
    if (error.category() == std::generic_category()) return SystemErrorText(error.value());
    return error.message();
}

std::string WithSystemReason(const std::string& what, int error) {
    return what + ": " + SystemErrorText(error);
}
