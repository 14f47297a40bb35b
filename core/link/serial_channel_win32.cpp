// The serial channel on Windows: "COM<n>" through the device namespace ("\\.\COM12"; COM10 and
// up are reachable no other way), opened exclusively and driven by overlapped I/O, so that an
// interrupt (Cancel, Ctrl-C) ends a wait at once instead of when the driver's time-out runs out.
#include <windows.h>

#include "core/base/win32_text.h"
#include "core/link/serial_channel.h"
#include "core/link/serial_channel_state.h"

namespace {

// How long a byte written under an interrupt (the cancel filler, the mode-off frame) may take
// the driver: a line that takes bytes at all takes one within this.
constexpr DWORD kInterruptedWriteGraceMs = 50;

std::string OsError(const std::string& what, DWORD err) {
    std::string reason;
    switch (err) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_UNIT:
        case ERROR_DEV_NOT_EXIST:
            reason = "no such device";
            break;
        // Windows refuses a port another program holds open with "access denied".
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_BUSY:
            reason = "in use by another program";
            break;
        case ERROR_GEN_FAILURE:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_BAD_COMMAND:
            reason = "input/output error (device gone?)";
            break;
        default:
            reason = WindowsErrorText(err);
            break;
    }
    return what + ": " + reason;
}

Result NotOpened(const std::string& what, DWORD err) {
    return {Result::Category::PortNotOpened, OsError(what, err)};
}

Result LineFailed(const std::string& device, DWORD err) {
    return {Result::Category::LineSilent, OsError(device, err)};
}

// "COM7" as "\\.\COM7"; a name already in the device namespace ("\\.\COM12") as given.
std::string DeviceNamespaceName(const std::string& device) {
    if (device.rfind("\\\\", 0) == 0) return device;
    return "\\\\.\\" + device;
}

class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle() { Reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            Reset();
            m_handle = other.m_handle;
            other.m_handle = nullptr;
        }
        return *this;
    }
    HANDLE Get() const { return m_handle; }
    bool Valid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
    void Reset() {
        if (Valid()) ::CloseHandle(m_handle);
        m_handle = nullptr;
    }

private:
    HANDLE m_handle = nullptr;
};

}  // namespace

struct SerialChannel::Port {
    Handle port;
    // Signalled by Interrupt; a waiting Send or Receive waits on it beside its own I/O.
    Handle wake{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    // One event per direction, reused by every overlapped operation.
    Handle ioDone{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};

    // Waits for the overlapped operation until it ends, timeoutMs passes, or (with
    // wakeOnInterrupt) an interrupt comes; an operation still running then is cancelled. What
    // it moved is in *moved either way. 0, or the system's error for a failed operation.
    DWORD Await(OVERLAPPED& overlapped, DWORD timeoutMs, bool wakeOnInterrupt, DWORD* moved) {
        HANDLE events[2] = {overlapped.hEvent, wake.Get()};
        const DWORD woke =
            ::WaitForMultipleObjects(wakeOnInterrupt ? 2 : 1, events, FALSE, timeoutMs);
        if (woke != WAIT_OBJECT_0) ::CancelIoEx(port.Get(), &overlapped);
        *moved = 0;
        if (::GetOverlappedResult(port.Get(), &overlapped, moved, TRUE)) return 0;
        const DWORD err = ::GetLastError();
        *moved = static_cast<DWORD>(overlapped.InternalHigh);
        // Cancelled by us, or (Wine) the driver's own time-out: nothing more came.
        if (err == ERROR_OPERATION_ABORTED || err == ERROR_TIMEOUT) return 0;
        return err;
    }

    // One overlapped transfer started: 0 with *pending when it runs on, else its end.
    DWORD Started(BOOL done, DWORD* moved, OVERLAPPED& overlapped, bool* pending) {
        *pending = false;
        if (done)
            return ::GetOverlappedResult(port.Get(), &overlapped, moved, FALSE) ? 0
                                                                                : ::GetLastError();
        const DWORD err = ::GetLastError();
        if (err == ERROR_IO_PENDING) {
            *pending = true;
            return 0;
        }
        *moved = 0;
        return err == ERROR_TIMEOUT ? 0 : err;
    }

    OVERLAPPED Fresh() {
        ::ResetEvent(ioDone.Get());
        OVERLAPPED overlapped{};
        overlapped.hEvent = ioDone.Get();
        return overlapped;
    }
};

SerialChannel::SerialChannel()
    : m_state(std::make_unique<State>()), m_port(std::make_unique<Port>()) {}

SerialChannel::~SerialChannel() {
    Close();
}

Result SerialChannel::OpenPort(const std::string& device, int baud, int byteSize, int stopBits,
                               int parity) {
    Port& port = *m_port;
    if (!m_state->interrupted.load()) ::ResetEvent(port.wake.Get());
    if (!port.wake.Valid() || !port.ioDone.Valid()) return NotOpened(device, ::GetLastError());

    // No sharing: a port is one program's at a time.
    Handle handle(::CreateFileW(WideFromUtf8(DeviceNamespaceName(device)).c_str(),
                                GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr));
    if (!handle.Valid()) return NotOpened(device, ::GetLastError());

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(handle.Get(), &dcb)) return NotOpened(device, ::GetLastError());
    if (byteSize < 5 || byteSize > 8) {
        return NotOpened(device + " (" + std::to_string(byteSize) + " data bits)",
                         ERROR_INVALID_PARAMETER);
    }
    if (parity < 0 || parity > 2) {
        return NotOpened(device + " (parity " + std::to_string(parity) + ")",
                         ERROR_INVALID_PARAMETER);
    }
    dcb.BaudRate = static_cast<DWORD>(baud);
    dcb.ByteSize = static_cast<BYTE>(byteSize);
    // The recorder's coding is the system's own: stop bits 0 one, 1 one and a half, 2 two;
    // parity 0 none, 1 odd, 2 even.
    dcb.StopBits = static_cast<BYTE>(stopBits == 0   ? ONESTOPBIT
                                     : stopBits == 1 ? ONE5STOPBITS
                                                     : TWOSTOPBITS);
    dcb.Parity = static_cast<BYTE>(parity);
    dcb.fParity = parity != 0;
    dcb.fBinary = TRUE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    // DTR and RTS held off, as the recorder's cable expects.
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    if (!::SetCommState(handle.Get(), &dcb)) {
        return NotOpened(device + " (" + std::to_string(baud) + " baud)", ::GetLastError());
    }
    // A read returns as soon as anything came, or after the reply wait with nothing; a write
    // of one byte gets the per-byte wait. Receive and Send bound their waits themselves too.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = kDefaultReplyTimeoutMs;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = kWriteTimeoutMs;
    if (!::SetCommTimeouts(handle.Get(), &timeouts)) return NotOpened(device, ::GetLastError());
    ::PurgeComm(handle.Get(), PURGE_RXCLEAR | PURGE_RXABORT);

    port.port = std::move(handle);
    return Result::Ok();
}

void SerialChannel::ClosePort() {
    m_port->port.Reset();
}

Result SerialChannel::SendBytes(const std::uint8_t* bytes, int count, int* sent) {
    Port& port = *m_port;
    const State& state = *m_state;
    ::PurgeComm(port.port.Get(), PURGE_RXCLEAR);

    // As on every platform: a line that took no byte for a whole wait takes no more, and under
    // an interrupt only what the line takes at once goes out.
    Result result;
    while (*sent < count && result) {
        OVERLAPPED overlapped = port.Fresh();
        DWORD moved = 0;
        bool pending = false;
        const BOOL done = ::WriteFile(port.port.Get(), bytes + *sent, 1, &moved, &overlapped);
        DWORD err = port.Started(done, &moved, overlapped, &pending);
        if (pending) {
            const bool interrupted = state.Interrupted();
            err = port.Await(overlapped, interrupted ? kInterruptedWriteGraceMs : kWriteTimeoutMs,
                             !interrupted, &moved);
        }
        if (err != 0) {
            result = LineFailed(state.device, err);
        } else if (moved == 1) {
            ++*sent;
        } else if (state.Interrupted()) {
            result = {Result::Category::Cancelled, {}};
        } else {
            result = {Result::Category::LineSilent, state.device + ": the line takes no output"};
        }
    }
    return result;
}

int SerialChannel::BytesAvailable() {
    if (!m_bOpen) return 0;
    COMSTAT status{};
    DWORD errors = 0;
    if (!::ClearCommError(m_port->port.Get(), &errors, &status)) return 0;
    return static_cast<int>(status.cbInQue);
}

Result SerialChannel::ReceiveBytes(std::uint8_t* buffer, int count, Clock::time_point deadline,
                                   int* received) {
    Port& port = *m_port;
    const State& state = *m_state;
    int got = 0;
    Result failure;

    // Under an interrupt the loop only collects what has already come.
    while (got < count) {
        const bool interrupted = state.Interrupted();
        const int left = State::MsLeft(deadline);
        OVERLAPPED overlapped = port.Fresh();
        DWORD moved = 0;
        bool pending = false;
        const BOOL done = ::ReadFile(port.port.Get(), buffer + got, static_cast<DWORD>(count - got),
                                     &moved, &overlapped);
        DWORD err = port.Started(done, &moved, overlapped, &pending);
        if (pending) {
            err = port.Await(overlapped, interrupted ? 0 : static_cast<DWORD>(left), true, &moved);
        }
        got += static_cast<int>(moved);
        if (err != 0) {
            failure = LineFailed(state.device, err);
            break;
        }
        if (moved > 0) continue;
        failure = state.ReceiveEnds(deadline, got);
        if (!failure) break;
        // A read that ended at once with nothing (a driver that does not wait): wait a moment
        // for the line, or an interrupt, before asking again.
        if (!pending) ::WaitForSingleObject(port.wake.Get(), 1);
    }
    *received = got;
    return failure;
}

void SerialChannel::Wake() {
    ::SetEvent(m_port->wake.Get());
}

void SerialChannel::ClearWake() {
    if (!m_state->interruptedUntilClosed.load()) ::ResetEvent(m_port->wake.Get());
}
