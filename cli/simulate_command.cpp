// sonoret simulate: the recorder emulator on a pseudo-terminal until Ctrl-C.
#include <ostream>
#include <sstream>

#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/interruption.h"
#include "cli/simulation.h"
#include "emulator/recorder_emulator.h"

namespace {

const CommandSyntax kSimulateSyntax{
    .name = "simulate",
    .summary = "serve the recorder emulator on a pseudo-terminal until Ctrl-C",
    .options = {{.names = {"--mode"},
                 .value = "1|2",
                 .help = "the recorder variant it answers as (default 2)"},
                {.names = {"--paced"}, .help = "send at the real line rate, 3840 bytes a second"},
                {.names = {"--seed"},
                 .value = "N",
                 .help = "the seed of its generated content (default 1)"},
                {.names = {"--counts"},
                 .value = "a,b,c,d,e",
                 .help = "messages in folders 1 to 5 (0-100 each; default 3,1,0,2,4)"},
                {.names = {"--log"}, .help = "print every request it gets on standard error"}},
    .description =
        "Prints the emulator's device on the first line of standard output and serves\n"
        "it until interrupted. Point the window program or another sonoret at it:\n\n"
        "  sonoret --device /dev/pts/7 list",
    .labelWidth = 20,
};

class SimulateCommand : public Command {
public:
    explicit SimulateCommand(CliContext&) : Command(kSimulateSyntax) {}

    int Run(const ParsedArgs& parsed, std::ostream& out, std::ostream& err) override {
        emu::Options options = SimulationOptions();
        options.paced = parsed.Has("--paced");
        if (auto mode = parsed.Option("--mode")) {
            const auto value = ParseInteger(*mode, 1, 2);
            if (!value) return UsageError(*this, err, "--mode is 1 or 2, not \"" + *mode + "\"");
            options.modeVariant = static_cast<int>(*value);
        }
        if (auto seed = parsed.Option("--seed")) {
            const auto value = ParseInteger(*seed, 0, 0xFFFFFFFFL);
            if (!value)
                return UsageError(*this, err, "--seed takes a number, not \"" + *seed + "\"");
            options.seed = static_cast<unsigned>(*value);
        }
        if (auto counts = parsed.Option("--counts")) {
            if (!ParseCounts(*counts, &options.counts)) {
                return UsageError(*this, err,
                                  "--counts takes five numbers from 0 to 100 separated by commas, "
                                  "not \"" +
                                      *counts + "\"");
            }
        }

        if (parsed.Has("--log")) {
            // Called on the emulator's thread while this one only waits for Ctrl-C.
            options.activityLog = [&err](const std::string& line) {
                err << line << "\n" << std::flush;
            };
        }
        emu::RecorderEmulator emulator(options);
        std::string error;
        if (!emulator.Start(&error)) {
            err << "sonoret: the recorder emulator could not start: " << error << "\n";
            return kExitPort;
        }
        out << emulator.DevicePath() << "\n" << std::flush;
        interruption::Wait(-1);
        emulator.Stop();
        // Ctrl-C is how a simulation ends; it is not a failure.
        return kExitOk;
    }

private:
    static bool ParseCounts(const std::string& text, std::array<int, 5>* counts) {
        std::istringstream in(text);
        std::string item;
        std::size_t i = 0;
        while (std::getline(in, item, ',')) {
            const auto value = ParseInteger(item, 0, 100);
            if (!value || i >= counts->size()) return false;
            (*counts)[i++] = static_cast<int>(*value);
        }
        return i == counts->size() && text.back() != ',';
    }
};

}  // namespace

std::unique_ptr<Command> MakeSimulateCommand(CliContext& context) {
    return std::make_unique<SimulateCommand>(context);
}
