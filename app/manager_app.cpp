#include "app/manager_app.h"

#include <QDir>
#include <QStandardPaths>

#include "app/about_box.h"
#include "app/cqp_doc.h"
#include "app/profile.h"
#include "app/simulated_recorder.h"
#include "frame/main_frame.h"
#include "frame/message_box.h"
#include "res/pictures.h"
#include "res/strings.h"

namespace {

QString Key(const char* section, const char* value) {
    return QStringLiteral("%1/%2").arg(QString::fromLatin1(section), QString::fromLatin1(value));
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
    setApplicationVersion(QStringLiteral("1.0"));
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

void CManagerApp::LoadSettings() {
    Profile profile;
    bool ok = false;
    const int port = profile.value(Key(text::kSectionComm, text::kValuePort), 1).toInt(&ok);
    // A value that is not a port number counts as missing.
    m_nPort = ok && port >= 1 ? port : 1;

    m_strSourcePath = profile
                          .value(Key(text::kSectionGlobal, text::kValuePath),
                                 QString::fromStdString(WithSeparator(
                                     QString::fromStdString(ProgramFolder()) + QDir::separator() +
                                     QString::fromLatin1(text::kWorkingFolderName))))
                          .toString()
                          .toStdString();
    // On this platform the folder tree starts at the user's home folder.
    m_strLeftPath = profile
                        .value(Key(text::kSectionGlobal, text::kValueLeftPath),
                               QString::fromStdString(WithSeparator(QDir::homePath())))
                        .toString()
                        .toStdString();

    // COMM/DEVICE<n>: the device behind port n where the usual mapping does not fit.
    m_portDevices.clear();
    profile.beginGroup(QString::fromLatin1(text::kSectionComm));
    for (const QString& key : profile.childKeys()) {
        if (!key.startsWith(QLatin1String("DEVICE"), Qt::CaseInsensitive)) continue;
        const int n = key.mid(6).toInt(&ok);
        const QString device = profile.value(key).toString();
        if (ok && n >= 1 && !device.isEmpty()) m_portDevices[n] = device.toStdString();
    }
    profile.endGroup();
}

void CManagerApp::SaveSettings() {
    Profile profile;
    profile.setValue(Key(text::kSectionComm, text::kValuePort), m_nPort);
    profile.setValue(Key(text::kSectionGlobal, text::kValuePath),
                     QString::fromStdString(m_strSourcePath));
    profile.setValue(Key(text::kSectionGlobal, text::kValueLeftPath),
                     QString::fromStdString(m_strLeftPath));
    profile.sync();
}

std::string CManagerApp::DeviceForPort(int port) const {
    if (port == m_nStartPort) {
        if (!m_options.devicePath.empty()) return m_options.devicePath;
        // Without its emulator a simulated run must not reach for a real port instead.
        if (m_options.simulate) return m_pEmulator ? m_pEmulator->DevicePath() : "(no emulator)";
    }
    const auto found = m_portDevices.find(port);
    return found == m_portDevices.end() ? std::string() : found->second;
}

bool CManagerApp::StartEmulator() {
    m_pEmulator = std::make_unique<SimulatedRecorder>(m_options.emulatorMode);
    std::string error;
    if (m_pEmulator->Start(&error)) return true;
    m_pEmulator.reset();
    MessageBox::Show(nullptr, "The built-in recorder emulator could not start: " + error);
    return false;
}

bool CManagerApp::InitInstance() {
    LoadSettings();
    m_pDocument = std::make_unique<CQPDoc>();
    if (m_options.simulate) StartEmulator();
    m_pMainFrame = std::make_unique<CMainFrame>(*this, *m_pDocument);
    m_pMainFrame->show();
    m_pMainFrame->setWindowTitle(QString::fromLatin1(text::kMainTitle));
    // Read afresh: whatever the panes' creation did to the members, the profile holds.
    LoadSettings();
    m_nStartPort = m_nPort;
    m_pMainFrame->StartRecorder();
    return true;
}

int CManagerApp::ExitInstance(int exitCode) {
    const bool closedByUser = m_pMainFrame && m_pMainFrame->IsClosing();
    // The frame's end sends the recorder its mode-off frame and closes the line.
    m_pMainFrame.reset();
    if (closedByUser) SaveSettings();
    return exitCode;
}

void CManagerApp::OnAppAbout() {
    CAboutBox box(m_pMainFrame.get());
    box.exec();
}
