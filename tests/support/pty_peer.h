#pragma once
#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "emulator/recorder_emulator.h"

// One end of a pseudo-terminal, driven byte by byte by a test. Two kinds:
//  - PtyPeer(): a new pseudo-terminal whose master side the test holds; the code under test
//    opens SlavePath() as its port (the serial channel's tests).
//  - PtyPeer(device): a device that exists already (the emulator's), opened the way the
//    program opens its port: raw, 38400 baud, non-blocking.
// Either way the test sends whole writes and receives with a deadline.
class PtyPeer {
public:
    PtyPeer();
    explicit PtyPeer(const std::string& device);
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    // The device the code under test opens (a new pseudo-terminal's slave side).
    const std::string& SlavePath() const { return m_slavePath; }
    // Closes this end. For a new pseudo-terminal the device disappears: reads and writes on
    // the slave side fail from now on.
    void Close();

    // Throws away what waits to be read, as the program does before each request.
    void Flush();
    // Writes all of bytes, giving up when the other side takes nothing for a second or hung up.
    void Send(const std::vector<std::uint8_t>& bytes);
    // A request frame (a template, so that a braced list of bytes means the vector).
    template <std::size_t N>
    void Send(const std::array<std::uint8_t, N>& frame) {
        Send(std::vector<std::uint8_t>(frame.begin(), frame.end()));
    }
    // Up to count bytes, as many as arrive before the wait runs out or the other side hangs up.
    std::vector<std::uint8_t> Receive(std::size_t count,
                                      std::chrono::milliseconds wait = std::chrono::seconds(3));
    // One exchange as the program makes it: purge, request, reply of a known length.
    std::vector<std::uint8_t> Request(const emu::Frame& frame, std::size_t replySize,
                                      std::chrono::milliseconds wait = std::chrono::seconds(3));
    // True when the other side went away within the wait.
    bool HangsUp(std::chrono::milliseconds wait = std::chrono::seconds(2));

private:
    int m_fd = -1;
    std::string m_slavePath;
};

// Bytes from..from+count of a reply (fewer where it is shorter), for comparisons.
std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& bytes, std::size_t from,
                                std::size_t count);
