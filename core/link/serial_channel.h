#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "core/base/result.h"
#include "core/link/wire_trace.h"

// The byte pipe to the recorder: one serial device, opened exclusively and configured raw,
// with blocking, bounded operations. It knows nothing of the protocol.
//
// Thread-safety: one exchange at a time. Open, Close, Send, BytesAvailable, Receive and the
// setters must not overlap (the recorder link guarantees that); Interrupt may be called from
// any thread, and from a signal handler, at any time.
class SerialChannel {
public:
    static constexpr int kWriteTimeoutMs = 1000;         // per byte
    static constexpr int kDefaultReplyTimeoutMs = 3000;  // per Receive

    SerialChannel();
    ~SerialChannel();
    SerialChannel(const SerialChannel&) = delete;
    SerialChannel& operator=(const SerialChannel&) = delete;

    // Opens the device (closing any earlier one first) with the given line settings:
    // stopBits 0 = one stop bit, parity 0 = none (the recorder's line is 38400, 8, 0, 0).
    // PortNotOpened, with the device and the system's reason, when it cannot be.
    Result Open(const std::string& device, int baud, int byteSize, int stopBits, int parity);
    void Close();
    bool IsOpen() const;

    // Discards whatever waits in the input queue, then writes the bytes one at a time, each
    // waited for at most kWriteTimeoutMs. NotConnected when not open; LineSilent when the line
    // took no byte for a whole wait or failed (the rest is given up); Cancelled when an
    // interrupt ended a wait.
    Result Send(const std::uint8_t* bytes, int count);
    // Bytes waiting in the driver's input queue; 0 when not open.
    int BytesAvailable();
    // Reads count bytes within the reply time-out; *received (when given) tells how many came,
    // and bytes beyond them are untouched. Ok when all came; LineSilent when nothing came or
    // the line failed; ReplyWrong when only part came within the wait; Cancelled when an
    // interrupt ended the wait first; NotConnected when not open.
    Result Receive(std::uint8_t* buffer, int count, int* received = nullptr);

    // How long a Receive waits for its reply: the recorder's 3000 ms unless a test asks for
    // less, so that the faults of a line cost it a moment instead of seconds.
    void SetReplyTimeout(int milliseconds);
    int ReplyTimeout() const;
    // Every Send and Receive from now on is reported to trace (none when empty).
    void SetWireTrace(WireTrace trace);

    // Wakes a Send or Receive that is waiting now, and keeps every later one from waiting,
    // until ClearInterrupt: each ends at once with what has already gone out or come in. A
    // cancelled operation thus ends without a further wait, whatever exchanges it still makes
    // on its way out. Async-signal-safe.
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

private:
    using Clock = std::chrono::steady_clock;
    struct State;  // what every platform keeps alike (serial_channel_state.h)
    struct Port;   // the platform's part (serial_channel_posix.cpp, serial_channel_win32.cpp)

    // The platform's parts of the operations; serial_channel.cpp does the rest alike.
    // OpenPort sets up the device and keeps it in m_port, ClosePort lets it go again.
    Result OpenPort(const std::string& device, int baud, int byteSize, int stopBits, int parity);
    void ClosePort();
    // Writes the bytes as Send tells; *sent counts those that went out.
    Result SendBytes(const std::uint8_t* bytes, int count, int* sent);
    // Reads count bytes until deadline as Receive tells; *received counts those that came.
    Result ReceiveBytes(std::uint8_t* buffer, int count, Clock::time_point deadline, int* received);
    // Makes a waiting Send or Receive look at the interrupt flags. Async-signal-safe.
    void Wake();
    // Takes back a wake-up that an interrupt now ended left behind.
    void ClearWake();

    std::unique_ptr<State> m_state;
    std::unique_ptr<Port> m_port;
    bool m_bOpen = false;
};
