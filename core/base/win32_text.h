#pragma once
#include <string>
#include <string_view>

// The Windows boundary: the program keeps its texts and paths in UTF-8, the system's wide
// ("W") calls take UTF-16. Only the Windows platform files include this.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);
// The system's words for a Windows error code (GetLastError), in UTF-8, without the final
// line break; "error N" where the system has none.
std::string WindowsErrorText(unsigned long code);
