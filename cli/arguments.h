#pragma once
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cli/command_syntax.h"
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

// How a word that is no option ends the reading of options.
enum class OptionsEnd {
    // Options and positional words mix, as in a command's words; "-5" is a positional word.
    Never,
    // The first positional word ends them, as the command's name ends sonoret's own options;
    // it and every word after it are positional.
    AtFirstPositional,
};

// Reads args by options: nothing on success, else what was wrong ("unknown option --x",
// "-o needs a value"). An option is kept under the first of its names, whichever was given.
std::optional<std::string> ParseArgs(const std::vector<std::string>& args,
                                     const std::vector<OptionSyntax>& options, ParsedArgs* parsed,
                                     OptionsEnd end = OptionsEnd::Never);

// Folder (1..5) and message (1..100) as the user counts them, into the recorder's folder
// index (0..4) and message number. Nothing on success, else the error text.
std::optional<std::string> ParseFolderAndMessage(const std::string& folderText,
                                                 const std::string& messageText, int* folder,
                                                 int* message);
