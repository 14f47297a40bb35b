#pragma once
#include <string>
#include <vector>

// Building the file browser's message texts from the table in core/res/strings.h.
namespace message_text {

// One line per name, the first few only, then how many more there are: a question about a
// long selection stays readable.
std::string NameLines(const std::vector<std::string>& names);

}  // namespace message_text
