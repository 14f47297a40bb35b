// The serial channel's part that is the same on every platform: the checks around each
// transfer, its trace, the interrupt flags and the settings. The platform files move the bytes.
#include "core/link/serial_channel.h"

#include <utility>

#include "core/link/serial_channel_state.h"

Result SerialChannel::Open(const std::string& device, int baud, int byteSize, int stopBits,
                           int parity) {
    Close();
    m_state->device = device;
    m_state->interruptedUntilClosed.store(false);
    m_state->lastReceiveGotNothing.store(false);
    Result opened = OpenPort(device, baud, byteSize, stopBits, parity);
    m_bOpen = opened.IsOk();
    return opened;
}

void SerialChannel::Close() {
    if (!m_bOpen) return;
    ClosePort();
    m_bOpen = false;
}

bool SerialChannel::IsOpen() const {
    return m_bOpen;
}

Result SerialChannel::Send(const std::uint8_t* bytes, int count) {
    if (!m_bOpen) return {Result::Category::NotConnected, {}};
    int sent = 0;
    Result result = SendBytes(bytes, count, &sent);
    m_state->Trace(WireEvent::Direction::Sent, bytes, sent, count);
    return result;
}

Result SerialChannel::Receive(std::uint8_t* buffer, int count, int* received) {
    if (received) *received = 0;
    if (!m_bOpen) return {Result::Category::NotConnected, {}};
    if (count <= 0) return {};
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_state->replyTimeoutMs);
    int got = 0;
    Result failure = ReceiveBytes(buffer, count, deadline, &got);
    m_state->lastReceiveGotNothing.store(got == 0);
    m_state->Trace(WireEvent::Direction::Received, buffer, got, count);
    if (received) *received = got;
    return got == count ? Result::Ok() : failure;
}

void SerialChannel::SetReplyTimeout(int milliseconds) {
    m_state->replyTimeoutMs = milliseconds;
}

int SerialChannel::ReplyTimeout() const {
    return m_state->replyTimeoutMs;
}

void SerialChannel::SetWireTrace(WireTrace trace) {
    m_state->trace = std::move(trace);
}

void SerialChannel::Interrupt() {
    if (!m_state) return;
    m_state->interrupted.store(true);
    Wake();
}

void SerialChannel::InterruptUntilClosed() {
    if (!m_state) return;
    m_state->interruptedUntilClosed.store(true);
    Wake();
}

void SerialChannel::ClearInterrupt() {
    m_state->interrupted.store(false);
    ClearWake();
}

bool SerialChannel::LastReceiveGotNothing() const {
    return m_state->lastReceiveGotNothing.load();
}
