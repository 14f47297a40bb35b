#include "core/link/recorder_link.h"

#include <array>
#include <chrono>
#include <thread>

#include "core/link/exchange_guard.h"
#include "core/link/recorder_clock.h"
#include "core/res/strings.h"
#include "core/res/text_format.h"

namespace {

constexpr std::uint8_t kFrameStart = 0xAA;
constexpr std::uint8_t kCmdMode = 0xAA;
constexpr std::uint8_t kCmdDirectory = 0xBD;
constexpr std::uint8_t kCmdHeader = 0xB1;
constexpr std::uint8_t kCmdDelete = 0xBE;
constexpr std::uint8_t kCmdSetTime = 0xC1;
constexpr std::uint8_t kCmdSetDate = 0xC2;
constexpr int kStatusSize = 4;

void Pause() {
    std::this_thread::sleep_for(std::chrono::milliseconds(RecorderLink::kCommandPauseMs));
}

}  // namespace

RecorderLink::RecorderLink() = default;

RecorderLink::~RecorderLink() {
    StopDownload();
}

int RecorderLink::Initialise(int port, LinkOwner* owner) {
    StopDownload();
    // Called from a connect's progress pump (the user picked another port): the connect stops
    // as cancelled at its next step instead of talking to the new port.
    if (m_busy.load()) m_cancelRequested.store(true);

    m_pOwner = owner;
    const std::string device =
        owner ? owner->DeviceForPort(port) : "/dev/ttyS" + std::to_string(port - 1);
    const int opened = m_serial.Open(device, kBaudRate, kByteSize, kStopBits, kParity);
    if (!opened && owner) {
        // The device and the system's reason (no such device, in use, permission denied) tell
        // the user which cable, adapter or setting to look at.
        std::string message = text::kSerialInitError;
        const std::string reason = m_serial.LastError();
        if (!reason.empty()) message += text::Format(text::kSerialInitReason, reason);
        owner->ShowMessage(message);
    }
    m_decoder.Load();
    m_bConnected = opened;
    return opened;
}

void RecorderLink::SendFrame(std::uint8_t command, std::uint8_t p1, std::uint8_t p2) {
    const std::array<std::uint8_t, 4> frame{kFrameStart, command, p1, p2};
    m_serial.Send(frame.data(), static_cast<int>(frame.size()));
}

bool RecorderLink::ReceiveExactly(std::uint8_t* buffer, int count) {
    // A reply that came only in part is a failed exchange: the rest of the buffer is stale.
    return m_serial.Receive(buffer, count) == count;
}

int RecorderLink::SetMode(int on) {
    ExchangeGuard guard(m_busy);
    if (!guard) return 0;
    // Mode off is how a session ends, also one that was just cancelled: it leaves a cancel in
    // force, so the goodbye costs no wait.
    if (on) m_serial.ClearInterrupt();
    return DoSetMode(on);
}

int RecorderLink::DoSetMode(int on) {
    if (!m_bConnected) return 0;
    std::array<std::uint8_t, kStatusSize> reply;
    reply.fill(0x80);
    if (on) {
        SendFrame(kCmdMode, 0xAA, 0x55);
        // Any answer counts, even part of one: bytes that did not come keep 0x80, so only a
        // recorder that really sent 0x01 in byte 2 is taken for the first variant.
        if (m_serial.Receive(reply.data(), kStatusSize) > 0) m_nMode = reply[2] == 0x01 ? 1 : 2;
    } else {
        // The reply is ignored. A line that did not answer the exchange before will not
        // answer this one either: it is not worth another full wait.
        const bool lineSilent = m_serial.LastReceiveGotNothing();
        SendFrame(kCmdMode, 0x00, 0xFF);
        if (!lineSilent) m_serial.Receive(reply.data(), kStatusSize);
    }
    return 1;
}

int RecorderLink::ReadDirectory() {
    ExchangeGuard guard(m_busy);
    if (!guard) return 0;
    m_serial.ClearInterrupt();
    return DoReadDirectory();
}

int RecorderLink::DoReadDirectory() {
    if (!m_bConnected) return 0;
    DoSetMode(1);
    SendFrame(kCmdDirectory, 0x00, 0x00);
    std::array<std::uint8_t, kStatusSize> status{};
    if (!ReceiveExactly(status.data(), kStatusSize) || status[1] != kCmdDirectory) return 0;
    std::array<std::uint8_t, kDirectoryBlockSize> block{};
    if (!ReceiveExactly(block.data(), kDirectoryBlockSize)) return 0;
    m_directory.marker = block[0];
    for (int f = 0; f < kFolderCount; ++f) {
        // The directory has room for 100 messages a folder; a larger count is line noise or a
        // recorder fault and must not lead to reading past the entries.
        const int count = block[7 + f];
        m_directory.count[f] =
            static_cast<std::uint8_t>(count > kMaxMessages ? kMaxMessages : count);
    }
    return 1;
}

int RecorderLink::FetchHeader(int folder, int message) {
    ExchangeGuard guard(m_busy);
    if (!guard) return 0;
    m_serial.ClearInterrupt();
    return DoFetchHeader(folder, message);
}

int RecorderLink::DoFetchHeader(int folder, int message) {
    if (!m_bConnected) return 0;
    if (folder < 0 || folder >= kFolderCount || message < 1 || message > kMaxMessages) return 0;
    SendFrame(kCmdHeader, static_cast<std::uint8_t>(folder), static_cast<std::uint8_t>(message));
    Pause();
    std::array<std::uint8_t, kStatusSize> status{};
    if (!ReceiveExactly(status.data(), kStatusSize)) return 0;
    std::array<std::uint8_t, kHeaderBlockSize> block{};
    if (!ReceiveExactly(block.data(), kHeaderBlockSize)) return 0;
    auto& header = m_directory.Entry(folder, message).header.bytes;
    std::copy(block.begin(), block.begin() + header.size(), header.begin());
    return 1;
}

int RecorderLink::DeleteMessage(int folder, int message) {
    ExchangeGuard guard(m_busy);
    if (!guard || !m_bConnected) return 0;
    if (folder < 0 || folder >= kFolderCount || message < 1 || message > kMaxMessages) return 0;
    m_serial.ClearInterrupt();
    SendFrame(kCmdDelete, static_cast<std::uint8_t>(folder), static_cast<std::uint8_t>(message));
    Pause();
    std::array<std::uint8_t, kStatusSize> status{};
    return ReceiveExactly(status.data(), kStatusSize) ? 1 : 0;
}

int RecorderLink::SetTime(int hour, int minute) {
    ExchangeGuard guard(m_busy);
    if (!guard || !m_bConnected) return 0;
    m_serial.ClearInterrupt();
    const int value = TimeValue(hour, minute);
    SendFrame(kCmdSetTime, static_cast<std::uint8_t>(value & 0xFF),
              static_cast<std::uint8_t>((value >> 8) & 0xFF));
    Pause();
    std::array<std::uint8_t, kStatusSize> status{};
    return ReceiveExactly(status.data(), kStatusSize) && status[1] == kCmdSetTime ? 1 : 0;
}

int RecorderLink::SetDate(int year, int month, int day) {
    ExchangeGuard guard(m_busy);
    if (!guard || !m_bConnected) return 0;
    m_serial.ClearInterrupt();
    const int value = DateValue(year, month, day);
    SendFrame(kCmdSetDate, static_cast<std::uint8_t>(value & 0xFF),
              static_cast<std::uint8_t>((value >> 8) & 0xFF));
    std::array<std::uint8_t, kStatusSize> status{};
    return ReceiveExactly(status.data(), kStatusSize) && status[1] == kCmdSetDate ? 1 : 0;
}

std::string RecorderLink::MessagePath(int folder, int message, const char* extension) const {
    const std::string folderPath = m_pOwner ? m_pOwner->WorkingFolder() : std::string();
    return folderPath + MessageFileName(folder, message, extension);
}

bool RecorderLink::IsBusy() const {
    return m_busy.load();
}
