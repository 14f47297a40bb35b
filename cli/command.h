#pragma once
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_context.h"

// Exit statuses of `sonoret`; scripts rely on them.
enum ExitCode : int {
    kExitOk = 0,
    kExitUsage = 2,         // bad arguments; the usage went to standard error
    kExitComm = 3,          // the recorder did not answer as it should
    kExitConversion = 4,    // a message could not be converted
    kExitPort = 5,          // the port could not be opened
    kExitOutput = 6,        // an output file could not be written
    kExitInterrupted = 130  // Ctrl-C or another signal; RunSonoret reports 128 + the signal
};

// One `sonoret` command. Execute gets the words after the command's name and returns the exit
// status; everything it prints goes to out (results) and err (progress, messages, usage).
class Command {
public:
    virtual ~Command() = default;
    virtual int Execute(const std::vector<std::string>& args, std::ostream& out,
                        std::ostream& err) = 0;
    // "fetch F M [-o FILE]": the command's words after "sonoret".
    virtual std::string Synopsis() const = 0;
    // One line for the command list.
    virtual std::string Summary() const = 0;
    // The full text of `sonoret <command> --help`.
    virtual std::string Help() const;
};

// Prints the command's usage to err and returns kExitUsage; message says what was wrong.
int UsageError(const Command& command, std::ostream& err, const std::string& message);

// True when args asks for help (--help or -h anywhere); the help is then printed to out.
bool PrintHelpIfAsked(const Command& command, const std::vector<std::string>& args,
                      std::ostream& out);
