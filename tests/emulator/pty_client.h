#pragma once
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "emulator/recorder_emulator.h"

// The least a program needs to talk to the emulator: the device opened the way the program
// opens its port (raw, non-blocking), whole writes, reads bounded by a deadline.
class PtyClient {
public:
    explicit PtyClient(const std::string& path) {
        m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0) return;
        termios settings{};
        tcgetattr(m_fd, &settings);
        cfmakeraw(&settings);
        settings.c_cflag |= CLOCAL | CREAD;
        cfsetispeed(&settings, B38400);
        cfsetospeed(&settings, B38400);
        tcsetattr(m_fd, TCSANOW, &settings);
    }
    ~PtyClient() { Close(); }
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    void Close() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }

    // Throws away what waits to be read, as the program does before each request.
    void Flush() { tcflush(m_fd, TCIFLUSH); }

    void Send(const std::vector<std::uint8_t>& bytes) {
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
    void Send(const emu::Frame& frame) {
        Send(std::vector<std::uint8_t>(frame.begin(), frame.end()));
    }

    // Up to `count` bytes, as many as arrive before the wait runs out.
    std::vector<std::uint8_t> Receive(std::size_t count,
                                      std::chrono::milliseconds wait = std::chrono::seconds(3)) {
        std::vector<std::uint8_t> bytes;
        const auto deadline = std::chrono::steady_clock::now() + wait;
        while (bytes.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
            if (!(p.revents & POLLIN)) break;  // hung up
            std::uint8_t chunk[4096];
            const ssize_t n = ::read(m_fd, chunk, std::min(sizeof chunk, count - bytes.size()));
            if (n <= 0) break;
            bytes.insert(bytes.end(), chunk, chunk + n);
        }
        return bytes;
    }

    // One exchange as the program makes it: purge, request, reply of a known length.
    std::vector<std::uint8_t> Request(const emu::Frame& frame, std::size_t replySize,
                                      std::chrono::milliseconds wait = std::chrono::seconds(3)) {
        Flush();
        Send(frame);
        return Receive(replySize, wait);
    }

    // True when the other side went away within the wait.
    bool HangsUp(std::chrono::milliseconds wait = std::chrono::seconds(2)) {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(wait.count())) <= 0) return false;
        return (p.revents & (POLLHUP | POLLERR)) != 0;
    }

private:
    int m_fd = -1;
};

// The request frames, as the program builds them.
namespace frames {
inline constexpr emu::Frame kModeOn{0xAA, 0xAA, 0xAA, 0x55};
inline constexpr emu::Frame kModeOff{0xAA, 0xAA, 0x00, 0xFF};
inline constexpr emu::Frame kDirectory{0xAA, 0xBD, 0x00, 0x00};
inline emu::Frame Header(int f, int m) {
    return {0xAA, 0xB1, static_cast<std::uint8_t>(f), static_cast<std::uint8_t>(m)};
}
inline emu::Frame Delete(int f, int m) {
    return {0xAA, 0xBE, static_cast<std::uint8_t>(f), static_cast<std::uint8_t>(m)};
}
inline emu::Frame Download(int f, int m) {
    return {0xAA, 0xBF, static_cast<std::uint8_t>(f), static_cast<std::uint8_t>(m)};
}
inline emu::Frame SetTime(int value) {
    return {0xAA, 0xC1, static_cast<std::uint8_t>(value & 0xFF),
            static_cast<std::uint8_t>(value >> 8)};
}
inline emu::Frame SetDate(int value) {
    return {0xAA, 0xC2, static_cast<std::uint8_t>(value & 0xFF),
            static_cast<std::uint8_t>(value >> 8)};
}
}  // namespace frames

// Bytes a..b of a reply, for comparisons.
inline std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& bytes, std::size_t from,
                                       std::size_t count) {
    if (from >= bytes.size()) return {};
    count = std::min(count, bytes.size() - from);
    return {bytes.begin() + static_cast<std::ptrdiff_t>(from),
            bytes.begin() + static_cast<std::ptrdiff_t>(from + count)};
}
