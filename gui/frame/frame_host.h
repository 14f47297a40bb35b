#pragma once
#include <string>

#include "core/link/serial_ports.h"
#include "core/messages/working_folder.h"

// What the main frame needs of the application object that owns it: the user's settings, which
// the frame reads and writes directly, the device behind a port, where the working folder may
// go, and the About box. The application implements it; tests may too.
class FrameHost {
public:
    virtual ~FrameHost() = default;

    // The device behind port n ("COM<n>") as the settings map it; empty for the usual mapping.
    virtual std::string DeviceForPort(int port) const = 0;
    // The device the command line put behind the port the window started on (--device, or the
    // emulator of --simulate), while that port is still the one in use; else empty.
    virtual std::string StartDevice() const = 0;
    // Where this machine's serial ports are listed.
    virtual const SerialPortRoots& PortRoots() const = 0;
    // Every place the working folder may go, in order.
    virtual WorkingFolder::Places WorkingFolderPlaces() const = 0;
    virtual void OnAppAbout() = 0;

    int m_nPort = 1;              // "COMM"/"PORT"
    std::string m_strDevice;      // "COMM"/"DEVICE": a port chosen by name; while set, in use
    std::string m_strSourcePath;  // "GLOBAL"/"PATH": the working folder of this run
    std::string m_strLeftPath;    // "GLOBAL"/"LeftPth": the folder tree's last folder
};
