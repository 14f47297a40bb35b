#include "cli/command_syntax.h"

#include <algorithm>
#include <sstream>
#include <utility>

namespace {

constexpr int kLabelGap = 3;

std::string Join(const std::vector<std::string>& parts, const std::string& separator) {
    std::string joined;
    for (const auto& part : parts) joined += (joined.empty() ? "" : separator) + part;
    return joined;
}

// "-y, --yes": short names first, as help texts have them.
std::string Label(const OptionSyntax& option) {
    std::vector<std::string> names = option.names;
    std::stable_partition(names.begin(), names.end(),
                          [](const std::string& name) { return name.rfind("--", 0) != 0; });
    const std::string label = Join(names, ", ");
    return option.value.empty() ? label : label + " " + option.value;
}

}  // namespace

std::string OptionUsage(const OptionSyntax& option, bool bracketed) {
    std::string usage = option.names.front();
    if (!option.value.empty()) usage += " " + option.value;
    return bracketed ? "[" + usage + "]" : usage;
}

std::string MissingValue(const OptionSyntax& option, const std::string& given) {
    return given + " needs " + (option.needs.empty() ? "a value" : option.needs);
}

const OptionSyntax* FindOption(const std::vector<OptionSyntax>& options, const std::string& name) {
    for (const auto& option : options) {
        if (std::find(option.names.begin(), option.names.end(), name) != option.names.end()) {
            return &option;
        }
    }
    return nullptr;
}

std::string Synopsis(const CommandSyntax& command) {
    if (!command.forms.empty()) return command.name + " " + Join(command.forms, " | ");
    std::string synopsis = command.name;
    for (const auto& positional : command.positionals) {
        synopsis += " " + (positional.optional ? "[" + positional.name + "]" : positional.name);
    }
    for (const auto& option : command.options) {
        if (!option.help.empty()) synopsis += " " + OptionUsage(option, true);
    }
    return synopsis;
}

std::string HelpText(const CommandSyntax& command) {
    std::string help = "usage: sonoret ";
    // Each form on a line of its own.
    help +=
        command.forms.empty()
            ? Synopsis(command)
            : command.name + " " + Join(command.forms, "\n       sonoret " + command.name + " ");
    help += "\n\n" + (command.description.empty() ? command.summary : command.description) + "\n";
    const std::string options =
        OptionList(command.positionals, command.options, command.labelWidth);
    if (!options.empty()) help += "\n" + options;
    if (!command.epilogue.empty()) help += "\n" + command.epilogue + "\n";
    return help;
}

std::string OptionList(const std::vector<PositionalSyntax>& positionals,
                       const std::vector<OptionSyntax>& options, int labelWidth) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (const auto& positional : positionals) {
        if (!positional.help.empty()) entries.emplace_back(positional.name, positional.help);
    }
    for (const auto& option : options) {
        if (!option.help.empty()) entries.emplace_back(Label(option), option.help);
    }
    std::size_t width = static_cast<std::size_t>(labelWidth);
    if (width == 0) {
        for (const auto& entry : entries) width = std::max(width, entry.first.size() + kLabelGap);
    }
    std::string list;
    for (const auto& [label, help] : entries) {
        std::istringstream lines(help);
        std::string line;
        bool first = true;
        while (std::getline(lines, line)) {
            const std::string lead = first ? label : std::string();
            list += "  " + lead + std::string(width > lead.size() ? width - lead.size() : 1, ' ') +
                    line + "\n";
            first = false;
        }
    }
    return list;
}
