#include "core/link/recorder_protocol.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <thread>

namespace {

constexpr std::uint8_t kFrameStart = 0xAA;
constexpr std::uint8_t kCmdMode = 0xAA;
constexpr std::uint8_t kCmdDirectory = 0xBD;
constexpr std::uint8_t kCmdHeader = 0xB1;
constexpr std::uint8_t kCmdDelete = 0xBE;
constexpr std::uint8_t kCmdSetTime = 0xC1;
constexpr std::uint8_t kCmdSetDate = 0xC2;
constexpr std::uint8_t kCmdDownload = 0xBF;
constexpr std::uint8_t kNoEchoCheck = 0x00;

void Pause() {
    std::this_thread::sleep_for(std::chrono::milliseconds(RecorderProtocol::kCommandPauseMs));
}

std::uint8_t Low(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}
std::uint8_t High(int value) {
    return static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

}  // namespace

Result RecorderProtocol::SendFrame(std::uint8_t command, std::uint8_t p1, std::uint8_t p2) {
    const std::array<std::uint8_t, 4> frame{kFrameStart, command, p1, p2};
    return m_channel.Send(frame.data(), static_cast<int>(frame.size()));
}

Result RecorderProtocol::ReceiveStatus(std::uint8_t echo, std::uint8_t* status) {
    std::array<std::uint8_t, kStatusSize> reply{};
    Result received = m_channel.Receive(reply.data(), kStatusSize);
    if (!received) return received;
    if (status) std::copy(reply.begin(), reply.end(), status);
    if (echo != kNoEchoCheck && reply[1] != echo) return {Result::Category::ReplyWrong, {}};
    return {};
}

Result RecorderProtocol::ModeOn(int* mode) {
    if (!m_channel.IsOpen()) return {Result::Category::NotConnected, {}};
    std::array<std::uint8_t, kStatusSize> reply;
    reply.fill(0x80);
    SendFrame(kCmdMode, 0xAA, 0x55);
    // Any answer counts, even part of one: bytes that did not come keep 0x80, so only a
    // recorder that really sent 0x01 in byte 2 is taken for the first variant.
    int received = 0;
    m_channel.Receive(reply.data(), kStatusSize, &received);
    if (received > 0) *mode = reply[2] == 0x01 ? 1 : 2;
    return {};
}

Result RecorderProtocol::ModeOff() {
    if (!m_channel.IsOpen()) return {Result::Category::NotConnected, {}};
    // The reply is ignored. A line that did not answer the exchange before will not answer
    // this one either: it is not worth another full wait.
    const bool lineSilent = m_channel.LastReceiveGotNothing();
    SendFrame(kCmdMode, 0x00, 0xFF);
    std::array<std::uint8_t, kStatusSize> reply{};
    if (!lineSilent) m_channel.Receive(reply.data(), kStatusSize);
    return {};
}

Result RecorderProtocol::ReadDirectory(DirectoryBlock* block) {
    if (!m_channel.IsOpen()) return {Result::Category::NotConnected, {}};
    if (Result sent = SendFrame(kCmdDirectory, 0x00, 0x00); !sent) return sent;
    if (Result status = ReceiveStatus(kCmdDirectory); !status) return status;
    std::array<std::uint8_t, kDirectoryBlockSize> data{};
    if (Result received = m_channel.Receive(data.data(), kDirectoryBlockSize); !received) {
        return received;
    }
    block->marker = data[0];
    std::copy(data.begin() + 7, data.begin() + 7 + kFolderCount, block->counts.begin());
    return {};
}

Result RecorderProtocol::FetchHeader(int folder, int message, MessageHeader* header) {
    if (!m_channel.IsOpen()) return {Result::Category::NotConnected, {}};
    if (Result sent = SendFrame(kCmdHeader, Low(folder), Low(message)); !sent) return sent;
    Pause();
    if (Result status = ReceiveStatus(kNoEchoCheck); !status) return status;
    std::array<std::uint8_t, kHeaderBlockSize> data{};
    if (Result received = m_channel.Receive(data.data(), kHeaderBlockSize); !received) {
        return received;
    }
    std::copy(data.begin(), data.begin() + header->bytes.size(), header->bytes.begin());
    return {};
}

Result RecorderProtocol::DeleteMessage(int folder, int message) {
    if (!m_channel.IsOpen()) return {Result::Category::NotConnected, {}};
    if (Result sent = SendFrame(kCmdDelete, Low(folder), Low(message)); !sent) return sent;
    Pause();
    return ReceiveStatus(kNoEchoCheck);
}

Result RecorderProtocol::SetTime(int timeValue) {
    if (!m_channel.IsOpen()) return {Result::Category::NotConnected, {}};
    if (Result sent = SendFrame(kCmdSetTime, Low(timeValue), High(timeValue)); !sent) return sent;
    Pause();
    return ReceiveStatus(kCmdSetTime);
}

Result RecorderProtocol::SetDate(int dateValue) {
    if (!m_channel.IsOpen()) return {Result::Category::NotConnected, {}};
    if (Result sent = SendFrame(kCmdSetDate, Low(dateValue), High(dateValue)); !sent) return sent;
    return ReceiveStatus(kCmdSetDate);
}

Result RecorderProtocol::RequestTransfer(int folder, int message, int* blocks) {
    if (!m_channel.IsOpen()) return {Result::Category::NotConnected, {}};
    if (Result sent = SendFrame(kCmdDownload, Low(folder), Low(message)); !sent) return sent;
    std::array<std::uint8_t, kStatusSize> status{};
    if (Result received = ReceiveStatus(kNoEchoCheck, status.data()); !received) return received;
    *blocks = status[2] | status[3] << 8;
    return {};
}

Result RecorderProtocol::ReceiveBlock(std::uint8_t* block, int* received) {
    return m_channel.Receive(block, kDirectoryBlockSize, received);
}

Result RecorderProtocol::SendCancelFiller() {
    const std::array<std::uint8_t, kCancelFillerSize> filler{};
    return m_channel.Send(filler.data(), kCancelFillerSize);
}
