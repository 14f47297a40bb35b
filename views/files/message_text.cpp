#include "views/files/message_text.h"

#include <cstdio>

#include "res/strings.h"

namespace message_text {
namespace {

constexpr std::size_t kNamesShown = 5;

}  // namespace

std::string WithText(const char* format, const std::string& text) {
    const int length = std::snprintf(nullptr, 0, format, text.c_str());
    if (length <= 0) return {};
    std::string result(static_cast<std::size_t>(length), '\0');
    std::snprintf(result.data(), result.size() + 1, format, text.c_str());
    return result;
}

std::string WithNumber(const char* format, long long number) {
    std::string text = format;
    const auto at = text.find("%d");
    if (at != std::string::npos) text.replace(at, 2, std::to_string(number));
    return text;
}

std::string NameLines(const std::vector<std::string>& names) {
    std::string lines;
    for (std::size_t i = 0; i < names.size() && i < kNamesShown; ++i) {
        if (i > 0) lines += '\n';
        lines += names[i];
    }
    if (names.size() > kNamesShown)
        lines += '\n' + WithNumber(text::kAndMoreNames,
                                   static_cast<long long>(names.size() - kNamesShown));
    return lines;
}

}  // namespace message_text
