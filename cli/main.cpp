#include <unistd.h>

#include <iostream>

#include "cli/interruption.h"
#include "cli/sonoret_cli.h"

int main(int argc, char** argv) {
    CliContext context;
    context.interactive = ::isatty(STDIN_FILENO) && ::isatty(STDERR_FILENO);
    context.progressBars = ::isatty(STDERR_FILENO);
    // Ctrl-C (and SIGTERM, SIGHUP, SIGQUIT, SIGPIPE) cancels what is under way (the recorder
    // is stopped, partial files removed) and the command ends with 128 + the signal's number.
    interruption::SignalScope signals;
    return RunSonoret(std::vector<std::string>(argv + 1, argv + argc), context, std::cout,
                      std::cerr);
}
