#pragma once
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/cli_context.h"
#include "cli/command_syntax.h"

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

// One `sonoret` command. What it takes is declared once, in its CommandSyntax: its words are read
// by it, and its usage and help come from it.
class Command {
public:
    explicit Command(const CommandSyntax& syntax) : m_syntax(syntax) {}
    virtual ~Command() = default;

    // Runs the command with the words after its name and returns the exit status; everything
    // it prints goes to out (results) and err (progress, messages, usage). --help or -h
    // anywhere prints the help instead; words its syntax does not take end in the usage error.
    int Execute(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

    const CommandSyntax& Syntax() const { return m_syntax; }
    // "fetch F M [-o FILE]": the command's words after "sonoret".
    std::string Synopsis() const { return ::Synopsis(m_syntax); }
    // One line for the command list.
    const std::string& Summary() const { return m_syntax.summary; }
    // The full text of `sonoret <command> --help`.
    std::string Help() const { return HelpText(m_syntax); }

protected:
    // The command's own work, once its words are read: the exit status.
    virtual int Run(const ParsedArgs& parsed, std::ostream& out, std::ostream& err) = 0;

    // The folder and message the first two positional words name, as the recorder counts
    // them (ParseFolderAndMessage). Nothing when they are valid; else kExitUsage once the
    // usage error is written to err.
    std::optional<int> FolderAndMessage(const ParsedArgs& parsed, std::ostream& err, int* folder,
                                        int* message) const;

private:
    const CommandSyntax& m_syntax;
};

// Prints the command's usage to err and returns kExitUsage; message says what was wrong.
int UsageError(const Command& command, std::ostream& err, const std::string& message);
