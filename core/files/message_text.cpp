#include "core/files/message_text.h"

#include "core/res/strings.h"
#include "core/res/text_format.h"

namespace message_text {
namespace {

constexpr std::size_t kNamesShown = 5;

}  // namespace

std::string NameLines(const std::vector<std::string>& names) {
    std::string lines;
    for (std::size_t i = 0; i < names.size() && i < kNamesShown; ++i) {
        if (i > 0) lines += '\n';
        lines += names[i];
    }
    if (names.size() > kNamesShown)
        lines +=
            '\n' + text::Format(text::kAndMoreNames, static_cast<int>(names.size() - kNamesShown));
    return lines;
}

}  // namespace message_text
