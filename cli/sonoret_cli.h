#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_context.h"

// Runs `sonoret` with the words after the program's name: the global options, then one
// command. Returns the exit status. context carries the terminal's properties; the global
// options are added to it.
int RunSonoret(const std::vector<std::string>& args, CliContext context, std::ostream& out,
               std::ostream& err);
