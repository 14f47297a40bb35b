#pragma once
#include <cstdint>
#include <optional>
#include <string>

// A whole decimal number within [min, max]: digits, after a '-' only where min is below
// zero, and nothing else (no spaces, no '+'); nothing when the text is not one.
std::optional<long> ParseInteger(const std::string& text, long min, long max);

// "1.2 MB", "640 kB", "528 bytes"
std::string ByteCount(std::uint64_t bytes);
// "0:42", "12:05", "1:02:03"
std::string Duration(double seconds);
