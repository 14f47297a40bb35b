// The serial channel on POSIX terminals: real serial ports and, for the emulator, the slave
// side of a pseudo-terminal.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "core/base/system_error_text.h"
#include "core/base/unique_fd.h"
#include "core/link/serial_channel.h"
#include "core/link/serial_channel_state.h"

namespace {

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

// A failure of the line itself, with the device and the system's reason.
Result LineFailed(const std::string& device, int err) {
    return {Result::Category::LineSilent, OsError(device, err)};
}

Result NotOpened(const std::string& what, int err) {
    return {Result::Category::PortNotOpened, OsError(what, err)};
}

}  // namespace

struct SerialChannel::Port {
    UniqueFd fd;
    // Interrupt writes a byte here; a waiting Receive polls the read end beside the device.
    UniqueFd wakeRead;
    UniqueFd wakeWrite;

    Port() {
        int pipeFds[2];
        if (::pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC) == 0) {
            wakeRead.Reset(pipeFds[0]);
            wakeWrite.Reset(pipeFds[1]);
        }
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

SerialChannel::SerialChannel()
    : m_state(std::make_unique<State>()), m_port(std::make_unique<Port>()) {}

SerialChannel::~SerialChannel() {
    Close();
}

Result SerialChannel::OpenPort(const std::string& device, int baud, int byteSize, int stopBits,
                               int parity) {
    UniqueFd fd(::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.Valid()) return NotOpened(device, errno);
    // flock tells us (even as root) that another program of ours holds the port; TIOCEXCL then
    // keeps programs that do not lock out.
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        return NotOpened(device, errno == EWOULDBLOCK ? EBUSY : errno);
    }
    if (::ioctl(fd.Get(), TIOCEXCL) != 0) return NotOpened(device, errno);
    // From here on a failure must clear the exclusive flag again before the descriptor closes.
    auto fail = [&](const std::string& what, int err) {
        ::ioctl(fd.Get(), TIOCNXCL);
        return NotOpened(what, err);
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

    m_port->fd = std::move(fd);
    return Result::Ok();
}

void SerialChannel::ClosePort() {
    m_port->Release();
}

Result SerialChannel::SendBytes(const std::uint8_t* bytes, int count, int* sent) {
    Port& port = *m_port;
    const State& state = *m_state;
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
    while (*sent < count && result) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
        for (;;) {
            const ssize_t n = ::write(fd, bytes + *sent, 1);
            if (n == 1) {
                while (::tcdrain(fd) != 0 && errno == EINTR) {
                }
                ++*sent;
                break;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN) {
                // The device is gone or refuses output.
                result = LineFailed(state.device, errno);
                break;
            }
            if (state.Interrupted()) {
                result = {Result::Category::Cancelled, {}};
                break;
            }
            const int left = State::MsLeft(deadline);
            if (left == 0) {
                result = {Result::Category::LineSilent,
                          state.device + ": the line takes no output"};
                break;
            }
            pollfd pfds[2] = {{fd, POLLOUT, 0}, {port.wakeRead.Get(), POLLIN, 0}};
            const int ready = ::poll(pfds, port.wakeRead.Valid() ? 2 : 1, left);
            // A wake-up left over from an interrupt already cleared only costs a look at the
            // flags.
            if (ready > 0 && (pfds[1].revents & POLLIN)) port.DrainWake();
        }
    }
    return result;
}

int SerialChannel::BytesAvailable() {
    if (!m_bOpen) return 0;
    int queued = 0;
    if (::ioctl(m_port->fd.Get(), FIONREAD, &queued) != 0) return 0;
    return queued;
}

Result SerialChannel::ReceiveBytes(std::uint8_t* buffer, int count, Clock::time_point deadline,
                                   int* received) {
    Port& port = *m_port;
    const State& state = *m_state;
    const int fd = port.fd.Get();
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
            failure = LineFailed(state.device, errno);
            break;
        }
        failure = state.ReceiveEnds(deadline, got);
        if (!failure) break;
        const int left = State::MsLeft(deadline);
        pollfd pfds[2] = {{fd, POLLIN, 0}, {port.wakeRead.Get(), POLLIN, 0}};
        const int ready = ::poll(pfds, port.wakeRead.Valid() ? 2 : 1, left);
        if (ready < 0 && errno != EINTR) {
            failure = LineFailed(state.device, errno);
            break;
        }
        // A wake-up left over from an interrupt already cleared only costs a look at the flags.
        if (ready > 0 && (pfds[1].revents & POLLIN)) port.DrainWake();
        if (ready > 0 && (pfds[0].revents & (POLLERR | POLLNVAL))) {
            failure = LineFailed(state.device, EIO);
            break;
        }
        // POLLHUP with data still queued: the read above collects it, then reports EIO.
    }
    *received = got;
    return failure;
}

void SerialChannel::Wake() {
    const int saved = errno;  // may run in a signal handler
    const int wakeFd = m_port->wakeWrite.Get();
    if (wakeFd >= 0) {
        const char byte = 1;
        // A full pipe already holds a wake-up; nothing is lost.
        [[maybe_unused]] const ssize_t n = ::write(wakeFd, &byte, 1);
    }
    errno = saved;
}

void SerialChannel::ClearWake() {
    if (m_port->wakeRead.Valid()) m_port->DrainWake();
}
