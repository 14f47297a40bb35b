// Ctrl-C on Windows: the console's control handler, which the system runs on a thread of its
// own. Ctrl-C and Ctrl-Break end a command as Ctrl-C does on other systems; closing the console
// window (or logging off) too, and the handler then holds the system's ending of the program
// until the command has told the recorder to stop and removed its temporaries.
#include <windows.h>

#include <atomic>
#include <mutex>

#include "cli/interruption.h"
#include "core/link/serial_channel.h"

namespace interruption {

namespace {

constexpr int kHangUp = 1;  // the console went away, as SIGHUP tells elsewhere

std::atomic<bool> g_raised{false};
std::atomic<int> g_signal{0};
std::atomic<SerialChannel*> g_channel{nullptr};
std::atomic<HANDLE> g_wake{nullptr};
// How long a closing console waits for the command to end (the system allows about 5 s).
constexpr DWORD kCloseGraceMs = 4000;

HANDLE Wake() {
    static std::once_flag once;
    std::call_once(once, [] { g_wake.store(::CreateEventW(nullptr, TRUE, FALSE, nullptr)); });
    return g_wake.load();
}

BOOL WINAPI OnControl(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
            Raise(SIGINT);
            return TRUE;
        case CTRL_BREAK_EVENT:
            Raise(SIGBREAK);
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            Raise(kHangUp);
            // The program ends as soon as this returns: give the command its way out first.
            ::Sleep(kCloseGraceMs);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void Raise(int signal) {
    int none = 0;
    g_signal.compare_exchange_strong(none, signal);
    g_raised.store(true);
    if (SerialChannel* channel = g_channel.load()) channel->InterruptUntilClosed();
    if (HANDLE wake = g_wake.load()) ::SetEvent(wake);
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
    ::ResetEvent(Wake());
}

void WatchChannel(SerialChannel* channel) {
    g_channel.store(channel);
    if (channel && g_raised.load()) channel->InterruptUntilClosed();
}

bool Wait(int timeoutMs) {
    if (!g_raised.load()) {
        ::WaitForSingleObject(Wake(), timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
    }
    return g_raised.load();
}

SignalScope::SignalScope() {
    Wake();
    ::SetConsoleCtrlHandler(OnControl, TRUE);
}

SignalScope::~SignalScope() {
    ::SetConsoleCtrlHandler(OnControl, FALSE);
}

}  // namespace interruption
