// sonoret list [--json]: the recorder's folders and the labels of their messages.
#include <ctime>
#include <ostream>
#include <sstream>

#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/json_text.h"
#include "cli/recorder_session.h"
#include "core/link/message_label.h"
#include "core/link/recorder_clock.h"

namespace {

const CommandSyntax kListSyntax{
    .name = "list",
    .summary = "connect and show every folder of the recorder with its messages",
    .options = {{.names = {"--json"},
                 .help = "print one JSON object instead: the recorder variant (\"mode\") and,\n"
                         "per folder, its messages with number, date, time, quality, length\n"
                         "(in 528-byte blocks), seconds and label."}},
    .description =
        "Reads the recorder's directory and the header of every message, then prints\n"
        "each folder followed by its messages, indented by two spaces:\n\n"
        "  1 File (3)\n"
        "    01: 12-25 14:05 (SP-1:07)\n\n"
        "The label gives the message number, the recording's month-day and time, the\n"
        "quality (SP, MP, LP) and the length in minutes:seconds.",
};

class ListCommand : public Command {
public:
    explicit ListCommand(CliContext& context) : Command(kListSyntax), m_context(context) {}

    int Run(const ParsedArgs& parsed, std::ostream& out, std::ostream& err) override {
        RecorderSession session(m_context, err);
        if (const int status = session.Open()) return status;
        if (const int status = session.Connect()) return status;
        session.End();
        if (parsed.Has("--json")) {
            PrintJson(session.Link(), out);
        } else {
            PrintText(session.Link(), out);
        }
        out.flush();
        return out ? kExitOk : kExitOutput;
    }

private:
    static void PrintText(const RecorderLink& link, std::ostream& out) {
        const MessageDirectory& dir = link.Directory();
        for (int f = 0; f < kFolderCount; ++f) {
            out << FolderLabel(f, dir.Count(f)) << "\n";
            for (int m = 1; m <= dir.Count(f); ++m) {
                const MessageEntry& e = dir.Entry(f, m);
                if (!e.loaded) continue;
                out << "  "
                    << MessageLabel(m, e.header, link.Mode(), DateFromValue(e.header.DateValue()))
                    << "\n";
            }
        }
    }

    static void PrintJson(const RecorderLink& link, std::ostream& out) {
        const MessageDirectory& dir = link.Directory();
        out << "{\"mode\":" << link.Mode() << ",\"folders\":[";
        for (int f = 0; f < kFolderCount; ++f) {
            if (f) out << ",";
            out << "{\"folder\":" << f + 1 << ",\"count\":" << dir.Count(f) << ",\"messages\":[";
            bool first = true;
            for (int m = 1; m <= dir.Count(f); ++m) {
                const MessageEntry& e = dir.Entry(f, m);
                if (!e.loaded) continue;
                const std::time_t date = DateFromValue(e.header.DateValue());
                // "YYYY-MM-DD HH:MM", split into the two fields.
                const std::string when = MessageDateText(e.header, date);
                if (!first) out << ",";
                first = false;
                out << "{\"number\":" << m << ",\"date\":" << JsonString(when.substr(0, 10))
                    << ",\"time\":" << JsonString(when.substr(11))
                    << ",\"quality\":" << JsonString(QualityName(e.header))
                    << ",\"length\":" << e.header.Length()
                    << ",\"seconds\":" << DurationSeconds(e.header, link.Mode())
                    << ",\"label\":" << JsonString(MessageLabel(m, e.header, link.Mode(), date))
                    << "}";
            }
            out << "]}";
        }
        out << "]}\n";
    }

    CliContext& m_context;
};

}  // namespace

std::unique_ptr<Command> MakeListCommand(CliContext& context) {
    return std::make_unique<ListCommand>(context);
}
