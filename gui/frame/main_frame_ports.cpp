// The frame's serial port: the port in use (COM1 to COM9, or one of the machine's own chosen by
// its name), opening it, and what the status bar says of it.
#include <string>
#include <vector>

#include "core/res/strings.h"
#include "core/res/text_format.h"
#include "core/settings/settings_file.h"
#include "gui/frame/frame_host.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/port_pane.h"
#include "gui/frame/recorder_failure.h"
#include "gui/frame/serial_port_menu.h"

int CMainFrame::StartRecorder() {
    const PortInUse port = CurrentPort();
    const Result opened = m_link.Initialise(port.device);
    // Whatever the tree shows, this port's recorder has not been read yet.
    m_bDirectoryRead = false;
    m_wndPortPane->ShowOpened(port.name, port.device, opened);
    if (!opened && !m_app.m_strDevice.empty() && !port.name.empty()) {
        // The port as the menu showed it: a device name alone may not tell which adapter it was.
        ShowRecorderFailure(
            this, RecorderCommand::OpenPort,
            {opened.GetCategory(),
             text::Format(text::kNamedPortReason, port.name,
                          opened.Detail().empty() ? port.device : opened.Detail())});
    } else {
        ShowRecorderFailure(this, RecorderCommand::OpenPort, opened);
    }
    m_decoder.Load();
    PrepareWorkingFolder();
    UpdateCommandUI();
    return 1;
}

void CMainFrame::OnPort(int port) {
    // A port change while the line is in use would pull it from under the transfer.
    if (RefuseWhileBusy()) return;
    m_app.m_nPort = port;
    m_app.m_strDevice.clear();
    m_strChosenName.clear();
    StartRecorder();
}

void CMainFrame::OnSerialPort(const SerialPortInfo& port) {
    if (RefuseWhileBusy()) return;
    // Kept by its by-id name, which stays when the adapter goes into another socket; the COM
    // number stays as it was for when the user goes back to it.
    m_app.m_strDevice = ChosenDeviceOf(port);
    m_strChosenName = SerialPortName(port);
    StartRecorder();
}

CMainFrame::PortInUse CMainFrame::CurrentPort() const {
    const std::string startDevice = m_app.StartDevice();
    if (m_app.m_strDevice.empty()) {
        const int n = m_app.m_nPort;
        std::string device = startDevice;
        if (device.empty()) device = m_app.DeviceForPort(n);
        if (device.empty()) device = StandardDeviceForPort(n);
        return {"COM" + std::to_string(n), device};
    }
    const SerialPortRoots& roots = m_app.PortRoots();
    const std::vector<SerialPortInfo> ports = ListSerialPorts(roots);
    const SerialPortInfo* found = FindSerialPort(ports, m_app.m_strDevice, roots);
    PortInUse port;
    port.name = found ? SerialPortName(*found) : m_strChosenName;
    if (!startDevice.empty()) {
        port.device = startDevice;
    } else {
        port.device = found ? found->device : ResolveSerialDevice(m_app.m_strDevice, roots);
    }
    return port;
}
