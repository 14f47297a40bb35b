#pragma once
#include <functional>
#include <memory>
#include <string>

// The progress window as the long operations see it (connect, download, conversion).
// The window program implements it with its ProgressWindow, the command line with a bar on
// the terminal, the tests with a recorder of calls.
//
// Every operation uses the same sequence: SetRange(0, n, 1); SetText once; per unit of work
// StepIt then PeekAndPump(true) and, where the operation can be cancelled, CancelPressed();
// at the end Hide, then the object is destroyed.
//
// An object belongs to the thread that created it (the download's lives on the download
// thread) and is called from that thread only, except for the cancel hook below.
class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;

    virtual void SetRange(int lower, int upper, int step) = 0;
    virtual void SetText(const std::string& text) = 0;
    // Shows the window again if it was hidden and advances one step; returns the new position.
    virtual int StepIt() = 0;
    // Lets pending user input run; with cancelOnEscape, Escape counts as Cancel.
    virtual void PeekAndPump(bool cancelOnEscape) = 0;
    // True once the user cancelled; never goes back to false.
    virtual bool CancelPressed() const = 0;
    virtual void Hide() = 0;

    // The operation's way to be woken at once when the user cancels while it is blocked in a
    // wait (a download waiting for a block). The display calls the hook from whatever thread
    // sees the cancel, so the hook must be thread-safe. Optional: displays that cannot cancel
    // ignore it.
    // By value: the displays that keep the hook move it in.
    // NOLINTNEXTLINE(performance-unnecessary-value-param)
    virtual void SetCancelHook(std::function<void()> hook) { (void)hook; }
};

// Makes the progress display of one operation, on the thread that runs it, with its caption
// ("Connect", "Receive", "Convert"). Requests carry one, so each operation is shown where its
// caller wants it: a window, a bar on the terminal, nothing. It may return null for none.
using ProgressFactory = std::function<std::unique_ptr<ProgressDisplay>(const std::string& caption)>;
