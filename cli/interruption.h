#pragma once

class SerialChannel;

// Ctrl-C for the whole program: a flag the progress displays report as Cancel, a wake-up for
// the serial channel's wait (so a download stops within a moment, not after a 3000 ms wait),
// and a way for `simulate` to sleep until it comes.
namespace interruption {

// What the signal handler does; tests call it to press Ctrl-C. Async-signal-safe.
void Raise();
bool Raised();
// Forgets an earlier Raise (a new command in the same process).
void Reset();
// The channel Raise wakes; nullptr for none. The channel must outlive its registration.
void WatchChannel(SerialChannel* channel);
// Waits until Raise was called, at most timeoutMs (< 0: no limit); true when it was.
bool Wait(int timeoutMs);

// Routes SIGINT and SIGTERM to Raise while it exists; the earlier handlers come back after.
class SignalScope {
public:
    SignalScope();
    ~SignalScope();
    SignalScope(const SignalScope&) = delete;
    SignalScope& operator=(const SignalScope&) = delete;
};

}  // namespace interruption
