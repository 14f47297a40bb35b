#include "cli/sonoret_cli.h"

#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/command_table.h"
#include "cli/interruption.h"
#include "core/settings/settings_file.h"
#include "sonoret_version.h"

namespace {

// Where the recorder is: sonoret's own options, before the command, one of them at most.
const std::vector<OptionSyntax>& PlaceOptions() {
    static const std::vector<OptionSyntax> options = {
        {.names = {"--device"},
         .value = "PATH",
         .help = "the serial device the recorder is on: a path, or a name in /dev or\n"
                 "/dev/serial/by-id (ttyUSB0); 'sonoret ports' lists them",
         .needs = "a path"},
        {.names = {"--port"},
         .value = "N",
         .help = "port COM<N> as the window program knows it: the device set as\n"
                 "COMM/DEVICE<N> in its settings, else /dev/ttyS<N-1>",
         .needs = "a port number from 1 to " + std::to_string(kHighestPort)},
        {.names = {"--simulate"}, .help = "the built-in recorder emulator instead of a recorder"},
    };
    return options;
}

// sonoret's other options, before the command too.
const std::vector<OptionSyntax>& OtherOptions() {
    static const std::vector<OptionSyntax> options = {
        {.names = {"--trace"},
         .help = "every frame sent to the recorder and every reply, with its time in\n"
                 "seconds, on standard error (instead of the progress bars)"},
        {.names = {"--help", "-h"}},
        {.names = {"--version"}},
    };
    return options;
}

// Every option before the command, as the parser takes them.
const std::vector<OptionSyntax>& GlobalOptions() {
    static const std::vector<OptionSyntax> options = [] {
        std::vector<OptionSyntax> all = PlaceOptions();
        all.insert(all.end(), OtherOptions().begin(), OtherOptions().end());
        return all;
    }();
    return options;
}

// "usage: sonoret [--trace] [--device PATH | --port N | --simulate] COMMAND [ARGS]": the
// places are alternatives.
std::string GlobalUsage() {
    std::string others;
    for (const auto& option : OtherOptions()) {
        if (!option.help.empty()) others += OptionUsage(option, true) + " ";
    }
    std::string places;
    for (const auto& option : PlaceOptions()) {
        places += (places.empty() ? "" : " | ") + OptionUsage(option, false);
    }
    return "usage: sonoret " + others + "[" + places + "] COMMAND [ARGS]\n";
}

void PrintUsage(std::ostream& s, CliContext& context) {
    s << GlobalUsage()
      << "\n"
         "The command line of Sonoret Manager: lists, downloads and deletes the messages of a\n"
         "QP2400 voice recorder on a serial port and sets its clock.\n"
         "\n"
         "Commands:\n";
    for (const CommandFactory make : CommandTable()) {
        const auto command = make(context);
        const std::string synopsis = command->Synopsis();
        s << "  " << synopsis;
        // A long synopsis gets its summary on the next line, under the others.
        if (synopsis.size() < 28) {
            s << std::string(28 - synopsis.size(), ' ') << " ";
        } else {
            s << "\n" << std::string(2 + 28 + 1, ' ');
        }
        s << command->Summary() << "\n";
    }
    s << "\n"
         "Where the recorder is (before the command):\n"
      << OptionList({}, PlaceOptions())
      << "  Without these, the port the window program last used (COMM/PORT in\n"
         "  ~/.config/QP2400/QP2400.conf), else COM1.\n"
         "\n"
         "Other options (before the command):\n"
      << OptionList({}, OtherOptions())
      << "\n"
         "Exit status: 0 done, 2 bad arguments, 3 the recorder did not answer as it should,\n"
         "4 conversion failed, 5 the port could not be opened, 6 an output file could not be\n"
         "written. Ctrl-C, SIGTERM, SIGHUP, SIGQUIT and a closed output pipe (SIGPIPE) stop a\n"
         "command cleanly (the recorder is told to stop, no partial file is left) and it ends\n"
         "with 128 + the signal's number: 130, 143, 129, 131, 141.\n"
         "\n"
         "'sonoret COMMAND --help' tells more about a command; 'sonoret --version' prints\n"
         "the version.\n";
}

int GlobalUsageError(const std::string& message, std::ostream& err) {
    err << "sonoret: " << message << "\n" << GlobalUsage() << "       sonoret --help\n";
    return kExitUsage;
}

}  // namespace

int RunSonoret(const std::vector<std::string>& args, CliContext context, std::ostream& out,
               std::ostream& err) {
    ParsedArgs global;
    if (auto error = ParseArgs(args, GlobalOptions(), &global, OptionsEnd::AtFirstPositional)) {
        return GlobalUsageError(*error, err);
    }
    if (global.Has("--help")) {
        PrintUsage(out, context);
        return kExitOk;
    }
    if (global.Has("--version")) {
        out << "sonoret " << kSonoretVersion << "\n";
        return kExitOk;
    }
    // A value that is there but says nothing is as good as none.
    const auto wrongValue = [&err](const char* name) {
        return GlobalUsageError(MissingValue(*FindOption(GlobalOptions(), name), name), err);
    };
    context.simulate = global.Has("--simulate");
    context.trace = global.Has("--trace");
    // The trace is the progress; a bar drawn between its lines would only break them up.
    if (context.trace) context.progressBars = false;
    if (const auto device = global.Option("--device")) {
        if (device->empty()) return wrongValue("--device");
        context.device = *device;
    }
    if (const auto port = global.Option("--port")) {
        const auto number = ParseInteger(*port, 1, kHighestPort);
        if (!number) return wrongValue("--port");
        context.port = static_cast<int>(*number);
    }
    if (context.simulate && (!context.device.empty() || context.port)) {
        return GlobalUsageError("--simulate cannot be combined with --device or --port", err);
    }
    if (global.positional.empty()) return GlobalUsageError("no command given", err);

    std::string name = global.positional.front();
    std::vector<std::string> rest(global.positional.begin() + 1, global.positional.end());
    if (name == "help") {
        if (rest.empty()) {
            PrintUsage(out, context);
            return kExitOk;
        }
        name = rest.front();
        rest = {"--help"};
    }
    const auto command = MakeCommand(name, context);
    if (!command) return GlobalUsageError("unknown command " + name, err);
    interruption::Reset();
    const int status = command->Execute(rest, out, err);
    // A command cut short by a signal, also one that failed because of it (a write into a
    // closed pipe), ends as the signal would have ended it.
    if (status == kExitInterrupted || (status != kExitOk && interruption::Raised())) {
        return interruption::ExitStatus();
    }
    return status;
}
