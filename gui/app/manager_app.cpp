#include "gui/app/manager_app.h"

#include <QDir>
#include <QEventLoop>
#include <QStandardPaths>
#include <QTimer>
#include <QWindow>
#include <chrono>

#include "core/files/cqp_doc.h"
#include "core/res/strings.h"
#include "core/res/text_format.h"
#include "gui/app/about_box.h"
#include "gui/app/simulated_recorder.h"
#include "gui/app/trace_variable.h"
#include "gui/app/window_placement.h"
#include "gui/frame/main_frame.h"
#include "gui/res/pictures.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/window_settings.h"
#include "sonoret_version.h"

namespace {

// Waits, at most a moment, until the window system has placed and shown the window: a box shown
// before then is centred over wherever the window was before it was placed, which is often the
// menu bar of the window that then appears. The user's input waits meanwhile.
void WaitUntilExposed(QWidget& window, std::chrono::milliseconds timeout) {
    QWindow* handle = window.windowHandle();
    if (!handle || handle->isExposed()) return;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&loop, handle] {
        if (handle->isExposed()) loop.quit();
    });
    poll.start(10);
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

std::string WithSeparator(QString folder) {
    if (!folder.endsWith(QDir::separator())) folder += QDir::separator();
    return QDir::toNativeSeparators(folder).toStdString();
}

}  // namespace

CManagerApp::CManagerApp(int& argc, char** argv, StartOptions options)
    : QApplication(argc, argv), m_options(std::move(options)) {
    // The application name of the profile and of the user's cache folder.
    setOrganizationName(QString::fromLatin1(text::kProfileOrganisation));
    setApplicationName(QString::fromLatin1(text::kAppName));
    setApplicationVersion(QString::fromLatin1(kSonoretVersion));
    // The desktop finds the window's entry, and so its icon, by this name.
    setDesktopFileName(QString::fromLatin1(kSonoretAppId));
    setWindowIcon(res::AppIcon());
}

CManagerApp::~CManagerApp() {
    // The frame goes before the emulator it may still talk to and the document its panes use.
    m_pMainFrame.reset();
    m_pDocument.reset();
    m_pEmulator.reset();
}

CManagerApp& theApp() {
    return *static_cast<CManagerApp*>(QCoreApplication::instance());
}

std::string CManagerApp::ProgramFolder() const {
    if (!m_strProgramFolder.empty()) return m_strProgramFolder;
    return QDir::toNativeSeparators(applicationDirPath()).toStdString();
}

std::string CManagerApp::CacheFolder() const {
    return QDir::toNativeSeparators(QStandardPaths::writableLocation(QStandardPaths::CacheLocation))
        .toStdString();
}

WorkingFolder::Places CManagerApp::WorkingFolderPlaces() const {
    WorkingFolder::Places places;
    // Beside the program while it runs from where it was built; an installed one keeps its
    // messages in the user's cache folder.
    if (!IsInstalledProgramFolder(ProgramFolder())) places.programFolder = ProgramFolder();
    places.cacheFolder = CacheFolder();
    // A private folder: where the user's private run-time files go, else the temporary folder.
    // (Read plainly: asking for the run-time location makes folders of its own when unset.)
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) places.privateBases.push_back(runtime.toStdString());
    const QString temporary = QDir::tempPath();
    if (!temporary.isEmpty()) {
        places.privateBases.push_back(QDir::toNativeSeparators(temporary).toStdString());
    }
    return places;
}

void CManagerApp::LoadSettings() {
    SettingsFile& settings = WindowSettings();
    settings.Reload();
    m_settingsNotices.clear();
    const PortSetting port = settings.Port(kHighestMenuPort);
    m_nPort = port.port;
    m_strDevice = settings.ChosenDevice();
    // A port chosen by name makes the COM number no matter.
    if (port.wrongValue && m_strDevice.empty()) {
        // Said, not passed over: the port error that would follow names no setting.
        const std::string setting = "[" + std::string(text::kSectionComm) + "] " +
                                    text::kValuePort + "=" + *port.wrongValue;
        m_settingsNotices.push_back(
            text::Format(text::kSettingsBadPort, setting, settings.Path(), m_nPort));
    }
    m_strSourcePath =
        settings.Value(text::kSectionGlobal, text::kValuePath)
            .value_or(WithSeparator(QString::fromStdString(ProgramFolder()) + QDir::separator() +
                                    QString::fromLatin1(text::kWorkingFolderName)));
    // On this platform the folder tree starts at the user's home folder.
    m_strLeftPath = settings.Value(text::kSectionGlobal, text::kValueLeftPath)
                        .value_or(WithSeparator(QDir::homePath()));
}

void CManagerApp::SaveSettings() {
    SettingsFile& settings = WindowSettings();
    settings.SetValue(text::kSectionComm, text::kValuePort, m_nPort);
    settings.SetChosenDevice(m_strDevice);
    settings.SetValue(text::kSectionGlobal, text::kValuePath, m_strSourcePath);
    settings.SetValue(text::kSectionGlobal, text::kValueLeftPath, m_strLeftPath);
    // As ever, a settings file that cannot be written is no reason to keep the user waiting.
    settings.Save();
}

std::string CManagerApp::DeviceForPort(int port) const {
    return ResolveSerialDevice(WindowSettings().DeviceForPort(port), m_portRoots);
}

std::string CManagerApp::StartDevice() const {
    if (m_nPort != m_nStartPort || m_strDevice != m_strStartDevice) return {};
    if (!m_options.devicePath.empty())
        return ResolveSerialDevice(m_options.devicePath, m_portRoots);
    // Without its emulator a simulated run must not reach for a real port instead.
    if (m_options.simulate) return m_pEmulator ? m_pEmulator->DevicePath() : "(no emulator)";
    return {};
}

bool CManagerApp::StartEmulator(std::vector<std::string>& notices) {
    m_pEmulator = std::make_unique<SimulatedRecorder>(m_options.emulatorMode);
    std::string error;
    if (m_pEmulator->Start(&error)) return true;
    m_pEmulator.reset();
    notices.push_back("The built-in recorder emulator could not start: " + error);
    return false;
}

bool CManagerApp::InitInstance() {
    // Before anything reads the settings: a wrong file is never read, and never written.
    std::vector<std::string> notices;
    SettingsFile& settings = WindowSettings();
    settings.Load(SettingsFile::DefaultPath());
    if (!settings.Usable()) {
        notices.push_back(
            text::Format(text::kSettingsFileUnusable, settings.Path(), settings.ProblemReason()));
    }
    LoadSettings();
    m_pDocument = std::make_unique<CQPDoc>();
    if (m_options.simulate) StartEmulator(notices);
    m_pMainFrame = std::make_unique<CMainFrame>(*this, *m_pDocument);
    TraceLineAsAsked(m_pMainFrame->Link().Channel());
    RestoreWindowPlacement(*m_pMainFrame, settings);
    m_pMainFrame->show();
    m_pMainFrame->setWindowTitle(QString::fromLatin1(text::kMainTitle));
    // Read afresh: whatever the panes' creation did to the members, the settings file holds.
    LoadSettings();
    notices.insert(notices.end(), m_settingsNotices.begin(), m_settingsNotices.end());
    m_nStartPort = m_nPort;
    m_strStartDevice = m_strDevice;
    // What start-up has to say is said over the window, once the user can see it.
    WaitUntilExposed(*m_pMainFrame, std::chrono::seconds(2));
    for (const std::string& notice : notices) MessageBox::Show(m_pMainFrame.get(), notice);
    m_pMainFrame->StartRecorder();
    return true;
}

int CManagerApp::ExitInstance(int exitCode) {
    const bool closedByUser = m_pMainFrame && m_pMainFrame->IsClosing();
    if (closedByUser) SaveWindowPlacement(*m_pMainFrame, WindowSettings());
    // The frame's end sends the recorder its mode-off frame and closes the line.
    m_pMainFrame.reset();
    if (closedByUser) SaveSettings();
    return exitCode;
}

void CManagerApp::OnAppAbout() {
    CAboutBox box(m_pMainFrame.get());
    box.exec();
}
