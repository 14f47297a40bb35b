// sonoret fetch F M [-o FILE]: one message into a ".Bin" file, byte for byte as received.
#include <filesystem>
#include <ostream>

#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/recorder_session.h"
#include "cli/staging_folder.h"
#include "core/base/utf8_path.h"
#include "core/res/strings.h"

namespace {

const CommandSyntax kFetchSyntax{
    .name = "fetch",
    .summary = "download message M of folder F into a .Bin file, as the recorder sends it",
    .positionals = {{.name = "F"}, {.name = "M"}},
    .options = {{.names = {"-o", "--output"},
                 .value = "FILE",
                 .help = "where to write it (a folder: the default name inside it);\n"
                         "default <F-1>_<MM>.Bin in the current folder, the name\n"
                         "the window program gives it (0_03.Bin for fetch 1 3)"}},
    .description =
        "Downloads message M (1-100) of folder F (1-5) exactly as the recorder sends it.\n"
        "The file appears only when the whole message arrived; Ctrl-C stops the\n"
        "recorder and leaves no file behind.",
    .countError = "fetch needs a folder and a message number",
};

class FetchCommand : public Command {
public:
    explicit FetchCommand(CliContext& context) : Command(kFetchSyntax), m_context(context) {}

    int Run(const ParsedArgs& parsed, std::ostream& out, std::ostream& err) override {
        int folder = 0, message = 0;
        if (const auto end = FolderAndMessage(parsed, err, &folder, &message)) return *end;
        const std::string name = BinFileName(folder, message);
        const std::string target = OutputPath(parsed.Option("-o").value_or(""), name);

        StagingFolder staging;
        if (!staging.Create(target)) {
            err << "sonoret: " << staging.Error() << "\n";
            return kExitOutput;
        }
        RecorderSession session(m_context, err);
        if (const int status = session.Open()) return status;
        if (const int status = session.ReadDirectory()) return status;
        if (const int status = session.RequireMessage(folder, message)) return status;

        // The staging folder is this command's working folder: the message is received there
        // and moved to its place only when it is whole.
        const Result fetched =
            session.Files().EnsureBin(folder, message, staging.Path(), session.Progress());
        if (!fetched) return session.DownloadFailure(fetched, target);
        session.End();
        if (!staging.Publish(name, target)) {
            err << "sonoret: " << staging.Error() << "\n";
            return kExitOutput;
        }
        std::error_code ec;
        out << target << ": " << std::filesystem::file_size(PathFromUtf8(target), ec) << " bytes\n";
        return kExitOk;
    }

private:
    CliContext& m_context;
};

}  // namespace

std::unique_ptr<Command> MakeFetchCommand(CliContext& context) {
    return std::make_unique<FetchCommand>(context);
}
