// The staged output file's parts that every system shares; the rest is the platform's.
#include "core/base/staged_output_file.h"

#include <cerrno>

#include "core/base/system_error_text.h"

StagedOutputFile::~StagedOutputFile() {
    Discard();
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
