// The serial channel on POSIX terminals: real serial ports and, for the emulator, the slave
// side of a pseudo-terminal.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>

#include "core/base/system_error_text.h"
#include "core/base/unique_fd.h"
#include "core/link/serial_channel.h"

namespace {

using Clock = std::chrono::steady_clock;

// Every operating-system failure the user may read goes through here, so the wording is the
// same wherever the failure happened.
std::string OsError(const std::string& what, int err) {
    std::string reason;
    switch (err) {
        case ENOENT:
        case ENXIO:
        case ENODEV:
            reason = "no such device";
            break;
        case EBUSY:
        case EWOULDBLOCK:
            reason = "in use by another program";
            break;
        case EACCES:
        case EPERM:
            reason = "permission denied (is the user in the dialout group?)";
            break;
        case EIO:
            reason = "input/output error (device gone?)";
            break;
        default:
            reason = SystemErrorText(err);
            break;
    }
    return what + ": " + reason;
}

speed_t SpeedFor(int baud) {
    switch (baud) {
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        default:
            return B0;
    }
}

// Milliseconds left until deadline, never negative; rounded up, so a wait never ends short
// of its deadline.
int MsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

struct SerialChannel::Port {
    UniqueFd fd;
    // Interrupt writes a byte here; a waiting Receive polls the read end beside the device.
    UniqueFd wakeRead;
    UniqueFd wakeWrite;
    // What the interrupts ask for; the byte in the pipe only wakes a wait to look at them.
    std::atomic<bool> interrupted{false};
    std::atomic<bool> interruptedUntilClosed{false};
    std::atomic<bool> lastReceiveGotNothing{false};
    std::string device;
    int replyTimeoutMs = SerialChannel::kDefaultReplyTimeoutMs;
    WireTrace trace;

    bool Interrupted() const { return interrupted.load() || interruptedUntilClosed.load(); }

    // Async-signal-safe.
    void Wake() {
        const int wakeFd = wakeWrite.Get();
        if (wakeFd < 0) return;
        const char byte = 1;
        // A full pipe already holds a wake-up; nothing is lost.
        [[maybe_unused]] const ssize_t n = ::write(wakeFd, &byte, 1);
    }

    // A failure of the line itself, with the device and the system's reason.
    Result LineFailed(int err) const {
        return {Result::Category::LineSilent, OsError(device, err)};
    }

    void Trace(WireEvent::Direction direction, const std::uint8_t* bytes, int count,
               int requested) const {
        if (!trace) return;
        WireEvent event;
        event.direction = direction;
        event.time = Clock::now();
        event.bytes = bytes;
        event.count = count;
        event.requested = requested;
        trace(event);
    }

    // Empties the wake-up pipe; true when it held anything.
    bool DrainWake() {
        bool woken = false;
        char sink[64];
        for (;;) {
            const ssize_t n = ::read(wakeRead.Get(), sink, sizeof sink);
            if (n > 0) {
                woken = true;
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            return woken;
        }
    }

    // Gives up exclusive use and closes. Other programs (and our own next Open) may then use
    // the device; a pseudo-terminal keeps the exclusive flag while its other side is open.
    void Release() {
        if (!fd.Valid()) return;
        ::ioctl(fd.Get(), TIOCNXCL);
        ::flock(fd.Get(), LOCK_UN);
        fd.Reset();
    }
};

SerialChannel::SerialChannel() : m_port(std::make_unique<Port>()) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC) == 0) {
        m_port->wakeRead.Reset(pipeFds[0]);
        m_port->wakeWrite.Reset(pipeFds[1]);
    }
}

SerialChannel::~SerialChannel() {
    Close();
}

Result SerialChannel::Open(const std::string& device, int baud, int byteSize, int stopBits,
                           int parity) {
    Close();
    Port& port = *m_port;
    port.device = device;
    port.interruptedUntilClosed.store(false);
    port.lastReceiveGotNothing.store(false);
    auto failed = [](const std::string& what, int err) {
        return Result(Result::Category::PortNotOpened, OsError(what, err));
    };

    UniqueFd fd(::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.Valid()) return failed(device, errno);
    // flock tells us (even as root) that another program of ours holds the port; TIOCEXCL then
    // keeps programs that do not lock out.
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        return failed(device, errno == EWOULDBLOCK ? EBUSY : errno);
    }
    if (::ioctl(fd.Get(), TIOCEXCL) != 0) return failed(device, errno);
    // From here on a failure must clear the exclusive flag again before the descriptor closes.
    auto fail = [&](const std::string& what, int err) {
        ::ioctl(fd.Get(), TIOCNXCL);
        return failed(what, err);
    };

    termios tio{};
    if (::tcgetattr(fd.Get(), &tio) != 0) return fail(device, errno);
    ::cfmakeraw(&tio);
    const speed_t speed = SpeedFor(baud);
    if (speed == B0) return fail(device + " (" + std::to_string(baud) + " baud)", EINVAL);
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);

    tio.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS | HUPCL);
    switch (byteSize) {
        case 5:
            tio.c_cflag |= CS5;
            break;
        case 6:
            tio.c_cflag |= CS6;
            break;
        case 7:
            tio.c_cflag |= CS7;
            break;
        case 8:
            tio.c_cflag |= CS8;
            break;
        default:
            return fail(device + " (" + std::to_string(byteSize) + " data bits)", EINVAL);
    }
    // Stop bits and parity in the recorder's traditional coding: 0 = one stop bit, 1 (one and a
    // half) and 2 = two; parity 0 none, 1 odd, 2 even.
    if (stopBits != 0) tio.c_cflag |= CSTOPB;
    switch (parity) {
        case 0:
            break;
        case 1:
            tio.c_cflag |= PARENB | PARODD;
            break;
        case 2:
            tio.c_cflag |= PARENB;
            break;
        default:
            return fail(device + " (parity " + std::to_string(parity) + ")", EINVAL);
    }
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    // Reads never block in the driver; Receive bounds its own wait with poll.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd.Get(), TCSANOW, &tio) != 0) return fail(device, errno);

    // DTR and RTS held off. A pseudo-terminal has no modem lines and refuses this; that is fine.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd.Get(), TIOCMBIC, &lines);

    port.fd = std::move(fd);
    m_bOpen = true;
    return Result::Ok();
}

void SerialChannel::Close() {
    if (!m_bOpen) return;
    m_port->Release();
    m_bOpen = false;
}

bool SerialChannel::IsOpen() const {
    return m_bOpen;
}

Result SerialChannel::Send(const std::uint8_t* bytes, int count) {
    if (!m_bOpen) return {Result::Category::NotConnected, {}};
    Port& port = *m_port;
    const int fd = port.fd.Get();
    // Only the input side: a real port's output is already drained after every byte, and
    // flushing the output of a pseudo-terminal throws away bytes its other end has not read
    // yet (a cancel filler followed at once by the next frame would vanish).
    ::tcflush(fd, TCIFLUSH);

    // A line that took no byte for a whole wait will not take the next ones either: the rest
    // of the request is given up at once rather than waited for a second a byte (the 256-byte
    // cancel filler would hold the program for minutes). Under an interrupt nothing is waited
    // for at all: what the line takes at once still goes out (the cancel filler, the mode-off
    // frame), the rest is given up.
    Result result;
    int sent = 0;
    while (sent < count && result) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
        for (;;) {
            const ssize_t n = ::write(fd, bytes + sent, 1);
            if (n == 1) {
                while (::tcdrain(fd) != 0 && errno == EINTR) {
                }
                ++sent;
                break;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN) {
                // The device is gone or refuses output.
                result = port.LineFailed(errno);
                break;
            }
            if (port.Interrupted()) {
                result = {Result::Category::Cancelled, {}};
                break;
            }
            const int left = MsLeft(deadline);
            if (left == 0) {
                result = {Result::Category::LineSilent, port.device + ": the line takes no output"};
                break;
            }
            pollfd pfds[2] = {{fd, POLLOUT, 0}, {port.wakeRead.Get(), POLLIN, 0}};
            const int ready = ::poll(pfds, port.wakeRead.Valid() ? 2 : 1, left);
            // A wake-up left over from an interrupt already cleared only costs a look at the
            // flags.
            if (ready > 0 && (pfds[1].revents & POLLIN)) port.DrainWake();
        }
    }
    port.Trace(WireEvent::Direction::Sent, bytes, sent, count);
    return result;
}

int SerialChannel::BytesAvailable() {
    if (!m_bOpen) return 0;
    int queued = 0;
    if (::ioctl(m_port->fd.Get(), FIONREAD, &queued) != 0) return 0;
    return queued;
}

Result SerialChannel::Receive(std::uint8_t* buffer, int count, int* received) {
    if (received) *received = 0;
    if (!m_bOpen) return {Result::Category::NotConnected, {}};
    if (count <= 0) return {};
    Port& port = *m_port;
    const int fd = port.fd.Get();
    const auto deadline = Clock::now() + std::chrono::milliseconds(port.replyTimeoutMs);
    int got = 0;
    Result failure;

    // Under an interrupt the loop only collects what has already come.
    while (got < count) {
        const ssize_t n = ::read(fd, buffer + got, static_cast<size_t>(count - got));
        if (n > 0) {
            got += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            // EIO: the other side of the line is gone (a pseudo-terminal's master closed).
            failure = port.LineFailed(errno);
            break;
        }
        if (port.Interrupted()) {
            failure = {Result::Category::Cancelled, {}};
            break;
        }
        const int left = MsLeft(deadline);
        if (left == 0) {
            failure = {got > 0 ? Result::Category::ReplyWrong : Result::Category::LineSilent, {}};
            break;
        }
        pollfd pfds[2] = {{fd, POLLIN, 0}, {port.wakeRead.Get(), POLLIN, 0}};
        const int ready = ::poll(pfds, port.wakeRead.Valid() ? 2 : 1, left);
        if (ready < 0 && errno != EINTR) {
            failure = port.LineFailed(errno);
            break;
        }
        // A wake-up left over from an interrupt already cleared only costs a look at the flags.
        if (ready > 0 && (pfds[1].revents & POLLIN)) port.DrainWake();
        if (ready > 0 && (pfds[0].revents & (POLLERR | POLLNVAL))) {
            failure = port.LineFailed(EIO);
            break;
        }
        // POLLHUP with data still queued: the read above collects it, then reports EIO.
    }
    port.lastReceiveGotNothing.store(got == 0);
    port.Trace(WireEvent::Direction::Received, buffer, got, count);
    if (received) *received = got;
    return got == count ? Result::Ok() : failure;
}

void SerialChannel::SetReplyTimeout(int milliseconds) {
    m_port->replyTimeoutMs = milliseconds;
}

int SerialChannel::ReplyTimeout() const {
    return m_port->replyTimeoutMs;
}

void SerialChannel::SetWireTrace(WireTrace trace) {
    m_port->trace = std::move(trace);
}

void SerialChannel::Interrupt() {
    if (!m_port) return;
    const int saved = errno;  // may run in a signal handler
    m_port->interrupted.store(true);
    m_port->Wake();
    errno = saved;
}

void SerialChannel::InterruptUntilClosed() {
    if (!m_port) return;
    const int saved = errno;
    m_port->interruptedUntilClosed.store(true);
    m_port->Wake();
    errno = saved;
}

void SerialChannel::ClearInterrupt() {
    m_port->interrupted.store(false);
    if (m_port->wakeRead.Valid()) m_port->DrainWake();
}

bool SerialChannel::LastReceiveGotNothing() const {
    return m_port->lastReceiveGotNothing.load();
}
