#include "core/settings/ini_document.h"

#include <cstdint>
#include <string_view>

namespace {

constexpr std::size_t kNone = std::string_view::npos;

bool IsLineSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The characters a line of the file is read up to.
bool IsSpecial(char c) {
    return c == '\n' || c == '\r' || c == '"' || c == ';' || c == '=' || c == '\\';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The next code point of text at i; a byte that starts no valid sequence stands for itself.
std::uint32_t NextCodePoint(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (length == 1 || i + length > text.size()) return byte(i++);
    std::uint32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return byte(i++);
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    i += length;
    return code;
}

// One line of the file: a section, a key=value, or what is left of either before a comment.
// A quoted value may run over line ends, and a backslash carries a line on into the next.
struct IniLine {
    std::string_view text;
    std::size_t equals = kNone;  // the first '=' outside quotes, within text
};

bool ReadLine(std::string_view data, std::size_t& pos, IniLine& line) {
    const std::size_t size = data.size();
    bool inQuotes = false;
    std::size_t equals = kNone;
    std::size_t start = pos;
    while (start < size && IsLineSpace(data[start])) ++start;
    std::size_t i = start;
    while (i < size) {
        const char c = data[i];
        if (!IsSpecial(c)) {
            ++i;
            continue;
        }
        ++i;
        if (c == '=') {
            if (!inQuotes && equals == kNone) equals = i - 1;
        } else if (c == '\n' || c == '\r') {
            if (i == start + 1) {
                ++start;
            } else if (!inQuotes) {
                --i;
                break;
            }
        } else if (c == '\\') {
            if (i < size) {
                const char escaped = data[i++];
                if (i < size && ((escaped == '\n' && data[i] == '\r') ||
                                 (escaped == '\r' && data[i] == '\n'))) {
                    ++i;
                }
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (i == start + 1) {  // ';' opening the line: a comment to its end
            while (i < size && data[i] != '\n' && data[i] != '\r') ++i;
            while (i < size && IsLineSpace(data[i])) ++i;
            start = i;
        } else if (!inQuotes) {  // ';' after something: the rest of the line is a comment
            --i;
            break;
        }
    }
    pos = i;
    line.text = data.substr(start, i - start);
    line.equals = equals == kNone ? kNone : equals - start;
    return !line.text.empty();
}

std::string_view Trimmed(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

// Names: '/' is written as '\', characters outside [A-Za-z0-9_.-] as %XX or %UXXXX.
std::string UnescapeName(std::string_view name) {
    std::string result;
    std::size_t i = 0;
    while (i < name.size()) {
        if (name[i] == '\\') {
            result += '/';
            ++i;
            continue;
        }
        if (name[i] == '%' && i + 1 < name.size()) {
            const std::size_t first = name[i + 1] == 'U' ? i + 2 : i + 1;
            const std::size_t digits = name[i + 1] == 'U' ? 4 : 2;
            std::uint32_t code = 0;
            bool ok = first + digits <= name.size();
            for (std::size_t k = 0; ok && k < digits; ++k) {
                const int digit = HexDigit(name[first + k]);
                ok = digit >= 0;
                code = code * 16 + static_cast<std::uint32_t>(digit);
            }
            if (ok) {
                AppendUtf8(result, code);
                i = first + digits;
                continue;
            }
        }
        result += name[i++];
    }
    return result;
}

std::string EscapeName(std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string result;
    std::size_t i = 0;
    while (i < name.size()) {
        const std::uint32_t c = NextCodePoint(name, i);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.';
        if (c == '/') {
            result += '\\';
        } else if (plain) {
            result += static_cast<char>(c);
        } else if (c <= 0xFF) {
            result += '%';
            result += kHex[c / 16];
            result += kHex[c % 16];
        } else {
            // Beyond the first plane: as the two halves of its UTF-16 pair.
            const auto unit = [&](std::uint32_t u) {
                result += "%U";
                for (int shift = 12; shift >= 0; shift -= 4) result += kHex[(u >> shift) & 0xF];
            };
            if (c > 0xFFFF) {
                unit(0xD800 + ((c - 0x10000) >> 10));
                unit(0xDC00 + ((c - 0x10000) & 0x3FF));
            } else {
                unit(c);
            }
        }
    }
    return result;
}

// Values: optionally quoted, with C-like escapes; spaces around an unquoted value do not count.
std::string UnescapeValue(std::string_view raw) {
    std::string result;
    bool inQuotes = false;
    bool quoted = false;
    std::size_t keep = 0;  // what an escape or a quote made stays, spaces included
    std::size_t i = 0;
    const auto skipSpaces = [&] {
        while (i < raw.size() && (raw[i] == ' ' || raw[i] == '\t')) ++i;
    };
    // \x and \0 escapes run over every digit that follows.
    const auto number = [&](int base) {
        std::uint32_t code = 0;
        while (i < raw.size()) {
            const int digit = HexDigit(raw[i]);
            if (digit < 0 || digit >= base) break;
            code = (code * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit)) &
                   0xFFFF;
            ++i;
        }
        AppendUtf8(result, code);
    };
    skipSpaces();
    while (i < raw.size()) {
        const char c = raw[i];
        if (c == '\\') {
            if (++i >= raw.size()) break;
            const char escaped = raw[i++];
            static constexpr std::string_view kFrom = "abfnrtv\"?'\\";
            static constexpr std::string_view kTo = "\a\b\f\n\r\t\v\"?'\\";
            if (const auto at = kFrom.find(escaped); at != kNone) {
                result += kTo[at];
            } else if (escaped == 'x') {
                if (i < raw.size() && HexDigit(raw[i]) >= 0) number(16);
            } else if (escaped >= '0' && escaped <= '7') {
                --i;
                number(8);
            } else if ((escaped == '\n' || escaped == '\r') && i < raw.size() &&
                       (raw[i] == '\n' || raw[i] == '\r') && raw[i] != escaped) {
                ++i;  // a line carried on: \r\n or \n\r
            }
            keep = result.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes) skipSpaces();
            keep = result.size();
        } else {
            result += c;
            ++i;
        }
    }
    if (!quoted) {
        while (result.size() > keep && (result.back() == ' ' || result.back() == '\t')) {
            result.pop_back();
        }
    }
    return result;
}

std::string EscapeValue(const std::string& value) {
    static constexpr char kHex[] = "0123456789abcdef";
    // A leading '@' would read as the mark of a typed value.
    const std::string text = !value.empty() && value[0] == '@' ? "@" + value : value;
    std::string result;
    bool needsQuotes = false;
    bool escapeNextIfDigit = false;  // a digit after \x.. would read as part of it
    const auto hexEscape = [&](unsigned char c) {
        result += "\\x";
        if (c >= 16) result += kHex[c / 16];
        result += kHex[c % 16];
    };
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == ';' || c == ',' || c == '=') needsQuotes = true;
        if (escapeNextIfDigit && HexDigit(ch) >= 0) {
            hexEscape(c);
            continue;
        }
        escapeNextIfDigit = false;
        static constexpr std::string_view kFrom = "\a\b\f\n\r\t\v";
        static constexpr std::string_view kTo = "abfnrtv";
        if (const auto at = kFrom.find(ch); at != kNone) {
            result += '\\';
            result += kTo[at];
        } else if (c == '"' || c == '\\') {
            result += '\\';
            result += ch;
        } else if (c == 0) {
            result += "\\0";
            escapeNextIfDigit = true;
        } else if (c <= 0x1F) {
            hexEscape(c);
            escapeNextIfDigit = true;
        } else {
            result += ch;
        }
    }
    if (needsQuotes || (!result.empty() && (result.front() == ' ' || result.back() == ' '))) {
        result = '"' + result + '"';
    }
    return result;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

IniDocument IniDocument::Parse(const std::string& text) {
    IniDocument document;
    std::string section;  // with its '/', or empty for [General]
    std::size_t pos = 0;
    IniLine line;
    while (ReadLine(text, pos, line)) {
        if (line.text.front() == '[') {
            const std::size_t close = line.text.find(']');
            const std::string_view name =
                Trimmed(close == kNone ? line.text.substr(1) : line.text.substr(1, close - 1));
            if (EqualsIgnoringCase(name, "general")) {
                section.clear();
            } else if (EqualsIgnoringCase(name, "%general")) {
                section = std::string(name.substr(1)) + "/";
            } else {
                section = UnescapeName(name) + "/";
            }
            continue;
        }
        if (line.equals == kNone) continue;
        const std::string key = section + UnescapeName(Trimmed(line.text.substr(0, line.equals)));
        const std::size_t slash = key.find('/');
        const std::string owner = slash == kNone ? std::string() : key.substr(0, slash);
        const std::string name = slash == kNone ? key : key.substr(slash + 1);
        document.m_sections[owner][name] = std::string(Trimmed(line.text.substr(line.equals + 1)));
    }
    return document;
}

std::string IniDocument::Text() const {
    std::string text;
    for (const auto& [section, keys] : m_sections) {
        if (keys.empty()) continue;
        if (!text.empty()) text += '\n';
        if (section.empty()) {
            text += "[General]\n";
        } else if (EqualsIgnoringCase(section, "general")) {
            text += "[%General]\n";
        } else {
            text += "[" + EscapeName(section) + "]\n";
        }
        for (const auto& [key, raw] : keys) text += EscapeName(key) + "=" + raw + "\n";
    }
    return text;
}

std::optional<std::string> IniDocument::Value(const std::string& section,
                                              const std::string& key) const {
    const auto s = m_sections.find(section);
    if (s == m_sections.end()) return std::nullopt;
    const auto k = s->second.find(key);
    if (k == s->second.end()) return std::nullopt;
    std::string value = UnescapeValue(k->second);
    if (value == "@Invalid()") return std::nullopt;
    if (value.rfind("@@", 0) == 0) value.erase(0, 1);
    return value;
}

std::vector<std::string> IniDocument::Sections() const {
    std::vector<std::string> sections;
    for (const auto& [section, keys] : m_sections) {
        if (!keys.empty()) sections.push_back(section);
    }
    return sections;
}

std::vector<std::string> IniDocument::Keys(const std::string& section) const {
    std::vector<std::string> keys;
    if (const auto s = m_sections.find(section); s != m_sections.end()) {
        for (const auto& entry : s->second) keys.push_back(entry.first);
    }
    return keys;
}

void IniDocument::SetValue(const std::string& section, const std::string& key,
                           const std::string& value) {
    m_sections[section][key] = EscapeValue(value);
}

void IniDocument::Apply(const IniDocument& changes) {
    for (const auto& [section, keys] : changes.m_sections) {
        for (const auto& [key, raw] : keys) m_sections[section][key] = raw;
    }
}
