#include "core/base/json.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

class Parser {
public:
    Parser(std::string_view text, int maxDepth) : m_text(text), m_maxDepth(maxDepth) {}

    std::optional<JsonValue> Document() {
        JsonValue value;
        SkipSpace();
        if (!Value(value, 0)) return std::nullopt;
        SkipSpace();
        if (m_pos != m_text.size()) return Fail("text after the end of the value");
        return value;
    }
    const std::string& Error() const { return m_error; }

private:
    std::nullopt_t Fail(const char* what) {
        if (m_error.empty()) m_error = std::string(what) + " at byte " + std::to_string(m_pos);
        return std::nullopt;
    }
    bool Failed(const char* what) {
        Fail(what);
        return false;
    }
    bool AtEnd() const { return m_pos >= m_text.size(); }
    char Peek() const { return AtEnd() ? '\0' : m_text[m_pos]; }
    void SkipSpace() {
        while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r'))
            ++m_pos;
    }
    bool Literal(std::string_view word) {
        if (m_text.substr(m_pos, word.size()) != word) return Failed("not a JSON value");
        m_pos += word.size();
        return true;
    }

    bool Value(JsonValue& value, int depth) {
        if (depth > m_maxDepth) return Failed("nested too deeply");
        switch (Peek()) {
            case '{':
                return Object(value, depth);
            case '[':
                return Array(value, depth);
            case '"': {
                std::string s;
                if (!String(s)) return false;
                value = JsonValue(std::move(s));
                return true;
            }
            case 't':
                value = JsonValue(true);
                return Literal("true");
            case 'f':
                value = JsonValue(false);
                return Literal("false");
            case 'n':
                value = JsonValue();
                return Literal("null");
            default:
                return Number(value);
        }
    }

    bool Object(JsonValue& value, int depth) {
        value = JsonValue::Object();
        ++m_pos;  // {
        SkipSpace();
        if (Peek() == '}') {
            ++m_pos;
            return true;
        }
        for (;;) {
            SkipSpace();
            if (Peek() != '"') return Failed("a member name was expected");
            std::string key;
            if (!String(key)) return false;
            SkipSpace();
            if (Peek() != ':') return Failed("':' was expected");
            ++m_pos;
            SkipSpace();
            JsonValue member;
            if (!Value(member, depth + 1)) return false;
            value.Set(std::move(key), std::move(member));
            SkipSpace();
            if (Peek() == ',') {
                ++m_pos;
                continue;
            }
            if (Peek() == '}') {
                ++m_pos;
                return true;
            }
            return Failed("',' or '}' was expected");
        }
    }

    bool Array(JsonValue& value, int depth) {
        value = JsonValue::Array();
        ++m_pos;  // [
        SkipSpace();
        if (Peek() == ']') {
            ++m_pos;
            return true;
        }
        for (;;) {
            SkipSpace();
            JsonValue item;
            if (!Value(item, depth + 1)) return false;
            value.Append(std::move(item));
            SkipSpace();
            if (Peek() == ',') {
                ++m_pos;
                continue;
            }
            if (Peek() == ']') {
                ++m_pos;
                return true;
            }
            return Failed("',' or ']' was expected");
        }
    }

    bool Hex4(std::uint32_t& code) {
        if (m_text.size() - m_pos < 4) return Failed("a \\u escape is cut short");
        code = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_pos++];
            code <<= 4;
            if (c >= '0' && c <= '9') {
                code |= static_cast<std::uint32_t>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                code |= static_cast<std::uint32_t>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                code |= static_cast<std::uint32_t>(c - 'A' + 10);
            } else {
                return Failed("a \\u escape is not hexadecimal");
            }
        }
        return true;
    }

    bool String(std::string& out) {
        ++m_pos;  // "
        for (;;) {
            if (AtEnd()) return Failed("a string is not closed");
            const unsigned char c = static_cast<unsigned char>(m_text[m_pos++]);
            if (c == '"') return true;
            if (c < 0x20) return Failed("a control character in a string");
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (AtEnd()) return Failed("a string is not closed");
            switch (m_text[m_pos++]) {
                case '"':
                    out += '"';
                    break;
                case '\\':
                    out += '\\';
                    break;
                case '/':
                    out += '/';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    std::uint32_t code = 0;
                    if (!Hex4(code)) return false;
                    if (code >= 0xD800 && code < 0xDC00) {
                        std::uint32_t low = 0;
                        if (m_text.substr(m_pos, 2) != "\\u") return Failed("a lone surrogate");
                        m_pos += 2;
                        if (!Hex4(low)) return false;
                        if (low < 0xDC00 || low >= 0xE000) return Failed("a lone surrogate");
                        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    } else if (code >= 0xDC00 && code < 0xE000) {
                        return Failed("a lone surrogate");
                    }
                    AppendUtf8(out, code);
                    break;
                }
                default:
                    return Failed("an unknown escape in a string");
            }
        }
    }

    bool Number(JsonValue& value) {
        const std::size_t start = m_pos;
        auto digits = [this] {
            const std::size_t from = m_pos;
            while (!AtEnd() && Peek() >= '0' && Peek() <= '9') ++m_pos;
            return m_pos - from;
        };
        if (Peek() == '-') ++m_pos;
        if (Peek() == '0') {
            ++m_pos;
        } else if (digits() == 0) {
            m_pos = start;
            return Failed("not a JSON value");
        }
        if (Peek() == '.') {
            ++m_pos;
            if (digits() == 0) return Failed("a number has no digits after its point");
        }
        if (Peek() == 'e' || Peek() == 'E') {
            ++m_pos;
            if (Peek() == '+' || Peek() == '-') ++m_pos;
            if (digits() == 0) return Failed("a number has no digits in its exponent");
        }
        const std::string number(m_text.substr(start, m_pos - start));
        value = JsonValue(std::strtod(number.c_str(), nullptr));
        return true;
    }

    std::string_view m_text;
    int m_maxDepth;
    std::size_t m_pos = 0;
    std::string m_error;
};

void Indent(std::string& out, int indent, int depth) {
    if (indent <= 0) return;
    out += '\n';
    out.append(static_cast<std::size_t>(indent) * static_cast<std::size_t>(depth), ' ');
}

}  // namespace

std::optional<std::int64_t> JsonValue::Integer(std::int64_t lowest, std::int64_t highest) const {
    if (m_type != Type::Number || std::floor(m_number) != m_number) return std::nullopt;
    if (m_number < static_cast<double>(lowest) || m_number > static_cast<double>(highest))
        return std::nullopt;
    return static_cast<std::int64_t>(m_number);
}

const JsonValue* JsonValue::Find(std::string_view key) const {
    for (const Member& member : m_members) {
        if (member.first == key) return &member.second;
    }
    return nullptr;
}

JsonValue& JsonValue::Set(std::string key, JsonValue value) {
    for (Member& member : m_members) {
        if (member.first == key) {
            member.second = std::move(value);
            return *this;
        }
    }
    m_members.emplace_back(std::move(key), std::move(value));
    return *this;
}

JsonValue& JsonValue::Append(JsonValue value) {
    m_items.push_back(std::move(value));
    return *this;
}

std::string JsonValue::Text(int indent) const {
    std::string out;
    Write(out, indent, 0);
    return out;
}

void JsonValue::Write(std::string& out, int indent, int depth) const {
    switch (m_type) {
        case Type::Null:
            out += "null";
            return;
        case Type::Bool:
            out += m_bool ? "true" : "false";
            return;
        case Type::Number: {
            // Whole numbers as such; JSON has no place for infinities and NaN.
            if (!std::isfinite(m_number)) {
                out += "null";
            } else if (std::floor(m_number) == m_number && std::fabs(m_number) < 1e15) {
                out += std::to_string(static_cast<long long>(m_number));
            } else {
                // The shortest form that reads back as the same number: 3.9, not 3.8999...
                char text[32];
                for (int digits = 15; digits <= 17; ++digits) {
                    std::snprintf(text, sizeof text, "%.*g", digits, m_number);
                    if (std::strtod(text, nullptr) == m_number) break;
                }
                out += text;
            }
            return;
        }
        case Type::String:
            out += JsonString(m_string);
            return;
        case Type::Array:
            out += '[';
            for (std::size_t i = 0; i < m_items.size(); ++i) {
                if (i > 0) out += ',';
                Indent(out, indent, depth + 1);
                m_items[i].Write(out, indent, depth + 1);
            }
            if (!m_items.empty()) Indent(out, indent, depth);
            out += ']';
            return;
        case Type::Object:
            out += '{';
            for (std::size_t i = 0; i < m_members.size(); ++i) {
                if (i > 0) out += ',';
                Indent(out, indent, depth + 1);
                out += JsonString(m_members[i].first);
                out += indent > 0 ? ": " : ":";
                m_members[i].second.Write(out, indent, depth + 1);
            }
            if (!m_members.empty()) Indent(out, indent, depth);
            out += '}';
            return;
    }
}

std::optional<JsonValue> ParseJson(std::string_view text, std::string* error, int maxDepth) {
    Parser parser(text, maxDepth);
    std::optional<JsonValue> value = parser.Document();
    if (!value && error) *error = parser.Error();
    return value;
}

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}
