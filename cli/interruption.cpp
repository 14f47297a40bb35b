// The interruption's flags, the same on every system; the wake-up for Wait and the way the
// system's signals reach Raise are the platform's.
#include "cli/interruption.h"

#include <atomic>

#include "cli/interruption_wake.h"
#include "core/link/serial_channel.h"

namespace interruption {

namespace {

std::atomic<bool> g_raised{false};
std::atomic<int> g_signal{0};  // the first signal raised
std::atomic<SerialChannel*> g_channel{nullptr};

}  // namespace

void Raise(int signal) {
    int none = 0;
    g_signal.compare_exchange_strong(none, signal);
    g_raised.store(true);
    if (SerialChannel* channel = g_channel.load()) channel->InterruptUntilClosed();
    WakeWaiters();
}

bool Raised() {
    return g_raised.load();
}

int ExitStatus() {
    const int signal = g_signal.load();
    return 128 + (signal > 0 ? signal : SIGINT);
}

void Reset() {
    g_raised.store(false);
    g_signal.store(0);
    ClearWake();
}

void WatchChannel(SerialChannel* channel) {
    g_channel.store(channel);
    // A signal that came before the channel was watched still ends its waits.
    if (channel && g_raised.load()) channel->InterruptUntilClosed();
}

}  // namespace interruption
