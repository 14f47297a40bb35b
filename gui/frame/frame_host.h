#pragma once
#include <string>

#include "core/messages/working_folder.h"

// What the main frame needs of the application object that owns it: the user's settings, which
// the frame reads and writes directly, the device behind a port, where the working folder may
// go, and the About box. The application implements it; tests may too.
class FrameHost {
public:
    virtual ~FrameHost() = default;

    // The device behind port n ("COM<n>"); empty for the usual mapping.
    virtual std::string DeviceForPort(int port) const = 0;
    // Every place the working folder may go, in order.
    virtual WorkingFolder::Places WorkingFolderPlaces() const = 0;
    virtual void OnAppAbout() = 0;

    int m_nPort = 1;              // "COMM"/"PORT"
    std::string m_strSourcePath;  // "GLOBAL"/"PATH": the working folder of this run
    std::string m_strLeftPath;    // "GLOBAL"/"LeftPth": the folder tree's last folder
};
