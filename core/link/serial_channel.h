#pragma once
#include <cstdint>
#include <memory>
#include <string>

// The byte pipe to the recorder: one serial device, opened exclusively and configured raw,
// with blocking, bounded operations. It knows nothing of the protocol.
//
// Thread-safety: one exchange at a time. Open, Close, Send, BytesAvailable and Receive must not
// overlap (the recorder link guarantees that); Interrupt may be called from any thread, and from
// a signal handler, at any time.
class SerialChannel {
public:
    static constexpr int kWriteTimeoutMs = 1000;  // per byte
    static constexpr int kReadTimeoutMs = 3000;   // per Receive

    SerialChannel();
    ~SerialChannel();
    SerialChannel(const SerialChannel&) = delete;
    SerialChannel& operator=(const SerialChannel&) = delete;

    // Opens the device (closing any earlier one first) with the given line settings:
    // stopBits 0 = one stop bit, parity 0 = none (the recorder's line is 38400, 8, 0, 0).
    // 1 when open and configured, else 0 with LastError() telling why.
    int Open(const std::string& device, int baud, int byteSize, int stopBits, int parity);
    int Close();  // always 1
    bool IsOpen() const;

    // Discards whatever waits in the input queue, then writes the bytes one at a time, each
    // waited for at most kWriteTimeoutMs. Returns count, or 0 when not open.
    int Send(const std::uint8_t* bytes, int count);
    // Bytes waiting in the driver's input queue; 0 when not open.
    int BytesAvailable();
    // Reads up to count bytes within kReadTimeoutMs. Returns the number of bytes actually
    // received (count when all came, fewer when the wait ran out part-way), -1 on failure or
    // when nothing came, -2 when not open. Bytes beyond the returned number are untouched.
    int Receive(std::uint8_t* buffer, int count);

    // Wakes a Receive that is waiting now, and keeps every later one from waiting, until
    // ClearInterrupt: each returns at once with what has already come. A cancelled operation
    // thus ends without a further wait, whatever exchanges it still makes on its way out.
    // Async-signal-safe.
    void Interrupt();
    // Ends an Interrupt (a cancel left over from an operation that already ended). Called at
    // the start of each new operation, never while one waits.
    void ClearInterrupt();
    // An Interrupt that ClearInterrupt does not end; only the next Open does. For a program
    // that is stopping (Ctrl-C on the command line): whatever it still says on its way out, no
    // reply is waited for. Async-signal-safe.
    void InterruptUntilClosed();

    // True when the last Receive got no byte at all: nothing came within its wait, the line
    // failed, or an interrupt ended it first.
    bool LastReceiveGotNothing() const;

    std::string LastError() const;

private:
    struct Port;  // the platform's part (serial_channel_posix.cpp)
    std::unique_ptr<Port> m_port;
    int m_bOpen = 0;
};
