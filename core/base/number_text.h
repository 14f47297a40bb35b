#pragma once
#include <optional>
#include <string>

// A whole decimal number within [min, max]: digits, after a '-' only where min is below
// zero, and nothing else (no spaces, no '+'); nothing when the text is not one.
std::optional<long> ParseInteger(const std::string& text, long min, long max);
