// Files on Windows: whole-or-nothing writes through MoveFileExW, UTF-8 names that reach the
// system as the same wide names, temporaries of dead runs swept, and folder locks.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "cli/staging_folder.h"
#include "core/base/folder_lock.h"
#include "core/base/owned_temporary.h"
#include "core/base/staged_output_file.h"
#include "core/base/win32_text.h"
#include "core/sync/sync_manifest.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(fs::path(WideFromUtf8(path)), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool Write(StagedOutputFile& file, const std::string& text) {
    return file.Write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

}  // namespace

TEST(WindowsFiles, StagedFilesReplaceOrKeepTheTargetAndKeepUtf8Names) {
    TempFolder folder;
    // Neither name fits the ANSI code page: it must reach the system as UTF-16.
    const std::string target = folder.File("Aufnahme \xC3\xBC \xE8\xAA\x9E.wav");
    StagedOutputFile first;
    ASSERT_TRUE(first.Create(target)) << first.Error();
    ASSERT_TRUE(Write(first, "first"));
    first.SetModificationTime(1700000000);
    ASSERT_TRUE(first.Commit()) << first.Error();
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"Aufnahme \xC3\xBC \xE8\xAA\x9E.wav"});
    EXPECT_EQ(ReadAll(target), "first");
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(::GetFileAttributesExW(WideFromUtf8(target).c_str(), GetFileExInfoStandard, &data));
    const auto ticks =
        (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
        data.ftLastWriteTime.dwLowDateTime;
    EXPECT_EQ(ticks / 10000000ULL - 11644473600ULL, 1700000000ULL);

    StagedOutputFile second;
    ASSERT_TRUE(second.Create(target));
    ASSERT_TRUE(Write(second, "second, longer"));
    ASSERT_TRUE(second.WriteAt(0, reinterpret_cast<const std::uint8_t*>("S"), 1));
    ASSERT_TRUE(Write(second, "!"));
    ASSERT_TRUE(second.Commit()) << second.Error();
    EXPECT_EQ(ReadAll(target), "Second, longer!");

    StagedOutputFile kept;
    kept.SetNoReplace();
    ASSERT_TRUE(kept.Create(target));
    ASSERT_TRUE(Write(kept, "third"));
    EXPECT_FALSE(kept.Commit());
    EXPECT_TRUE(kept.TargetExists());
    EXPECT_EQ(ReadAll(target), "Second, longer!");
    ASSERT_TRUE(kept.Retarget(folder.File("other.wav")));
    ASSERT_TRUE(kept.Commit()) << kept.Error();
    EXPECT_EQ(ReadAll(folder.File("other.wav")), "third");

    StagedOutputFile dropped;
    ASSERT_TRUE(dropped.Create(folder.File("never.wav")));
    ASSERT_TRUE(Write(dropped, "x"));
    dropped.Discard();
    EXPECT_EQ(folder.Names().size(), 2u) << "nothing but the two committed files";

    StagedOutputFile onFolder;
    EXPECT_FALSE(onFolder.Create(folder.Path().substr(0, folder.Path().size() - 1)));
}

TEST(WindowsFiles, LitterOfADeadRunIsSweptAndALiveOwnersIsKept) {
    TempFolder folder;
    // Process ids on Windows are multiples of four: 3 is nobody's.
    const std::string dead = owned_temporary::PartFileName("a.wav", 3, 0);
    const std::string deadStaging = ".sonoret-3-abc123";
    const std::string mine =
        owned_temporary::PartFileName("b.wav", static_cast<long>(::GetCurrentProcessId()), 0);
    std::ofstream(fs::path(WideFromUtf8(folder.File(dead)))) << "x";
    std::ofstream(fs::path(WideFromUtf8(folder.File(mine)))) << "x";
    fs::create_directory(fs::path(WideFromUtf8(folder.File(deadStaging))));
    std::ofstream(fs::path(WideFromUtf8(folder.File(deadStaging + "/m.Bin")))) << "x";
    std::ofstream(fs::path(WideFromUtf8(folder.File("user.wav")))) << "x";

    owned_temporary::SweepLitter(folder.Path());
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{mine, "user.wav"}));

    // A staging folder of this run is made, held, and gone with its owner.
    std::string path;
    {
        StagingFolder staging;
        ASSERT_TRUE(staging.Create(folder.File("out.wav"))) << staging.Error();
        path = staging.Path();
        EXPECT_TRUE(fs::is_directory(fs::path(WideFromUtf8(path))));
    }
    EXPECT_FALSE(fs::exists(fs::path(WideFromUtf8(path))));
}

TEST(WindowsFiles, AFolderLockIsTakenOnceAndGoesWithItsHolder) {
    TempFolder folder;
    std::string error;
    FolderLock first;
    ASSERT_EQ(first.Lock(folder.Path(), &error), FolderLock::Result::Locked) << error;
    EXPECT_TRUE(first.StillNames(folder.Path()));
    FolderLock second;
    EXPECT_EQ(second.Lock(folder.Path(), &error), FolderLock::Result::Taken);
    first.Release();
    EXPECT_EQ(second.Lock(folder.Path(), &error), FolderLock::Result::Locked) << error;
    second.Release();
    EXPECT_TRUE(folder.Names().empty()) << "the lock's file goes with the lock";
    FolderLock missing;
    EXPECT_EQ(missing.Lock(folder.File("none"), &error), FolderLock::Result::Failed);
    EXPECT_NE(error.find("none"), std::string::npos) << error;
}

TEST(WindowsFiles, TheSyncRecordIsReadOnlyWhenItIsAFileOfSaneSize) {
    TempFolder folder;
    SyncManifest manifest;
    EXPECT_TRUE(manifest.Load(folder.Path()).IsOk()) << "no record yet: nothing synced";
    fs::create_directory(fs::path(WideFromUtf8(folder.File(".sonoret-sync.json"))));
    const Result refused = manifest.Load(folder.Path());
    EXPECT_FALSE(refused.IsOk());
    EXPECT_NE(refused.Detail().find("not a regular file"), std::string::npos) << refused;
}
