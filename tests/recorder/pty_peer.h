#pragma once
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// The far end of a pseudo-terminal, driven byte by byte by a test: the channel under test
// opens the slave side, the test reads and writes the master.
class PtyPeer {
public:
    PtyPeer() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) return;
        m_slavePath = ::ptsname(m_master);
        termios tio{};
        ::tcgetattr(m_master, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(m_master, TCSANOW, &tio);
    }
    ~PtyPeer() { CloseMaster(); }
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    bool Ok() const { return m_master >= 0 && !m_slavePath.empty(); }
    const std::string& SlavePath() const { return m_slavePath; }

    void Write(const std::vector<std::uint8_t>& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else {
                pollfd pfd{m_master, POLLOUT, 0};
                if (::poll(&pfd, 1, 1000) <= 0) return;
            }
        }
    }

    // Reads until `count` bytes came or `timeout` passed.
    std::vector<std::uint8_t> Read(
        std::size_t count, std::chrono::milliseconds timeout = std::chrono::milliseconds(2000)) {
        std::vector<std::uint8_t> bytes;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (bytes.size() < count) {
            std::uint8_t buffer[512];
            const ssize_t n =
                ::read(m_master, buffer,
                       sizeof buffer < count - bytes.size() ? sizeof buffer : count - bytes.size());
            if (n > 0) {
                bytes.insert(bytes.end(), buffer, buffer + n);
                continue;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            if (left <= 0) break;
            pollfd pfd{m_master, POLLIN, 0};
            ::poll(&pfd, 1, static_cast<int>(left));
        }
        return bytes;
    }

    // The device disappears: reads and writes on the slave side fail from now on.
    void CloseMaster() {
        if (m_master >= 0) ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    std::string m_slavePath;
};
