#pragma once
#include <string>
#include <vector>

#include "core/base/folder_lock.h"

// The folder in which downloaded and converted messages live while the program runs.
//
// It is "Source" beside the program file when that place can be written, else "Source" in the
// user's cache folder. A running program holds a lock on its "Source" for the whole run: a
// second copy finds it taken and makes a private folder of its own, so neither removes nor
// replaces the other's files. A private folder is also made when no "Source" can be used; it
// is removed whole at the end of the run. When not even that can be made there is no working
// folder at all (Path() is empty, Problem() says why): the commands that need one must refuse,
// since a relative folder would put the message files, and the renumbering after a delete, in
// whatever folder the program was started from.
class WorkingFolder {
public:
    struct Places {
        std::string programFolder;
        std::string cacheFolder;
        // Where a private folder may be made, in order of preference.
        std::vector<std::string> privateBases;
    };

    WorkingFolder() = default;
    ~WorkingFolder() = default;  // lets the lock go; the folder stays (see Remove)
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    // Finds or makes the folder of this run. Once there is one it is kept for as long as it is
    // still there, so the messages already fetched stay where the link expects them.
    void Prepare(const Places& places);
    // Deletes the program's own message files and then the folder when nothing else is left in
    // it (a private folder: the whole folder), and lets the lock go.
    void Remove();

    // With a final separator; empty when there is no working folder.
    const std::string& Path() const { return m_path; }
    bool IsPrivate() const { return m_bPrivate; }
    // Why there is no working folder.
    const std::string& Problem() const { return m_problem; }

private:
    bool TakeShared(const std::string& base, bool* taken);
    bool MakePrivate(const std::vector<std::string>& bases);

    std::string m_path;
    bool m_bPrivate = false;
    std::string m_problem;
    FolderLock m_lock;
};

// Whether folder is where an installed program lies: below one of the system's folders (/usr,
// /bin, /sbin, /lib, /opt), or the bin folder of an installation of ours elsewhere (its private
// lib/sonoret beside it). The working folder never goes there: a copy run by root would make
// "Source" among the system's programs, and no one else could write it anyway.
bool IsInstalledProgramFolder(const std::string& folder);

// Deletes the program's own message files ("%d_%02d.Bin" and ".wav") in folder, then the
// folder itself when nothing else is left in it. A user's files that happen to be there stay.
void RemoveWorkingFolder(const std::string& folder);
