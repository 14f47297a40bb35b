#include "cli/command_table.h"

#define SONORET_COMMAND(factory) std::unique_ptr<Command> factory(CliContext&);
#include "cli/command_list.h"
#undef SONORET_COMMAND

const std::vector<CommandFactory>& CommandTable() {
    static const std::vector<CommandFactory> table = {
#define SONORET_COMMAND(factory) &factory,
#include "cli/command_list.h"
#undef SONORET_COMMAND
    };
    return table;
}

std::unique_ptr<Command> MakeCommand(const std::string& name, CliContext& context) {
    for (const CommandFactory make : CommandTable()) {
        if (auto command = make(context); command->Syntax().name == name) return command;
    }
    return nullptr;
}
