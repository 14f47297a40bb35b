#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

// The text of a settings file in the INI dialect of Qt's QSettings, which wrote the window
// program's settings for years and may still meet ours in the same file: [sections] of
// key=value lines, names and values escaped its way, ';' starting a comment. Sections are
// the part of a key before its first '/', so "COMM/PORT" under [General] is PORT of [COMM].
//
// Values are kept as they stand in the file: a key this program does not know (a list, a
// binary @Variant) goes back unchanged when the file is rewritten. The text is written in
// QSettings' own order ([General] first, then the sections, each with its keys, sorted) and
// its own escapes, so a file either wrote changes, byte for byte, only where a value did.
// Comments are not kept, as QSettings keeps none.
class IniDocument {
public:
    static IniDocument Parse(const std::string& text);
    std::string Text() const;

    // The value of key in section ("" is [General]), unescaped: nothing when absent (or
    // written as QSettings' invalid value).
    std::optional<std::string> Value(const std::string& section, const std::string& key) const;
    // The sections that hold keys, sorted ("" for [General]).
    std::vector<std::string> Sections() const;
    // The keys of section, sorted.
    std::vector<std::string> Keys(const std::string& section) const;
    // Sets a string value, escaped as QSettings escapes it.
    void SetValue(const std::string& section, const std::string& key, const std::string& value);
    // Takes over every value of changes, as written there.
    void Apply(const IniDocument& changes);
    bool Empty() const { return m_sections.empty(); }

private:
    // section -> key -> the value as it stands in the file, escaped.
    std::map<std::string, std::map<std::string, std::string>> m_sections;
};
