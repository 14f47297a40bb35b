#pragma once
#include <string>

#include "core/base/unique_fd.h"

// Our temporary files and folders beside an output carry their owner's process id in their
// name, and the owner holds an exclusive lock on them for as long as it lives. A run that was
// killed outright (SIGKILL, power loss) leaves them behind; a later run that puts its own
// temporaries into the same folder recognises them by name and removes those whose owner is
// gone, and nothing else.
namespace owned_temporary {

// ".NAME.PID-N.part": the file that becomes NAME once it is whole.
std::string PartFileName(const std::string& name, long pid, unsigned n);
// ".sonoret-PID-XXXXXX": the pattern for mkdtemp of a staging folder.
std::string StagingFolderPattern(long pid);

// Makes a staging folder of this process in parent (a folder path, "." for the current one):
// a fresh name from StagingFolderPattern that only this user may enter, open and locked in
// *lock for as long as that stays open. Its path, or empty with the system's reason in *reason.
std::string MakeStagingFolder(const std::string& parent, UniqueFd* lock, std::string* reason);

// Takes the lock of an open file or folder for as long as fd stays open. False when the
// file system has no locks (the temporary is then only protected by its owner's id).
bool Hold(int fd);

// Removes from folder (ending with the separator, or empty for the current folder) every
// temporary of ours whose owner process is gone and whose lock can be taken: a part file
// alone, a staging folder with what is in it. Names of any other kind, entries of another
// user and links are left alone.
void SweepLitter(const std::string& folder);

}  // namespace owned_temporary
