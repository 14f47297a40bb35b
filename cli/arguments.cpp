#include "cli/arguments.h"

#include "core/link/message_directory.h"

std::optional<std::string> ParsedArgs::Option(const std::string& name) const {
    const auto it = options.find(name);
    if (it == options.end()) return std::nullopt;
    return it->second;
}

namespace {

const std::string* FindName(const std::vector<std::vector<std::string>>& groups,
                            const std::string& word) {
    for (const auto& group : groups) {
        for (const auto& name : group) {
            if (name == word) return &group.front();
        }
    }
    return nullptr;
}

}  // namespace

std::optional<std::string> ParseArgs(const std::vector<std::string>& args,
                                     const std::vector<std::vector<std::string>>& flagNames,
                                     const std::vector<std::vector<std::string>>& optionNames,
                                     ParsedArgs* parsed) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (optionsEnded || word.size() < 2 || word[0] != '-' ||
            (word[1] >= '0' && word[1] <= '9')) {
            parsed->positional.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        if (const std::string* flag = FindName(flagNames, word)) {
            parsed->flags.insert(*flag);
            continue;
        }
        const auto equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const std::string* option = FindName(optionNames, name);
        if (!option) return "unknown option " + name;
        if (equals != std::string::npos) {
            parsed->options[*option] = word.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            parsed->options[*option] = args[++i];
        } else {
            return name + " needs a value";
        }
    }
    return std::nullopt;
}

std::optional<std::string> ParseFolderAndMessage(const std::string& folderText,
                                                 const std::string& messageText, int* folder,
                                                 int* message) {
    const auto f = ParseInteger(folderText, 1, kFolderCount);
    if (!f) return "folder must be a number from 1 to 5, not \"" + folderText + "\"";
    const auto m = ParseInteger(messageText, 1, kMaxMessages);
    if (!m) return "message must be a number from 1 to 100, not \"" + messageText + "\"";
    *folder = static_cast<int>(*f) - 1;
    *message = static_cast<int>(*m);
    return std::nullopt;
}
