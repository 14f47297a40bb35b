// The command line's own pieces: argument parsing, the progress line, the staging folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/arguments.h"
#include "cli/staging_folder.h"
#include "cli/terminal_progress.h"

namespace {

TEST(Arguments, SplitFlagsOptionsAndPositionals) {
    const std::vector<OptionSyntax> options = {{.names = {"--json"}, .help = "x"},
                                               {.names = {"-o", "--output"}, .value = "FILE"}};
    ParsedArgs parsed;
    EXPECT_EQ(ParseArgs({"2", "-o", "out.Bin", "7", "--json"}, options, &parsed), std::nullopt);
    EXPECT_EQ(parsed.positional, (std::vector<std::string>{"2", "7"}));
    EXPECT_TRUE(parsed.Has("--json"));
    EXPECT_EQ(parsed.Option("-o"), "out.Bin");

    ParsedArgs alias;
    EXPECT_EQ(ParseArgs({"--output=x", "--", "-5"}, options, &alias), std::nullopt);
    EXPECT_EQ(alias.Option("-o"), "x");
    EXPECT_EQ(alias.positional, (std::vector<std::string>{"-5"}));

    ParsedArgs bad;
    EXPECT_EQ(ParseArgs({"--jsn"}, options, &bad), "unknown option --jsn");
    EXPECT_EQ(ParseArgs({"--json=1"}, options, &bad), "unknown option --json");
    EXPECT_EQ(ParseArgs({"--output"}, options, &bad), "--output needs a value");

    // sonoret's own options end at the command: what follows is the command's.
    ParsedArgs global;
    EXPECT_EQ(ParseArgs({"--json", "fetch", "--json", "-o"}, options, &global,
                        OptionsEnd::AtFirstPositional),
              std::nullopt);
    EXPECT_EQ(global.positional, (std::vector<std::string>{"fetch", "--json", "-o"}));
}

TEST(CommandSyntax, UsageAndHelpComeFromTheDeclaration) {
    const CommandSyntax syntax{
        .name = "copy",
        .summary = "copy things",
        .positionals = {{.name = "FROM"}, {.name = "TO", .optional = true, .help = "where to"}},
        .options = {{.names = {"--yes", "-y"}, .help = "no questions"},
                    {.names = {"-o", "--output"}, .value = "FILE", .help = "the file\nor a folder"},
                    {.names = {"--old"}, .value = "X"}},  // taken, not shown
        .epilogue = "That is all.",
    };
    EXPECT_EQ(Synopsis(syntax), "copy FROM [TO] [--yes] [-o FILE]");
    EXPECT_EQ(HelpText(syntax),
              "usage: sonoret copy FROM [TO] [--yes] [-o FILE]\n\n"
              "copy things\n\n"
              "  TO                  where to\n"
              "  -y, --yes           no questions\n"
              "  -o, --output FILE   the file\n"
              "                      or a folder\n"
              "\nThat is all.\n");

    CommandSyntax forms = syntax;
    forms.forms = {"FROM [TO]", "--all"};
    EXPECT_EQ(Synopsis(forms), "copy FROM [TO] | --all");
    EXPECT_EQ(
        HelpText(forms).rfind("usage: sonoret copy FROM [TO]\n       sonoret copy --all\n\n", 0),
        0u);
}

TEST(Arguments, FolderAndMessageAsTheUserCountsThem) {
    int folder = -1, message = -1;
    EXPECT_EQ(ParseFolderAndMessage("1", "100", &folder, &message), std::nullopt);
    EXPECT_EQ(folder, 0);
    EXPECT_EQ(message, 100);
    EXPECT_EQ(ParseFolderAndMessage("5", "1", &folder, &message), std::nullopt);
    EXPECT_EQ(folder, 4);
    for (const auto& [f, m] :
         std::vector<std::pair<std::string, std::string>>{{"0", "1"},
                                                          {"6", "1"},
                                                          {"1", "0"},
                                                          {"1", "101"},
                                                          {"x", "1"},
                                                          {"1", "2a"},
                                                          {"", "1"},
                                                          {"1", "-3"},
                                                          {"1", "99999999999999999999"}}) {
        EXPECT_NE(ParseFolderAndMessage(f, m, &folder, &message), std::nullopt) << f << " " << m;
    }
}

TEST(TerminalProgress, DrawsCaptionPercentBarAndCount) {
    std::ostringstream terminal;
    TerminalProgress progress("Receive", &terminal);
    progress.SetRange(0, 20, 1);
    EXPECT_EQ(progress.Line(), "Receive [  0%] ------------------------------ 0/20");
    for (int i = 0; i < 9; ++i) progress.StepIt();
    EXPECT_EQ(progress.Line(), "Receive [ 45%] #############----------------- 9/20");
    progress.Hide();
    EXPECT_NE(terminal.str().find("Receive [ 45%]"), std::string::npos);
    EXPECT_EQ(terminal.str().substr(terminal.str().size() - 4), "\r\033[K");

    TerminalProgress empty("Connect", nullptr);
    empty.SetRange(0, 0, 1);
    empty.StepIt();
    EXPECT_EQ(empty.Line().substr(0, 15), "Connect [  0%] ");
}

TEST(OutputPath, DefaultNameInTheCurrentOrAGivenFolder) {
    EXPECT_EQ(OutputPath("", "0_03.Bin"), "0_03.Bin");
    EXPECT_EQ(OutputPath("x/y.Bin", "0_03.Bin"), "x/y.Bin");
    const auto dir = std::filesystem::temp_directory_path();
    EXPECT_EQ(OutputPath(dir.string(), "0_03.Bin"), (dir / "0_03.Bin").string());
}

TEST(StagingFolder, KeepsNothingButWhatWasPublished) {
    const auto dir = std::filesystem::temp_directory_path() / "sonoret-staging-test";
    std::filesystem::create_directories(dir);
    const std::string target = (dir / "out.Bin").string();
    std::string stagingPath;
    {
        StagingFolder staging;
        ASSERT_TRUE(staging.Create(target));
        stagingPath = staging.Path();
        std::ofstream(staging.Path() + "0_01.Bin") << "whole";
        std::ofstream(staging.Path() + "0_02.Bin") << "partial";
        EXPECT_TRUE(staging.Publish("0_01.Bin", target));
    }
    EXPECT_TRUE(std::filesystem::exists(target));
    EXPECT_FALSE(std::filesystem::exists(stagingPath));
    StagingFolder unwritable;
    EXPECT_FALSE(unwritable.Create("/nonexistent-folder/out.Bin"));
    EXPECT_NE(unwritable.Error().find("/nonexistent-folder/out.Bin"), std::string::npos);
    std::filesystem::remove_all(dir);
}

}  // namespace
