// The names of our temporaries, and whose they are.
#include "core/base/owned_temporary.h"

#include "core/base/owned_temporary_names.h"

namespace owned_temporary {

namespace {

bool IsNumber(std::string_view s) {
    if (s.empty() || s.size() > 9) return false;  // a process id fits in nine digits
    for (char c : s) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

long ToNumber(std::string_view digits) {
    long value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
}

bool IsAlphanumeric(std::string_view s) {
    for (char c : s) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
            return false;
        }
    }
    return true;
}

// ".NAME.PID-N.part" with a name of at least one character.
Owner PartFileOwner(std::string_view name) {
    if (name.size() < 2 || name.front() != '.' || !name.ends_with(kPartSuffix)) return {};
    name.remove_suffix(kPartSuffix.size());
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || dot < 2) return {};
    const std::string_view id = name.substr(dot + 1);
    const auto dash = id.find('-');
    if (dash == std::string_view::npos) return {};
    if (!IsNumber(id.substr(0, dash)) || !IsNumber(id.substr(dash + 1))) return {};
    return {Kind::PartFile, ToNumber(id.substr(0, dash))};
}

// ".sonoret-PID-XXXXXX".
Owner StagingFolderOwner(std::string_view name) {
    if (!name.starts_with(kStagingPrefix)) return {};
    name.remove_prefix(kStagingPrefix.size());
    const auto dash = name.find('-');
    if (dash == std::string_view::npos || name.size() - dash - 1 != kStagingRandomChars) return {};
    if (!IsNumber(name.substr(0, dash)) || !IsAlphanumeric(name.substr(dash + 1))) return {};
    return {Kind::StagingFolder, ToNumber(name.substr(0, dash))};
}

}  // namespace

Owner OwnerOf(std::string_view name) {
    const Owner staging = StagingFolderOwner(name);
    return staging.kind != Kind::None ? staging : PartFileOwner(name);
}

std::string PartFileName(const std::string& name, long pid, unsigned n) {
    return "." + name + "." + std::to_string(pid) + "-" + std::to_string(n) +
           std::string(kPartSuffix);
}

std::string StagingFolderPattern(long pid) {
    return std::string(kStagingPrefix) + std::to_string(pid) + "-" +
           std::string(kStagingRandomChars, 'X');
}

}  // namespace owned_temporary
