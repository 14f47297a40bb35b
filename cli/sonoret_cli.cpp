#include "cli/sonoret_cli.h"

#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/command_table.h"
#include "cli/interruption.h"

namespace {

void PrintUsage(std::ostream& s, CliContext& context) {
    s << "usage: sonoret [--device PATH | --port N | --simulate] COMMAND [ARGS]\n"
         "\n"
         "The command line of Sonoret Manager: lists, downloads and deletes the messages of a\n"
         "QP2400 voice recorder on a serial port and sets its clock.\n"
         "\n"
         "Commands:\n";
    for (const auto& entry : CommandTable()) {
        const auto command = entry.make(context);
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
         "  --device PATH   the serial device the recorder is on, e.g. /dev/ttyUSB0\n"
         "  --port N        port COM<N> as the window program knows it: the device set as\n"
         "                  COMM/DEVICE<N> in its settings, else /dev/ttyS<N-1>\n"
         "  --simulate      the built-in recorder emulator instead of a recorder\n"
         "  Without these, the port the window program last used (COMM/PORT in\n"
         "  ~/.config/QP2400/QP2400.conf), else COM1.\n"
         "\n"
         "Exit status: 0 done, 2 bad arguments, 3 the recorder did not answer as it should,\n"
         "4 conversion failed, 5 the port could not be opened, 6 an output file could not be\n"
         "written. Ctrl-C, SIGTERM, SIGHUP, SIGQUIT and a closed output pipe (SIGPIPE) stop a\n"
         "command cleanly (the recorder is told to stop, no partial file is left) and it ends\n"
         "with 128 + the signal's number: 130, 143, 129, 131, 141.\n"
         "\n"
         "'sonoret COMMAND --help' tells more about a command.\n";
}

int GlobalUsageError(const std::string& message, std::ostream& err) {
    err << "sonoret: " << message << "\n"
        << "usage: sonoret [--device PATH | --port N | --simulate] COMMAND [ARGS]\n"
           "       sonoret --help\n";
    return 2;
}

}  // namespace

int RunSonoret(const std::vector<std::string>& args, CliContext context, std::ostream& out,
               std::ostream& err) {
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word.empty() || word[0] != '-') break;
        const auto equals = word.find('=');
        const std::string name = word.substr(0, equals);
        auto value = [&]() -> std::optional<std::string> {
            if (equals != std::string::npos) return word.substr(equals + 1);
            if (i + 1 < args.size()) return args[++i];
            return std::nullopt;
        };
        if (word == "--help" || word == "-h") {
            PrintUsage(out, context);
            return 0;
        } else if (word == "--simulate") {
            context.simulate = true;
        } else if (name == "--device") {
            const auto device = value();
            if (!device || device->empty()) return GlobalUsageError("--device needs a path", err);
            context.device = *device;
        } else if (name == "--port") {
            const auto port = value();
            const auto number = port ? ParseInteger(*port, 1, 255) : std::nullopt;
            if (!number) return GlobalUsageError("--port needs a port number from 1 to 255", err);
            context.port = static_cast<int>(*number);
        } else {
            return GlobalUsageError("unknown option " + name, err);
        }
    }
    if (context.simulate && (!context.device.empty() || context.port)) {
        return GlobalUsageError("--simulate cannot be combined with --device or --port", err);
    }
    if (i == args.size()) return GlobalUsageError("no command given", err);

    std::string name = args[i];
    std::vector<std::string> rest(args.begin() + static_cast<long>(i) + 1, args.end());
    if (name == "help") {
        if (rest.empty()) {
            PrintUsage(out, context);
            return 0;
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
