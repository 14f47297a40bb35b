// sonoret delete F M [--yes]: deletes a message on the recorder; later ones move down.
#include <algorithm>
#include <ostream>

#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/interruption.h"
#include "cli/recorder_session.h"
#include "core/link/message_label.h"
#include "core/res/strings.h"

namespace {

bool IsYes(std::string answer) {
    answer.erase(0, answer.find_first_not_of(" \t"));
    answer.erase(answer.find_last_not_of(" \t\r") + 1);
    std::transform(answer.begin(), answer.end(), answer.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return answer == "y" || answer == "yes";
}

const CommandSyntax kDeleteSyntax{
    .name = "delete",
    .summary = "delete message M of folder F on the recorder (asks first)",
    .positionals = {{.name = "F"}, {.name = "M"}},
    .options = {{.names = {"--yes", "-y"},
                 .help = "delete without asking (needed when not run on a terminal)"}},
    .description =
        "Deletes message M (1-100) of folder F (1-5) on the recorder; the messages after\n"
        "it move down one number. On a terminal it asks first.",
    .countError = "delete needs a folder and a message number",
};

class DeleteCommand : public Command {
public:
    explicit DeleteCommand(CliContext& context) : Command(kDeleteSyntax), m_context(context) {}

    int Run(const ParsedArgs& parsed, std::ostream& out, std::ostream& err) override {
        int folder = 0, message = 0;
        if (const auto end = FolderAndMessage(parsed, err, &folder, &message)) return *end;
        // Asked before anything goes to the recorder, as the window program does.
        if (!parsed.Has("--yes")) {
            if (!m_context.interactive) {
                return UsageError(*this, err,
                                  "not asking without a terminal; add --yes to delete anyway");
            }
            err << text::kDeleteQuestion << " [y/N] " << std::flush;
            std::string answer;
            const bool answered = static_cast<bool>(std::getline(*m_context.in, answer));
            // Ctrl-C at the question ends the read too; that is no answer of "no".
            if (interruption::Raised()) return kExitInterrupted;
            if (!answered || !IsYes(answer)) {
                err << "Nothing deleted.\n";
                return kExitOk;
            }
        }

        RecorderSession session(m_context, err);
        if (const int status = session.Open()) return status;
        if (const int status = session.ReadDirectory()) return status;
        if (const int status = session.RequireMessage(folder, message)) return status;
        if (const Result deleted = session.Link().DeleteMessage(folder, message); !deleted) {
            return session.Failure(deleted, text::kDeleteFailed);
        }
        session.End();
        out << "Deleted message " << message << " of " << FolderBaseName(folder) << ".\n";
        return kExitOk;
    }

private:
    CliContext& m_context;
};

}  // namespace

std::unique_ptr<Command> MakeDeleteCommand(CliContext& context) {
    return std::make_unique<DeleteCommand>(context);
}
