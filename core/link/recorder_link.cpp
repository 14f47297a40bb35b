#include "core/link/recorder_link.h"

#include "core/link/exchange_guard.h"
#include "core/link/recorder_clock.h"

namespace {

Result NoSuchMessage() {
    return {Result::Category::BadRequest, "no such message"};
}

}  // namespace

RecorderLink::~RecorderLink() {
    StopDownload();
}

Result RecorderLink::Initialise(const std::string& device) {
    StopDownload();
    // Called from a connect's progress pump (the user picked another port): the connect stops
    // as cancelled at its next step instead of talking to the new port.
    if (m_busy.load()) m_cancelRequested.store(true);
    return m_serial.Open(device, kBaudRate, kByteSize, kStopBits, kParity);
}

Result RecorderLink::SetMode(int on) {
    ExchangeGuard guard(m_busy);
    if (!guard) return ExchangeGuard::Refused();
    // Mode off is how a session ends, also one that was just cancelled: it leaves a cancel in
    // force, so the goodbye costs no wait.
    if (!on) return m_protocol.ModeOff();
    m_serial.ClearInterrupt();
    return m_protocol.ModeOn(&m_nMode);
}

Result RecorderLink::ReadDirectory() {
    ExchangeGuard guard(m_busy);
    if (!guard) return ExchangeGuard::Refused();
    m_serial.ClearInterrupt();
    return DoReadDirectory();
}

Result RecorderLink::DoReadDirectory() {
    // The directory is always asked for in transfer mode; whether the mode frame was answered
    // only tells the variant.
    if (Result mode = m_protocol.ModeOn(&m_nMode); mode.Is(Result::Category::NotConnected)) {
        return mode;
    }
    DirectoryBlock block;
    if (Result read = m_protocol.ReadDirectory(&block); !read) return read;
    m_directory.Apply(block);
    return {};
}

Result RecorderLink::FetchHeader(int folder, int message) {
    ExchangeGuard guard(m_busy);
    if (!guard) return ExchangeGuard::Refused();
    m_serial.ClearInterrupt();
    return DoFetchHeader(folder, message);
}

Result RecorderLink::DoFetchHeader(int folder, int message) {
    if (!IsConnected()) return {Result::Category::NotConnected, {}};
    if (!MessageDirectory::InRange(folder, message)) return NoSuchMessage();
    MessageHeader header;
    if (Result fetched = m_protocol.FetchHeader(folder, message, &header); !fetched) {
        return fetched;  // the header read before stays
    }
    m_directory.Entry(folder, message).header = header;
    return {};
}

Result RecorderLink::DeleteMessage(int folder, int message) {
    ExchangeGuard guard(m_busy);
    if (!guard) return ExchangeGuard::Refused();
    if (!IsConnected()) return {Result::Category::NotConnected, {}};
    if (!MessageDirectory::InRange(folder, message)) return NoSuchMessage();
    m_serial.ClearInterrupt();
    return m_protocol.DeleteMessage(folder, message);
}

Result RecorderLink::SetTime(int hour, int minute) {
    ExchangeGuard guard(m_busy);
    if (!guard) return ExchangeGuard::Refused();
    m_serial.ClearInterrupt();
    return m_protocol.SetTime(TimeValue(hour, minute));
}

Result RecorderLink::SetDate(int year, int month, int day) {
    ExchangeGuard guard(m_busy);
    if (!guard) return ExchangeGuard::Refused();
    m_serial.ClearInterrupt();
    return m_protocol.SetDate(DateValue(year, month, day));
}

Result RecorderLink::RemoveEntry(int folder, int message, const std::string& workingFolder) {
    return m_directory.RemoveEntry(folder, message, workingFolder);
}

void RecorderLink::Cancel() {
    m_cancelRequested.store(true);
    m_serial.Interrupt();
    m_download.Cancel();
}
