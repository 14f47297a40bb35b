#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>

#include "cli/interruption.h"
#include "core/link/serial_channel.h"

namespace interruption {

namespace {

std::atomic<bool> g_raised{false};
std::atomic<int> g_signal{0};  // the first signal raised
std::atomic<SerialChannel*> g_channel{nullptr};
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

void Raise(int signal) {
    const int saved = errno;
    int none = 0;
    g_signal.compare_exchange_strong(none, signal);
    g_raised.store(true);
    if (SerialChannel* channel = g_channel.load()) channel->InterruptUntilClosed();
    const int fd = g_wakeWrite.load();
    if (fd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
    }
    errno = saved;
}

bool Raised() {
    return g_raised.load();
}

int ExitStatus() {
    const int signal = g_signal.load();
    return 128 + (signal > 0 ? signal : SIGINT);
}

void Reset() {
    EnsurePipe();
    g_raised.store(false);
    g_signal.store(0);
    char sink[64];
    while (::read(g_wakeRead.load(), sink, sizeof sink) > 0) {
    }
}

void WatchChannel(SerialChannel* channel) {
    g_channel.store(channel);
    // A signal that came before the channel was watched still ends its waits.
    if (channel && g_raised.load()) channel->InterruptUntilClosed();
}

bool Wait(int timeoutMs) {
    EnsurePipe();
    while (!g_raised.load()) {
        pollfd pfd{g_wakeRead.load(), POLLIN, 0};
        const int ready = ::poll(&pfd, 1, timeoutMs);
        if (ready == 0) break;
        if (ready < 0 && errno != EINTR) break;
    }
    return g_raised.load();
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
