#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "core/base/system_error_text.h"
#include "emulator/pseudo_terminal.h"

namespace emu {

namespace {

bool Fail(std::string* error, const char* what) {
    if (error) *error = WithSystemReason(what, errno);
    return false;
}

// Raw 38400 8N1 from the start: a terminal left in its default cooked mode would echo our
// replies back to us as if the program had sent them.
bool MakeRaw(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) return false;
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&settings, B38400);
    cfsetospeed(&settings, B38400);
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

}  // namespace

bool PseudoTerminal::Open(std::string* error) {
    Close();
    // Close-on-exec from the start: a program started meanwhile by another thread must not
    // inherit the master, or the program would never see the recorder go away.
    UniqueFd master(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!master.Valid() && errno == EINVAL) master.Reset(posix_openpt(O_RDWR | O_NOCTTY));
    if (!master.Valid()) return Fail(error, "cannot open a pseudo-terminal");
    const int flags = fcntl(master.Get(), F_GETFL);
    if (flags < 0 || fcntl(master.Get(), F_SETFL, flags | O_NONBLOCK) != 0 ||
        fcntl(master.Get(), F_SETFD, FD_CLOEXEC) != 0) {
        return Fail(error, "cannot set up the pseudo-terminal");
    }
    if (grantpt(master.Get()) != 0 || unlockpt(master.Get()) != 0) {
        return Fail(error, "cannot unlock the pseudo-terminal");
    }
    char name[128];
    if (ptsname_r(master.Get(), name, sizeof name) != 0) {
        return Fail(error, "cannot name the pseudo-terminal");
    }
    UniqueFd slave(::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!slave.Valid()) return Fail(error, "cannot open the pseudo-terminal's device");
    if (!MakeRaw(slave.Get())) return Fail(error, "cannot set the pseudo-terminal's line");

    UniqueFd watch(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (watch.Valid() &&
        inotify_add_watch(watch.Get(), name, IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        watch.Reset();  // serve anyway; only a reopen by an unprivileged program suffers
    }
    m_master = std::move(master);
    m_heldSlave = std::move(slave);
    m_watch = std::move(watch);
    m_path = name;
    return true;
}

void PseudoTerminal::OnWatchReadable() {
    alignas(inotify_event) char events[1024];
    bool closed = false;
    for (;;) {
        const ssize_t n = ::read(m_watch.Get(), events, sizeof events);
        if (n > 0) {
            closed = true;  // the watch reports closes only
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        break;
    }
    if (closed && m_heldSlave.Valid()) ioctl(m_heldSlave.Get(), TIOCNXCL);
}

int PseudoTerminal::UnreadByProgram() const {
    int waiting = 0;
    if (!m_heldSlave.Valid() || ioctl(m_heldSlave.Get(), FIONREAD, &waiting) != 0) return 0;
    return waiting;
}

void PseudoTerminal::Vanish() {
    m_watch.Reset();
    m_master.Reset();
}

void PseudoTerminal::Close() {
    m_watch.Reset();
    m_master.Reset();
    m_heldSlave.Reset();
}

}  // namespace emu
