#pragma once
#include <string>

// s as a JSON string, quotes included: quotes, backslashes and control characters escaped,
// everything else as it is.
std::string JsonString(const std::string& s);
