// The interruption on POSIX systems: signal handlers that raise it, and a pipe that Wait polls.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>

#include "cli/interruption.h"
#include "cli/interruption_wake.h"

namespace interruption {

namespace {

// Raise writes a byte here so Wait can sleep in poll; made before any handler is installed.
std::atomic<int> g_wakeRead{-1};
std::atomic<int> g_wakeWrite{-1};

void EnsurePipe() {
    static std::once_flag once;
    std::call_once(once, [] {
        int fds[2];
        if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
            g_wakeRead.store(fds[0]);
            g_wakeWrite.store(fds[1]);
        }
    });
}

void OnSignal(int signal) {
    Raise(signal);
}

// A closed pipe on standard output (`sonoret list | head -1`) is one of them too: the write
// fails instead of the program dying with its temporaries left behind.
constexpr int kHandledSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};
constexpr int kHandledCount = sizeof kHandledSignals / sizeof kHandledSignals[0];
struct sigaction g_oldActions[kHandledCount];

}  // namespace

void WakeWaiters() {
    const int saved = errno;  // runs in the signal handler
    const int fd = g_wakeWrite.load();
    if (fd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
    }
    errno = saved;
}

void ClearWake() {
    EnsurePipe();
    char sink[64];
    while (::read(g_wakeRead.load(), sink, sizeof sink) > 0) {
    }
}

bool Wait(int timeoutMs) {
    EnsurePipe();
    while (!Raised()) {
        pollfd pfd{g_wakeRead.load(), POLLIN, 0};
        const int ready = ::poll(&pfd, 1, timeoutMs);
        if (ready == 0) break;
        if (ready < 0 && errno != EINTR) break;
    }
    return Raised();
}

SignalScope::SignalScope() {
    EnsurePipe();
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a blocked wait returns and looks at the flag
    for (int i = 0; i < kHandledCount; ++i) {
        ::sigaction(kHandledSignals[i], &action, &g_oldActions[i]);
    }
}

SignalScope::~SignalScope() {
    for (int i = 0; i < kHandledCount; ++i) {
        ::sigaction(kHandledSignals[i], &g_oldActions[i], nullptr);
    }
}

}  // namespace interruption
