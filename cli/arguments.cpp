#include "cli/arguments.h"

#include "core/link/message_directory.h"

std::optional<std::string> ParsedArgs::Option(const std::string& name) const {
    const auto it = options.find(name);
    if (it == options.end()) return std::nullopt;
    return it->second;
}

std::optional<std::string> ParseArgs(const std::vector<std::string>& args,
                                     const std::vector<OptionSyntax>& options, ParsedArgs* parsed,
                                     OptionsEnd end) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        const bool negativeNumber =
            end == OptionsEnd::Never && word.size() >= 2 && word[1] >= '0' && word[1] <= '9';
        if (optionsEnded || word.size() < 2 || word[0] != '-' || negativeNumber) {
            parsed->positional.push_back(word);
            if (end == OptionsEnd::AtFirstPositional) optionsEnded = true;
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        const auto equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const OptionSyntax* option = FindOption(options, name);
        if (!option || (option->value.empty() && equals != std::string::npos)) {
            return "unknown option " + name;
        }
        const std::string& key = option->names.front();
        if (option->value.empty()) {
            parsed->flags.insert(key);
        } else if (equals != std::string::npos) {
            parsed->options[key] = word.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            parsed->options[key] = args[++i];
        } else {
            return MissingValue(*option, name);
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
