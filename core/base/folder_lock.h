#pragma once
#include <string>

#include "core/base/unique_fd.h"

// An exclusive lock on a folder, held for as long as the object holds it. Another running copy
// of the program that asks for the same folder finds it taken. The lock belongs to the process:
// a copy that was killed holds none.
class FolderLock {
public:
    enum class Result {
        Locked,  // held by this object from now on
        Taken,   // another running program holds it
        Failed,  // the folder cannot be opened or locked; the reason is in *error
    };

    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Releases any lock held, then locks folder, which must exist.
    Result Lock(const std::string& folder, std::string* error);
    void Release();
    bool Held() const { return m_fd.Valid(); }
    // Whether folder still names the very folder the lock is on: not removed, not replaced by
    // another of the same name.
    bool StillNames(const std::string& folder) const;

private:
    UniqueFd m_fd;
};

// Makes a new folder under base that only this user can enter, named prefix followed by six
// random characters. Returns its path, or empty with the reason in *error.
std::string MakePrivateFolder(const std::string& base, const std::string& prefix,
                              std::string* error);
