#include "core/link/recorder_link.h"

#include "core/link/exchange_guard.h"
#include "core/link/recorder_clock.h"
#include "core/res/strings.h"
#include "core/res/text_format.h"

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
    const Result opened = m_serial.Open(device, kBaudRate, kByteSize, kStopBits, kParity);
    if (!opened && owner) {
        // The device and the system's reason (no such device, in use, permission denied) tell
        // the user which cable, adapter or setting to look at.
        std::string message = text::kSerialInitError;
        if (!opened.Detail().empty()) {
            message += text::Format(text::kSerialInitReason, opened.Detail());
        }
        owner->ShowMessage(message);
    }
    m_decoder.Load();
    m_bConnected = opened ? 1 : 0;
    return m_bConnected;
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
    if (on) {
        m_protocol.ModeOn(&m_nMode);
    } else {
        m_protocol.ModeOff();
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
    DirectoryBlock block;
    if (!m_protocol.ReadDirectory(&block)) return 0;
    m_directory.marker = block.marker;
    for (int f = 0; f < kFolderCount; ++f) {
        // The directory has room for 100 messages a folder; a larger count is line noise or a
        // recorder fault and must not lead to reading past the entries.
        const int count = block.counts[f];
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
    MessageHeader header;
    if (!m_protocol.FetchHeader(folder, message, &header)) return 0;
    m_directory.Entry(folder, message).header = header;
    return 1;
}

int RecorderLink::DeleteMessage(int folder, int message) {
    ExchangeGuard guard(m_busy);
    if (!guard || !m_bConnected) return 0;
    if (folder < 0 || folder >= kFolderCount || message < 1 || message > kMaxMessages) return 0;
    m_serial.ClearInterrupt();
    return m_protocol.DeleteMessage(folder, message) ? 1 : 0;
}

int RecorderLink::SetTime(int hour, int minute) {
    ExchangeGuard guard(m_busy);
    if (!guard || !m_bConnected) return 0;
    m_serial.ClearInterrupt();
    return m_protocol.SetTime(TimeValue(hour, minute)) ? 1 : 0;
}

int RecorderLink::SetDate(int year, int month, int day) {
    ExchangeGuard guard(m_busy);
    if (!guard || !m_bConnected) return 0;
    m_serial.ClearInterrupt();
    return m_protocol.SetDate(DateValue(year, month, day)) ? 1 : 0;
}

std::string RecorderLink::MessagePath(int folder, int message, const char* extension) const {
    const std::string folderPath = m_pOwner ? m_pOwner->WorkingFolder() : std::string();
    return folderPath + MessageFileName(folder, message, extension);
}

bool RecorderLink::IsBusy() const {
    return m_busy.load();
}
