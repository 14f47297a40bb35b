#include "core/sync/file_naming.h"

#include <cstdio>
#include <cstring>

#include "core/link/message_label.h"

namespace {

// Room for "_NNN" and ".opus" within the 255 bytes most file systems allow a name.
constexpr std::size_t kMaxStemBytes = 240;

constexpr const char* kPlaceholders = "YmdHMSfnq%";

std::string TwoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

bool Refused(unsigned char c) {
    return c < 0x20 || c == 0x7F || std::strchr("/\\:*?\"<>|", c) != nullptr;
}

}  // namespace

std::optional<NamePattern> NamePattern::Parse(const std::string& pattern, std::string* error) {
    auto fail = [error](std::string why) -> std::optional<NamePattern> {
        if (error) *error = std::move(why);
        return std::nullopt;
    };
    if (pattern.empty()) return fail("the name pattern is empty");
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') continue;
        if (i + 1 == pattern.size()) return fail("the name pattern ends in a lone %");
        if (std::strchr(kPlaceholders, pattern[i + 1]) == nullptr || pattern[i + 1] == '\0') {
            return fail(std::string("the name pattern has an unknown placeholder %") +
                        pattern[i + 1] + " (known: %Y %m %d %H %M %S %f %n %q %%)");
        }
        ++i;
    }
    return NamePattern(pattern);
}

std::string NamePattern::Expand(const LoadedRecording& recording) const {
    const RecordingTime when = RecordingTimeOf(recording.identity);
    MessageHeader header;
    header.bytes[1] = static_cast<std::uint8_t>(recording.identity.quality << 5);
    std::string name;
    for (std::size_t i = 0; i < m_pattern.size(); ++i) {
        if (m_pattern[i] != '%' || i + 1 == m_pattern.size()) {
            name += m_pattern[i];
            continue;
        }
        switch (m_pattern[++i]) {
            case 'Y':
                name += std::to_string(when.year);
                break;
            case 'm':
                name += TwoDigits(when.month);
                break;
            case 'd':
                name += TwoDigits(when.day);
                break;
            case 'H':
                name += TwoDigits(when.hour);
                break;
            case 'M':
                name += TwoDigits(when.minute);
                break;
            case 'S':
                name += TwoDigits(when.second);
                break;
            case 'f':
                name += std::to_string(recording.folder + 1);
                break;
            case 'n':
                name += TwoDigits(recording.message);
                break;
            case 'q':
                name += QualityName(header);
                break;
            default:
                name += m_pattern[i];  // %%
                break;
        }
    }
    return SafeFileName(name);
}

std::string SafeFileName(const std::string& name) {
    std::string safe;
    safe.reserve(name.size());
    for (const char c : name) safe += Refused(static_cast<unsigned char>(c)) ? '_' : c;
    if (safe.size() > kMaxStemBytes) {
        std::size_t cut = kMaxStemBytes;
        // Not inside a character of several bytes.
        while (cut > 0 && (static_cast<unsigned char>(safe[cut]) & 0xC0) == 0x80) --cut;
        safe.resize(cut);
    }
    if (safe.empty() || safe == "." || safe == "..") return "_";
    return safe;
}

std::string FreeFileName(const std::string& stem, const std::string& extension,
                         const std::function<bool(const std::string& name)>& taken) {
    std::string name = stem + extension;
    for (int n = 2; taken(name); ++n) {
        name = stem;
        name += '_';
        name += std::to_string(n);
        name += extension;
    }
    return name;
}
