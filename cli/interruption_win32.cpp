// Ctrl-C on Windows: the console's control handler, which the system runs on a thread of its
// own. Ctrl-C and Ctrl-Break end a command as Ctrl-C does on other systems; closing the console
// window (or logging off) too, and the handler then holds the system's ending of the program
// until the command has told the recorder to stop and removed its temporaries.
#include <windows.h>

#include <atomic>
#include <mutex>

#include "cli/interruption.h"
#include "cli/interruption_wake.h"

namespace interruption {

namespace {

constexpr int kHangUp = 1;  // the console went away, as SIGHUP tells elsewhere

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

void WakeWaiters() {
    if (HANDLE wake = g_wake.load()) ::SetEvent(wake);
}

void ClearWake() {
    ::ResetEvent(Wake());
}

bool Wait(int timeoutMs) {
    if (!Raised()) {
        ::WaitForSingleObject(Wake(), timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
    }
    return Raised();
}

SignalScope::SignalScope() {
    Wake();
    ::SetConsoleCtrlHandler(OnControl, TRUE);
}

SignalScope::~SignalScope() {
    ::SetConsoleCtrlHandler(OnControl, FALSE);
}

}  // namespace interruption
