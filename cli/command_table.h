#pragma once
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"

struct CommandEntry {
    const char* name;
    std::unique_ptr<Command> (*make)(CliContext&);
};

// Every command, as cli/command_list.h lists them.
const std::vector<CommandEntry>& CommandTable();
// The command of that name, or null.
std::unique_ptr<Command> MakeCommand(const std::string& name, CliContext& context);
