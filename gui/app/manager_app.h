#pragma once
#include <QApplication>
#include <memory>
#include <string>
#include <vector>

#include "core/messages/working_folder.h"
#include "gui/app/command_line.h"
#include "gui/frame/frame_host.h"

class CMainFrame;
class CQPDoc;
class SimulatedRecorder;

// The one application object: start-up in its traditional order, the user's settings in the
// settings file, the About box. The frame reads and writes the settings (m_nPort, m_strSourcePath,
// m_strLeftPath) directly, through FrameHost.
class CManagerApp : public QApplication, public FrameHost {
    Q_OBJECT
public:
    CManagerApp(int& argc, char** argv, StartOptions options = {});
    ~CManagerApp() override;

    // Reads the settings, creates the document and the frame with its panes, shows the window
    // and starts the recorder link. false when the window could not be made.
    bool InitInstance();
    // After the event loop: when the window was closed by the user, the frame goes (the
    // recorder hears mode off) and the settings are written. Returns exitCode.
    int ExitInstance(int exitCode);

    void LoadSettings();
    void SaveSettings();
    void OnAppAbout() override;

    // The device behind port n: the settings' COMM/DEVICE<n> (a bare name a device of /dev or
    // of /dev/serial/by-id), else the standard /dev/ttyS<n-1>.
    std::string DeviceForPort(int port) const override;
    // --device or the emulator while the port configured at start is in use.
    std::string StartDevice() const override;
    const SerialPortRoots& PortRoots() const override { return m_portRoots; }
    // The folder of the program file, unless told otherwise.
    std::string ProgramFolder() const;
    // The user's cache folder, the working folder's fallback.
    std::string CacheFolder() const;
    // Every place the working folder may go, in order.
    WorkingFolder::Places WorkingFolderPlaces() const override;

    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }
    CQPDoc* Document() const { return m_pDocument.get(); }
    SimulatedRecorder* Emulator() const { return m_pEmulator.get(); }
    const StartOptions& Options() const { return m_options; }
    // Before InitInstance: what the command line asked for.
    void SetStartOptions(StartOptions options) { m_options = std::move(options); }

    // Tests put the working folder somewhere of their own, and the machine's serial ports.
    std::string m_strProgramFolder;
    SerialPortRoots m_portRoots;

private:
    bool StartEmulator(std::vector<std::string>& notices);

    std::vector<std::string> m_settingsNotices;  // what the last LoadSettings found wrong

    StartOptions m_options;
    // The port --device or --simulate stands behind: COM m_nStartPort, or the port chosen by
    // name m_strStartDevice.
    int m_nStartPort = 0;
    std::string m_strStartDevice;
    // Declared in the order they must outlive each other: the frame talks to the emulator
    // until its last mode-off frame, and its panes use the document.
    std::unique_ptr<SimulatedRecorder> m_pEmulator;
    std::unique_ptr<CQPDoc> m_pDocument;
    std::unique_ptr<CMainFrame> m_pMainFrame;
};

// The application object.
CManagerApp& theApp();
