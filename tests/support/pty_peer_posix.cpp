#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>

#include "tests/support/pty_peer.h"

namespace {

void MakeRaw(int fd, bool recorderSpeed) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) return;
    ::cfmakeraw(&settings);
    if (recorderSpeed) {
        settings.c_cflag |= CLOCAL | CREAD;
        ::cfsetispeed(&settings, B38400);
        ::cfsetospeed(&settings, B38400);
    }
    ::tcsetattr(fd, TCSANOW, &settings);
}

int MillisecondsUntil(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

}  // namespace

PtyPeer::PtyPeer() {
    m_fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) return;
    if (::grantpt(m_fd) != 0 || ::unlockpt(m_fd) != 0) {
        Close();
        return;
    }
    char name[128];
    if (::ptsname_r(m_fd, name, sizeof name) != 0) {
        Close();
        return;
    }
    m_slavePath = name;
    MakeRaw(m_fd, false);
}

PtyPeer::PtyPeer(const std::string& device) {
    m_fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd >= 0) MakeRaw(m_fd, true);
}

PtyPeer::~PtyPeer() {
    Close();
}

void PtyPeer::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

void PtyPeer::Flush() {
    ::tcflush(m_fd, TCIFLUSH);
}

void PtyPeer::Send(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        pollfd p{m_fd, POLLOUT, 0};
        if (::poll(&p, 1, 1000) <= 0 || (p.revents & (POLLHUP | POLLERR))) return;
    }
}

std::vector<std::uint8_t> PtyPeer::Receive(std::size_t count, std::chrono::milliseconds wait) {
    std::vector<std::uint8_t> bytes;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (bytes.size() < count) {
        std::uint8_t chunk[4096];
        const ssize_t n = ::read(m_fd, chunk, std::min(sizeof chunk, count - bytes.size()));
        if (n > 0) {
            bytes.insert(bytes.end(), chunk, chunk + n);
            continue;
        }
        const int left = MillisecondsUntil(deadline);
        if (left <= 0) break;
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, left) <= 0) break;
        if (!(p.revents & POLLIN)) break;  // hung up
    }
    return bytes;
}

std::vector<std::uint8_t> PtyPeer::Request(const emu::Frame& frame, std::size_t replySize,
                                           std::chrono::milliseconds wait) {
    Flush();
    Send(frame);
    return Receive(replySize, wait);
}

bool PtyPeer::HangsUp(std::chrono::milliseconds wait) {
    pollfd p{m_fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(wait.count())) <= 0) return false;
    return (p.revents & (POLLHUP | POLLERR)) != 0;
}

std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& bytes, std::size_t from,
                                std::size_t count) {
    if (from >= bytes.size()) return {};
    count = std::min(count, bytes.size() - from);
    return {bytes.begin() + static_cast<std::ptrdiff_t>(from),
            bytes.begin() + static_cast<std::ptrdiff_t>(from + count)};
}
