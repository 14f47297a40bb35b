#pragma once
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/files/local_file_system.h"
#include "core/files/user_prompt.h"
#include "tests/support/temp_folder.h"

namespace files_test {

using ::TempFolder;

void WriteFile(const std::string& path, const std::string& contents);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
bool IsFolder(const std::string& path);
void MakeFolder(const std::string& path);
void MakeLink(const std::string& target, const std::string& link);
using ::NamesIn;

// A folder whose names cannot change (nothing can be added, removed or renamed in it): for
// the superuser through the immutable flag, for anyone else through the folder's mode.
// Undone when it goes; Fixed() is false where the file system cannot do it.
class FixedFolder {
public:
    explicit FixedFolder(const std::string& path);
    ~FixedFolder();
    FixedFolder(const FixedFolder&) = delete;
    FixedFolder& operator=(const FixedFolder&) = delete;
    bool Fixed() const { return m_fixed; }

private:
    std::string m_path;
    int m_fd = -1;
    bool m_fixed = false;
};

// Answers the operations' questions from a script (No once it runs out) and records every box.
class ScriptedPrompt : public UserPrompt {
public:
    struct Box {
        bool question = false;
        std::string text;
        std::string caption;
    };
    void Answer(bool yes) { m_answers.push_back(yes); }
    void ShowStop(const std::string& text, const std::string& caption) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    void BeginWait() override {
        ++m_waitDepth;
        ++m_waits;
    }
    void EndWait() override { --m_waitDepth; }

    std::vector<Box> boxes;
    int m_waitDepth = 0;
    int m_waits = 0;

private:
    std::vector<bool> m_answers;
};

// The real file system, except that the calls named for a path fail, and the folders named
// as mount roots are taken for ones.
class FailingFileSystem : public LocalFileSystem {
public:
    enum Call { MakeFolderCall, RemoveFolderCall, RemoveFileCall, RenameCall, CopyCall };
    void Fail(Call call, const std::string& path) { m_failing.insert({call, path}); }
    void MountRootAt(const std::string& path) { m_mountRoots.insert(path); }

    bool MakeFolder(const std::string& path) override;
    bool RemoveFolder(const std::string& path) override;
    bool RemoveFile(const std::string& path) override;
    bool RemoveFileForced(const std::string& path) override;
    bool Rename(const std::string& from, const std::string& to) override;
    bool CopyFile(const std::string& from, const std::string& to, bool overwrite) override;
    bool IsMountRoot(const std::string& path) override;

private:
    bool Fails(Call call, const std::string& path) const;
    std::set<std::pair<Call, std::string>> m_failing;
    std::set<std::string> m_mountRoots;
};

}  // namespace files_test
