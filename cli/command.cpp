#include "cli/command.h"

#include <ostream>

int Command::Execute(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    for (const auto& arg : args) {
        if (arg == "--help" || arg == "-h") {
            out << Help();
            return kExitOk;
        }
    }
    ParsedArgs parsed;
    if (auto error = ParseArgs(args, m_syntax.options, &parsed)) {
        return UsageError(*this, err, *error);
    }
    std::size_t required = 0;
    for (const auto& positional : m_syntax.positionals) required += positional.optional ? 0 : 1;
    const std::size_t given = parsed.positional.size();
    const std::size_t taken = m_syntax.positionals.size();
    if (given < required || given > taken) {
        if (!m_syntax.countError.empty()) return UsageError(*this, err, m_syntax.countError);
        if (given > taken) {
            return UsageError(*this, err, "unexpected argument " + parsed.positional[taken]);
        }
        return UsageError(*this, err, "missing " + m_syntax.positionals[given].name);
    }
    return Run(parsed, out, err);
}

std::optional<int> Command::FolderAndMessage(const ParsedArgs& parsed, std::ostream& err,
                                             int* folder, int* message) const {
    const auto& words = parsed.positional;
    if (auto error = ParseFolderAndMessage(words.at(0), words.at(1), folder, message)) {
        return UsageError(*this, err, *error);
    }
    return std::nullopt;
}

int UsageError(const Command& command, std::ostream& err, const std::string& message) {
    if (!message.empty()) err << "sonoret: " << message << "\n";
    err << "usage: sonoret " << command.Synopsis() << "\n";
    return kExitUsage;
}
