#pragma once
#include <cstdio>
#include <string>

// Fills the "%s" and "%d" of a text of strings.h, as the program's texts have always been
// formatted, into a string of whatever length it takes.
namespace text {

namespace detail {
inline const char* Arg(const std::string& value) {
    return value.c_str();
}
template <typename T>
T Arg(T value) {
    return value;
}
}  // namespace detail

template <typename... Args>
std::string Format(const char* format, const Args&... args) {
    const int length = std::snprintf(nullptr, 0, format, detail::Arg(args)...);
    if (length <= 0) return {};
    std::string result(static_cast<size_t>(length), '\0');
    std::snprintf(result.data(), result.size() + 1, format, detail::Arg(args)...);
    return result;
}

}  // namespace text
