#pragma once
#include <string>
#include <vector>

// What `sonoret` and each of its commands take, declared once: the parser reads the words by
// it, and the usage line and the --help text are made from it.

// One option: every name it answers to, the name of its value, and its help.
struct OptionSyntax {
    // "-o", "--output". The first is the name the parsed value is kept under and the usage
    // line shows; the help lists the short names first.
    std::vector<std::string> names{};
    // "FILE" for an option that takes a value; empty for a flag.
    std::string value{};
    // The help, its lines parted by '\n'. Empty: taken, but neither listed nor in the usage
    // (a second spelling kept for those who use it).
    std::string help{};
    // What a missing value is called: "a path" makes "--device needs a path". Empty: "a value".
    std::string needs{};
};

// One word of a command that is no option ("F", "OUT.wav").
struct PositionalSyntax {
    std::string name{};
    bool optional = false;
    // When set, listed with the options in the help.
    std::string help{};
};

struct CommandSyntax {
    std::string name{};
    // One line for the list of commands; the help's text too, where there is no description.
    std::string summary{};
    std::vector<PositionalSyntax> positionals{};
    std::vector<OptionSyntax> options{};
    // The help between the usage and the options, and after the options.
    std::string description{};
    std::string epilogue{};
    // The usage where one line of positionals and options cannot say it: each form, after
    // the command's name ("F M [-o FILE]", "--all [-o DIR]").
    std::vector<std::string> forms{};
    // Said when there are too few or too many positional words; empty: "unexpected argument"
    // and the first word too many.
    std::string countError{};
    // The width the names of the listed options are padded to; 0: the longest and 3 spaces.
    int labelWidth = 0;
};

// "--port N"; "[--port N]" when bracketed.
std::string OptionUsage(const OptionSyntax& option, bool bracketed);
// "--port needs a port number from 1 to 255", after the name it was given by.
std::string MissingValue(const OptionSyntax& option, const std::string& given);
// The option of that name, or null.
const OptionSyntax* FindOption(const std::vector<OptionSyntax>& options, const std::string& name);

// "fetch F M [-o FILE]": the command's words after "sonoret", its forms parted by " | ".
std::string Synopsis(const CommandSyntax& command);
// The whole of `sonoret COMMAND --help`.
std::string HelpText(const CommandSyntax& command);
// The help's list of the positional words and options that have help: each under its names,
// its lines in a column of their own.
std::string OptionList(const std::vector<PositionalSyntax>& positionals,
                       const std::vector<OptionSyntax>& options, int labelWidth = 0);
