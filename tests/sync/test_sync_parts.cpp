// The pieces of a sync that need no recorder: the JSON of the folder's record, the record
// itself and what it refuses, the names, and the file that is never written over.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/base/json.h"
#include "core/base/staged_output_file.h"
#include "core/sync/file_naming.h"
#include "core/sync/sync_manifest.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using Category = Result::Category;

// A scratch folder; Dir() names it without the separator at its end.
class Folder : public TempFolder {
public:
    Folder() : TempFolder("sync-parts") {}
    std::string Dir() const { return Path().substr(0, Path().size() - 1); }
};

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(Json, ReadsWhatItWritesAndRefusesWhatIsNotJson) {
    JsonValue inner = JsonValue::Array();
    inner.Append(1).Append(-2.5).Append(true).Append(JsonValue()).Append("x");
    JsonValue document = JsonValue::Object();
    document.Set("text", "quote \" slash \\ tab \t bell \x07 é")
        .Set("list", inner)
        .Set("big", std::int64_t{4000000000})
        .Set("tenth", 3.9);
    for (const int indent : {0, 2}) {
        const std::string written = document.Text(indent);
        std::string error;
        const auto read = ParseJson(written, &error);
        ASSERT_TRUE(read) << error << "\n" << written;
        EXPECT_EQ(read->Text(), document.Text());
    }
    EXPECT_EQ(document.Find("tenth")->Text(), "3.9");
    EXPECT_EQ(document.Find("big")->Integer(0, 1LL << 40), 4000000000);
    EXPECT_FALSE(document.Find("tenth")->Integer(0, 10));

    // Escapes, surrogate pairs and white space as other writers use them.
    const auto other = ParseJson(" {\"a\" : [ \"\\u00e9\\ud83d\\ude00\\/\" ] }\r\n");
    ASSERT_TRUE(other);
    EXPECT_EQ(other->Find("a")->Items().at(0).String(), "é\xF0\x9F\x98\x80/");

    for (const char* bad : {"", "{", "{\"a\":1,}", "[1 2]", "{\"a\":1} x", "01", "1.", "-",
                            "\"\\ud800\"", "\"\\x\"", "\"a\nb\"", "tru", "{1:2}", "[\"\\u12\"]"}) {
        std::string error;
        EXPECT_FALSE(ParseJson(bad, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    // A document nested without end is refused, not followed down the stack.
    EXPECT_FALSE(ParseJson(std::string(100000, '[') + std::string(100000, ']')));
    EXPECT_TRUE(ParseJson(std::string(60, '[') + std::string(60, ']')));
}

TEST(FileNaming, PatternsPlaceholdersAndUnsafeCharacters) {
    // 25 December 2024 (day 8759), 14:05:38, SP, message 3 of folder 2.
    LoadedRecording recording{1, 3, {3, 153, 14 * 1800 + 5 * 30 + 19, 8759}, 1};
    EXPECT_EQ(NamePattern().Expand(recording), "2024-12-25_14-05-38_F2-03_SP");
    std::string error;
    const auto custom = NamePattern::Parse("%q %% %Y%m%d/%H:%M:%S <%n>?", &error);
    ASSERT_TRUE(custom) << error;
    EXPECT_EQ(custom->Expand(recording), "SP % 20241225_14_05_38 _03__");

    for (const char* bad : {"%x", "a%", "", "%Y-%Q"}) {
        EXPECT_FALSE(NamePattern::Parse(bad, &error)) << bad;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_NE(error.find("%Q"), std::string::npos) << error;

    EXPECT_EQ(SafeFileName(std::string("a\0b\x01|\\*\"", 8)), "a_b_____");
    EXPECT_EQ(SafeFileName(".."), "_");
    EXPECT_EQ(SafeFileName(""), "_");
    // Cut to fit a file system's name, never inside a character.
    const std::string longName = SafeFileName(std::string(239, 'a') + "éé");
    EXPECT_EQ(longName, std::string(239, 'a'));

    std::set<std::string> taken{"x.wav", "x_2.wav"};
    EXPECT_EQ(FreeFileName("x", ".wav", [&](const std::string& n) { return taken.count(n) > 0; }),
              "x_3.wav");
    EXPECT_EQ(FreeFileName("y", ".wav", [&](const std::string& n) { return taken.count(n) > 0; }),
              "y.wav");
}

TEST(StagedOutputFile, NeverReplacesWhenToldAndKeepsTheRecordingTime) {
    Folder folder;
    Write(folder / "taken.wav", "mine");
    StagedOutputFile out;
    out.SetNoReplace();
    ASSERT_TRUE(out.Create(folder / "taken.wav"));
    const std::uint8_t bytes[] = {'n', 'e', 'w'};
    ASSERT_TRUE(out.Write(bytes, 3));
    out.SetModificationTime(1000000000);
    EXPECT_FALSE(out.Commit());
    EXPECT_TRUE(out.TargetExists());
    EXPECT_EQ(Read(folder / "taken.wav"), "mine");
    EXPECT_FALSE(out.Retarget(folder.Dir() + "/sub/other.wav")) << "another folder";
    ASSERT_TRUE(out.Retarget(folder / "free.wav"));
    ASSERT_TRUE(out.Commit()) << out.Error();
    EXPECT_EQ(Read(folder / "free.wav"), "new");
    struct stat st {};
    ASSERT_EQ(::stat((folder / "free.wav").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1000000000);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"free.wav", "taken.wav"}));

    // Without the rule a commit replaces, as before.
    StagedOutputFile over;
    ASSERT_TRUE(over.Create(folder / "taken.wav"));
    ASSERT_TRUE(over.Write(bytes, 3));
    ASSERT_TRUE(over.Commit());
    EXPECT_EQ(Read(folder / "taken.wav"), "new");
}

TEST(StagedOutputFile, RefusesAFolderKeepsTheFirstFailureAndLeavesNoTemporary) {
    Folder folder;
    StagedOutputFile onFolder;
    EXPECT_FALSE(onFolder.Create(folder.Dir()));
    EXPECT_EQ(onFolder.Error(), "cannot create " + folder.Dir() + ": Is a directory");
    StagedOutputFile noName;
    EXPECT_FALSE(noName.Create(folder.Dir() + "/"));
    EXPECT_EQ(noName.Reason(), "Is a directory");
    EXPECT_FALSE(noName.Commit());
    EXPECT_EQ(noName.Error(), "cannot create " + folder.Dir() + "/: Is a directory");

    StagedOutputFile never;
    EXPECT_FALSE(never.Commit());
    EXPECT_EQ(never.Error(), "cannot write : Bad file descriptor");

    StagedOutputFile dropped;
    ASSERT_TRUE(dropped.Create(folder / "x.wav"));
    const std::uint8_t bytes[] = {'x'};
    ASSERT_TRUE(dropped.Write(bytes, 1));
    dropped.Discard();
    EXPECT_FALSE(dropped.Commit());
    EXPECT_TRUE(folder.Names().empty());
}

TEST(SyncManifest, KeepsWhatWasSyncedAndRefusesAFileThatIsNotItsOwn) {
    Folder folder;
    SyncManifest manifest;
    ASSERT_TRUE(manifest.Load(folder.Dir()));
    EXPECT_TRUE(manifest.Entries().empty());
    const RecordingIdentity a{3, 153, 25369, 8759};
    manifest.Put({a, 1, "a.wav", "wav", "03: 12-25 14:05 (SP-1:07)", "2025-01-01T00:00:00Z"});
    manifest.Put({a, 2, "a_2.wav", "wav", "04: 12-25 14:05 (SP-1:07)", "2025-01-01T00:00:00Z"});
    manifest.Put({a, 1, "a.flac", "flac", "03: 12-25 14:05 (SP-1:07)", "2025-01-02T00:00:00Z"});
    ASSERT_TRUE(manifest.Save());
    EXPECT_EQ(folder.Names(), std::vector<std::string>{".sonoret-sync.json"});

    SyncManifest again;
    ASSERT_TRUE(again.Load(folder.Dir() + "/"));
    ASSERT_EQ(again.Entries().size(), 2u);
    ASSERT_TRUE(again.Find(a, 1));
    EXPECT_EQ(again.Find(a, 1)->file, "a.flac");
    EXPECT_EQ(again.Find(a, 2)->label, "04: 12-25 14:05 (SP-1:07)");
    EXPECT_FALSE(again.Find(a, 3));
    EXPECT_TRUE(again.ClaimedByAnother("a_2.wav", a, 1));
    EXPECT_FALSE(again.ClaimedByAnother("a_2.wav", a, 2));

    // What cannot be the folder's record is refused, named, and left as it is.
    const std::string path = folder / SyncManifest::kFileName;
    const std::string good = Read(path);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"{\"version\": 1, \"recordings\": [", "not JSON"},
        {"[]", "not a sync record"},
        {"{\"version\": 2, \"recordings\": []}", "newer version"},
        {"{\"version\": 1, \"recordings\": [{\"file\": \"x\"}]}", "cannot tell"},
        {"", "too large"},  // made large below
    };
    for (const auto& [text, why] : cases) {
        Write(path, text);
        if (text.empty()) fs::resize_file(path, SyncManifest::kMaxBytes + 1);
        const auto size = fs::file_size(path);
        const Result refused = again.Load(folder.Dir());
        EXPECT_TRUE(refused.Is(Category::FileNotWritten)) << refused;
        EXPECT_NE(refused.Detail().find(why), std::string::npos) << refused;
        EXPECT_NE(refused.Detail().find(path), std::string::npos) << refused;
        EXPECT_EQ(fs::file_size(path), size);
    }
    fs::remove(path);
    fs::create_directory(path);
    EXPECT_NE(again.Load(folder.Dir()).Detail().find("not a regular file"), std::string::npos);
    fs::remove(path);
    Write(folder / "elsewhere.json", good);
    fs::create_symlink("elsewhere.json", path);
    EXPECT_NE(again.Load(folder.Dir()).Detail().find("symbolic link"), std::string::npos);
}

}  // namespace
