#pragma once
#include <csignal>

class SerialChannel;

// Ctrl-C and the other signals that end the program, for the whole program: a flag the
// progress displays report as Cancel, a wake-up for the serial channel (so a download stops
// within a moment, and nothing said to the recorder on the way out waits for a reply), and a
// way for `simulate` to sleep until it comes.
namespace interruption {

// What the signal handler does; tests call it to press Ctrl-C or to send another signal.
// The first signal is the one the exit status tells of. Async-signal-safe.
void Raise(int signal = SIGINT);
bool Raised();
// 128 + the number of the signal that was raised (130 for Ctrl-C), as a shell reports a
// program that the signal ended.
int ExitStatus();
// Forgets an earlier Raise (a new command in the same process).
void Reset();
// The channel Raise wakes; nullptr for none. The channel must outlive its registration.
void WatchChannel(SerialChannel* channel);
// Waits until Raise was called, at most timeoutMs (< 0: no limit); true when it was.
bool Wait(int timeoutMs);

// Routes SIGINT, SIGTERM, SIGHUP, SIGQUIT and SIGPIPE to Raise while it exists, so each of
// them ends a command as Ctrl-C does: the recorder told to stop, no partial file left. The
// earlier handlers come back after.
class SignalScope {
public:
    SignalScope();
    ~SignalScope();
    SignalScope(const SignalScope&) = delete;
    SignalScope& operator=(const SignalScope&) = delete;
};

}  // namespace interruption
