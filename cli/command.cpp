#include "cli/command.h"

#include <ostream>

std::string Command::Help() const {
    return "usage: sonoret " + Synopsis() + "\n\n" + Summary() + "\n";
}

int UsageError(const Command& command, std::ostream& err, const std::string& message) {
    if (!message.empty()) err << "sonoret: " << message << "\n";
    err << "usage: sonoret " << command.Synopsis() << "\n";
    return kExitUsage;
}

bool PrintHelpIfAsked(const Command& command, const std::vector<std::string>& args,
                      std::ostream& out) {
    for (const auto& arg : args) {
        if (arg == "--help" || arg == "-h") {
            out << command.Help();
            return true;
        }
    }
    return false;
}
