#pragma once
#include <utility>

// close(), or its counterpart where descriptors are the C runtime's (Windows): 0 when it went
// well.
int CloseDescriptor(int fd);

// Owns one file descriptor and closes it on every path out, also on the early failures of
// whatever is opening it. The serial channel, the file system and the emulator's
// pseudo-terminal all hold theirs in one.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }
    // Gives the descriptor up without closing it.
    int Release() { return std::exchange(m_fd, -1); }
    // Closes the descriptor held, if any, and holds fd instead.
    void Reset(int fd = -1) {
        if (m_fd >= 0) CloseDescriptor(m_fd);
        m_fd = fd;
    }
    // Closes it now and tells whether the close went well: a file's last write error may only
    // show here.
    bool Close() { return m_fd < 0 || CloseDescriptor(std::exchange(m_fd, -1)) == 0; }

private:
    int m_fd = -1;
};
