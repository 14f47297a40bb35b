#pragma once
#include <functional>
#include <optional>
#include <string>

#include "core/sync/recording_identity.h"

// The names recordings get in the folder they are saved to, from a pattern with placeholders:
//   %Y %m %d %H %M %S  the recording's local date and time (seconds in its two-second steps)
//   %f  folder 1-5     %n  message number, two digits     %q  quality SP, MP or LP     %%  %
class NamePattern {
public:
    static constexpr const char* kDefault = "%Y-%m-%d_%H-%M-%S_F%f-%n_%q";

    NamePattern() : m_pattern(kDefault) {}
    // The pattern, or nothing with what is wrong in *error (an unknown placeholder, a lone %
    // at the end, an empty pattern).
    static std::optional<NamePattern> Parse(const std::string& pattern, std::string* error);

    // The name of the recording without its extension, every character a file system refuses
    // replaced (SafeFileName).
    std::string Expand(const LoadedRecording& recording) const;
    const std::string& Text() const { return m_pattern; }

private:
    explicit NamePattern(std::string pattern) : m_pattern(std::move(pattern)) {}
    std::string m_pattern;
};

// name with '/', NUL, the characters some file systems refuse (\ : * ? " < > |) and control
// characters turned into '_'; "", "." and ".." become "_", and a name too long for a file
// system is cut (whole characters kept) to leave room for a suffix and an extension.
std::string SafeFileName(const std::string& name);

// stem + extension, else stem_2 + extension, stem_3 + extension, ...: the first that taken
// says is free.
std::string FreeFileName(const std::string& stem, const std::string& extension,
                         const std::function<bool(const std::string& name)>& taken);
