#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A small JSON value, its reader and its writer: enough for the files the program keeps for
// itself (the sync manifest) and for the command line's --json output. Objects keep their
// members in the order they were set, so what is written reads as it was built.
class JsonValue {
public:
    enum class Type { Null, Bool, Number, String, Array, Object };
    using Member = std::pair<std::string, JsonValue>;

    JsonValue() = default;
    JsonValue(bool value) : m_type(Type::Bool), m_bool(value) {}
    JsonValue(double value) : m_type(Type::Number), m_number(value) {}
    JsonValue(int value) : JsonValue(static_cast<double>(value)) {}
    JsonValue(unsigned value) : JsonValue(static_cast<double>(value)) {}
    JsonValue(std::int64_t value) : JsonValue(static_cast<double>(value)) {}
    JsonValue(std::uint64_t value) : JsonValue(static_cast<double>(value)) {}
    JsonValue(std::string value) : m_type(Type::String), m_string(std::move(value)) {}
    JsonValue(const char* value) : JsonValue(std::string(value)) {}
    static JsonValue Array() { return JsonValue(Type::Array); }
    static JsonValue Object() { return JsonValue(Type::Object); }

    Type GetType() const { return m_type; }
    bool IsNumber() const { return m_type == Type::Number; }
    bool IsString() const { return m_type == Type::String; }
    bool IsArray() const { return m_type == Type::Array; }
    bool IsObject() const { return m_type == Type::Object; }

    bool Bool() const { return m_bool; }
    double Number() const { return m_number; }
    // The number when it is a whole number within [lowest, highest]; nothing otherwise.
    std::optional<std::int64_t> Integer(std::int64_t lowest, std::int64_t highest) const;
    const std::string& String() const { return m_string; }
    const std::vector<JsonValue>& Items() const { return m_items; }
    const std::vector<Member>& Members() const { return m_members; }

    // The member of that name of an object, or null.
    const JsonValue* Find(std::string_view key) const;
    // Sets a member of an object (replacing one of the same name); returns *this.
    JsonValue& Set(std::string key, JsonValue value);
    // Appends an item to an array; returns *this.
    JsonValue& Append(JsonValue value);

    // Compact, on one line; with indent > 0 one member or item a line.
    std::string Text(int indent = 0) const;

private:
    explicit JsonValue(Type type) : m_type(type) {}
    void Write(std::string& out, int indent, int depth) const;

    Type m_type = Type::Null;
    bool m_bool = false;
    double m_number = 0;
    std::string m_string;
    std::vector<JsonValue> m_items;
    std::vector<Member> m_members;
};

// Reads one JSON text (RFC 8259, nothing but white space around it). Nothing, with where and
// why in *error, when it is not one or nests deeper than maxDepth.
std::optional<JsonValue> ParseJson(std::string_view text, std::string* error = nullptr,
                                   int maxDepth = 64);

// s as a JSON string, quotes included: quotes, backslashes and control characters escaped,
// everything else as it is.
std::string JsonString(const std::string& s);
