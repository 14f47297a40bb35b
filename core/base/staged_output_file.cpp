// The staged output file's parts that every system shares; the rest is the platform's.
#include "core/base/staged_output_file.h"

#include <atomic>
#include <cerrno>

#include "core/base/owned_temporary.h"
#include "core/base/system_error_text.h"

StagedOutputFile::~StagedOutputFile() {
    Discard();
}

bool StagedOutputFile::Fail(const std::string& what, int err) {
    if (m_error.empty()) {
        m_reason = ReasonFor(err);
        m_error = what + " " + m_targetPath + ": " + m_reason;
    }
    return false;
}

bool StagedOutputFile::FailNotOpen() {
    if (m_error.empty()) {
        m_reason = SystemErrorText(EBADF);
        m_error = "cannot write " + m_targetPath + ": " + m_reason;
    }
    return false;
}

bool StagedOutputFile::Write(const std::uint8_t* data, std::size_t size) {
    if (!m_fd.Valid()) return FailNotOpen();
    if (!m_error.empty()) return false;
    if (m_buffer.size() + size > kBufferBytes && !Flush()) return false;
    if (size >= kBufferBytes) {
        m_buffer.assign(data, data + size);
        return Flush();
    }
    m_buffer.insert(m_buffer.end(), data, data + size);
    return true;
}

int StagedOutputFile::Descriptor() {
    if (!m_fd.Valid() || !m_error.empty() || !Flush()) return -1;
    return m_fd.Get();
}

bool StagedOutputFile::Create(const std::string& targetPath) {
    Discard();
    m_targetPath = targetPath;
    m_error.clear();
    m_reason.clear();
    m_targetExists = false;
    m_buffer.clear();
    m_buffer.reserve(kBufferBytes);

    std::string folder, name;
    SplitPath(targetPath, folder, name);
    if (name.empty() || IsFolder(targetPath)) return Fail("cannot create", kErrorIsFolder);
    // What a run that was killed while writing here left behind goes first.
    owned_temporary::SweepLitter(folder);
    // A dot name the file lists do not show; unique through the process id and a counter, and
    // created only where nothing was, so that a leftover of an earlier run is never reused or
    // overwritten. The lock held until the file is closed tells a later run that its owner is
    // still at work.
    static std::atomic<unsigned> counter{0};
    const std::string stem = name.size() <= 200 ? name : std::string("sonoret");
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate =
            folder + owned_temporary::PartFileName(stem, ProcessId(), counter.fetch_add(1));
        const int err = CreateFresh(candidate);
        if (err == 0) {
            owned_temporary::Hold(m_fd.Get());
            m_tempPath = candidate;
            return true;
        }
        if (err != kTaken) return Fail("cannot create", err);
    }
    return Fail("cannot create", kErrorNameTaken);
}

bool StagedOutputFile::Retarget(const std::string& targetPath) {
    std::string folder, name, newFolder, newName;
    SplitPath(m_targetPath, folder, name);
    SplitPath(targetPath, newFolder, newName);
    if (newFolder != folder || newName.empty()) return false;
    m_targetPath = targetPath;
    m_targetExists = false;
    return true;
}

bool StagedOutputFile::Commit() {
    if (m_tempPath.empty()) return Fail("cannot write", kErrorNotOpen);
    m_targetExists = false;
    bool ok = m_error.empty();
    // A commit after TargetExists finds the file closed already. A crash after the rename must
    // not leave a file that is only named whole: it is synced first.
    if (ok && m_fd.Valid()) ok = Flush() && Seal();
    if (ok) {
        const int err = MoveIntoPlace();
        if (err == kTaken) {
            m_targetExists = true;
            return false;
        }
        if (err != 0) ok = Fail("cannot create", err);
    }
    if (!ok) {
        Discard();
        return false;
    }
    m_tempPath.clear();
    return true;
}

void StagedOutputFile::Discard() {
    m_fd.Reset();
    if (!m_tempPath.empty()) RemoveFile(m_tempPath);
    m_tempPath.clear();
    m_buffer.clear();
}
