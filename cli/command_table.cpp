#include "cli/command_table.h"

#define SONORET_COMMAND(name, factory) std::unique_ptr<Command> factory(CliContext&);
#include "cli/command_list.h"
#undef SONORET_COMMAND

const std::vector<CommandEntry>& CommandTable() {
    static const std::vector<CommandEntry> table = {
#define SONORET_COMMAND(name, factory) {name, &factory},
#include "cli/command_list.h"
#undef SONORET_COMMAND
    };
    return table;
}

std::unique_ptr<Command> MakeCommand(const std::string& name, CliContext& context) {
    for (const auto& entry : CommandTable()) {
        if (name == entry.name) return entry.make(context);
    }
    return nullptr;
}
