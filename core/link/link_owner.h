#pragma once
#include <functional>
#include <memory>
#include <string>

#include "core/base/progress_display.h"

// What the recorder link needs from the window that owns it: the main frame in the window
// program, a small object in the command line and in the tests.
class LinkOwner {
public:
    virtual ~LinkOwner() = default;

    // A progress window owned by this owner, created on the calling thread (the download
    // creates its own on the download thread). caption is "Connect", "Receive" or "Convert".
    virtual std::unique_ptr<ProgressDisplay> CreateProgress(const std::string& caption) = 0;

    // Runs task on the owner's thread (the user-interface thread), later, in order. The
    // download thread posts its completion through this and waits for it; the owner must
    // keep running its event loop for the task to run. An owner without a thread of its own
    // (command line, tests) may run the task at once on the calling thread; it must then leave
    // the link alone on its other threads until that task has returned.
    virtual void RunOnOwnerThread(std::function<void()> task) = 0;

    // The download's end, called on the owner's thread: complete = 1 when the ".Bin" file was
    // received whole, 0 on failure or cancel (the link's m_bCancelled tells which).
    virtual void OnDownloadComplete(int complete) = 0;

    // An information box with an OK button (the port that could not be opened).
    virtual void ShowMessage(const std::string& text) = 0;

    // The working folder for the message files, ending with the path separator.
    virtual std::string WorkingFolder() const = 0;

    // The device behind port n ("COM<n>"). The default is the usual Linux mapping
    // /dev/ttyS<n-1>; owners override it with the settings' COMM/DEVICE<n>, --device or the
    // built-in emulator.
    virtual std::string DeviceForPort(int port) const;
};
