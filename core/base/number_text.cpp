#include "core/base/number_text.h"

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
