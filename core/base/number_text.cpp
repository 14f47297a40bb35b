#include "core/base/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

std::optional<long> ParseInteger(const std::string& text, long min, long max) {
    const std::size_t sign = min < 0 && !text.empty() && text[0] == '-' ? 1 : 0;
    // More digits than a long holds never name a number we take.
    if (text.size() == sign || text.size() - sign > 18) return std::nullopt;
    for (std::size_t i = sign; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
    }
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value < min || value > max) return std::nullopt;
    return value;
}

std::string ByteCount(std::uint64_t bytes) {
    char text[32];
    if (bytes >= std::uint64_t{1000} * 1000) {
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
    } else if (bytes >= 1000) {
        std::snprintf(text, sizeof text, "%.0f kB", static_cast<double>(bytes) / 1e3);
    } else {
        std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
    }
    return text;
}

std::string Duration(double seconds) {
    const long total = seconds > 0 ? std::lround(seconds) : 0;
    char text[32];
    if (total >= 3600) {
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60,
                      total % 60);
    } else {
        std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
    }
    return text;
}
