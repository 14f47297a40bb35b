#pragma once
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"

using CommandFactory = std::unique_ptr<Command> (*)(CliContext&);

// Every command, as cli/command_list.h lists them.
const std::vector<CommandFactory>& CommandTable();
// The command of that name, or null.
std::unique_ptr<Command> MakeCommand(const std::string& name, CliContext& context);
