#pragma once
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "core/base/byte_stream.h"
#include "core/base/unique_fd.h"

// The one way this program writes a file whole or not at all: it is written under a temporary
// name in the target's own folder (so the final rename cannot cross file systems), synced, and
// renamed over the target only by Commit. Anything not committed is removed, also when the
// object goes out of scope on an early return. Writes are buffered. The downloaded ".Bin",
// the converted ".wav", the copy that Save to Wav File makes and the command line's outputs
// all come through here.
class StagedOutputFile final : public ByteSink {
public:
    StagedOutputFile() = default;
    ~StagedOutputFile() override;  // discards unless committed
    StagedOutputFile(const StagedOutputFile&) = delete;
    StagedOutputFile& operator=(const StagedOutputFile&) = delete;

    // Creates a fresh temporary file beside targetPath; an existing target is not touched. A
    // folder at targetPath is refused at once, since no commit could replace it.
    bool Create(const std::string& targetPath);

    // Gives the file the permissions of the file at path, when there is one, so that a file
    // replaced keeps them (new files get the user's usual ones).
    bool KeepModeOf(const std::string& path);

    // Commit never replaces a file at the target: it then fails with TargetExists() and keeps
    // what was written, so that the caller may Retarget and commit again. Exported recordings
    // are never written over.
    void SetNoReplace() { m_noReplace = true; }
    // Another target in the same folder as the first (the temporary file stays where it is);
    // false for one in another folder.
    bool Retarget(const std::string& targetPath);
    // The last Commit found a file at the target and, told not to replace it, kept everything.
    bool TargetExists() const { return m_targetExists; }
    // The modification time the file is given when it is committed: a recording keeps the
    // time it was made, not the time it was copied.
    void SetModificationTime(std::time_t when) {
        m_modificationTime = when;
        m_hasModificationTime = true;
    }
    // The open file, everything written so far flushed, for writers that write it themselves
    // (the audio encoders); they write from the start and leave it open. -1 after a failure.
    int Descriptor();

    bool Write(const std::uint8_t* data, std::size_t size) override;
    // Overwrites bytes already written, e.g. a header whose sizes are known only at the end.
    bool WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t size);
    // Flushes, syncs and renames over the target. On failure the temporary file is removed
    // (except when TargetExists).
    bool Commit();
    // Removes the temporary file; safe to call at any time and more than once.
    void Discard();

    const std::string& TargetPath() const { return m_targetPath; }
    const std::string& TemporaryPath() const { return m_tempPath; }
    // "cannot write <target>: <the system's reason>"; empty while nothing went wrong.
    std::string Error() const override { return m_error; }
    // The system's reason alone ("No space left on device").
    const std::string& Reason() const { return m_reason; }

private:
    static constexpr std::size_t kBufferBytes = std::size_t{64} * 1024;

    bool Flush();
    // err is the system's code: errno, or GetLastError on Windows.
    bool Fail(const std::string& what, int err);
    bool FailNotOpen();

    // The platform's parts; staged_output_file.cpp does the rest alike.
    // The system's codes for a file that is not open, a target that is a folder and names that
    // are all taken.
    static const int kErrorNotOpen;
    static const int kErrorIsFolder;
    static const int kErrorNameTaken;
    // What CreateFresh and MoveIntoPlace give back for a name that something holds already.
    static constexpr int kTaken = -1;
    // The system's reason for err.
    static std::string ReasonFor(int err);
    // Folder part (with its separator) and file part of a path.
    static void SplitPath(const std::string& path, std::string& folder, std::string& name);
    static bool IsFolder(const std::string& path);
    static long ProcessId();
    // Creates a file at path that was not there and keeps it open in m_fd: 0, kTaken when the
    // name is taken (another is tried), or the system's code.
    int CreateFresh(const std::string& path);
    // Gives the open file its modification time (when one was set), syncs it to the disk and
    // closes it; false (through Fail) when any of that failed. It is closed either way.
    bool Seal();
    // Renames the temporary file to the target: 0, kTaken when told not to replace a file
    // there, or the system's code.
    int MoveIntoPlace();
    static void RemoveFile(const std::string& path);

    UniqueFd m_fd;
    std::string m_targetPath;
    std::string m_tempPath;
    std::vector<std::uint8_t> m_buffer;
    std::string m_error;
    std::string m_reason;
    bool m_noReplace = false;
    bool m_targetExists = false;
    bool m_hasModificationTime = false;
    std::time_t m_modificationTime = 0;
};
