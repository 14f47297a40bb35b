#pragma once
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/base/number_text.h"

// A command's words split into flags (--json), options with a value (-o FILE, -o=FILE) and
// positional arguments. A word "--" ends the options.
struct ParsedArgs {
    std::set<std::string> flags;
    std::map<std::string, std::string> options;
    std::vector<std::string> positional;

    bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
    std::optional<std::string> Option(const std::string& name) const;
};

// Nothing on success, else what was wrong ("unknown option --x", "-o needs a value").
// Option names may have aliases: {"-o", "--output"} are given as separate names and stored
// under the first of each group.
std::optional<std::string> ParseArgs(const std::vector<std::string>& args,
                                     const std::vector<std::vector<std::string>>& flagNames,
                                     const std::vector<std::vector<std::string>>& optionNames,
                                     ParsedArgs* parsed);

// Folder (1..5) and message (1..100) as the user counts them, into the recorder's folder
// index (0..4) and message number. Nothing on success, else the error text.
std::optional<std::string> ParseFolderAndMessage(const std::string& folderText,
                                                 const std::string& messageText, int* folder,
                                                 int* message);
