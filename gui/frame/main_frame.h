#pragma once
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/base/background_job.h"
#include "core/base/progress_display.h"
#include "core/convert/decoder_library.h"
#include "core/encode/audio_format.h"
#include "core/link/recorder_link.h"
#include "core/messages/async_recorder_runner.h"
#include "core/messages/message_files.h"
#include "core/messages/working_folder.h"

class BatchProgress;
struct DownloadChoice;
class FrameHost;
enum class RecorderCommand;
class CQPDoc;
class CLeftView;
class CMidView;
class CRightView;
class PortPane;
class ProgressWindow;
class SerialPortMenu;
struct SerialPortInfo;
class QAction;
class QLabel;
class QShortcut;
class QSplitter;
class QStatusBar;
class QTimer;
class QToolBar;
class WaitCursor;

// The program's one top-level window: menu, tool bar, status bar and the three panes (folder
// tree, file list, recorder tree). It owns the recorder link for its whole life, carries out
// the recorder commands on the message current in the recorder tree, and keeps the working
// folder in which downloaded and converted messages live.
//
// Every recorder command's exchange with the recorder, download and conversion runs on the
// runner's worker, one at a time, so the window never waits for the line; the command's
// completion goes on from there on this thread. Meanwhile the other recorder commands are
// refused, and a close cancels what runs and happens once it is over.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(FrameHost& app, CQPDoc& doc);
    ~CMainFrame() override;  // mode off to the recorder, then the link goes

    CLeftView* GetLeftView() const { return m_pLeftView; }
    CMidView* GetMidView() const { return m_pMidView; }
    CRightView* GetRightView() const { return m_pRightView; }
    int IsClosing() const { return m_bClosing; }

    // Opens the configured port, loads the decoder and prepares the working folder.
    int StartRecorder();

    // Every command of the menus, the tool bar, the accelerators and the recorder tree's
    // context menu arrives here.
    void OnCommand(int commandId);

    void OnPort(int port);
    // A port of this machine chosen by its name in the Port menu.
    void OnSerialPort(const SerialPortInfo& port);
    void OnViewStyle(int commandId);
    void OnConnect();
    void OnPlay();
    void OnSaveToWav();
    // Every recording of the recorder that the chosen folder does not hold yet, fetched into it.
    void OnDownloadAllNew();
    void OnDeleteMessage();
    void OnSetTime();
    void OnSetDate();
    void OnRefresh();
    void OnAppAbout();

    void PrepareWorkingFolder();
    void RemoveWorkingFolder();
    // The date pane follows the recorder tree's current item: a message's date, else (a
    // folder, nothing) the pane's own text.
    void ShowMessageDate();
    void ResetMessageDate();

    // Enables, disables and marks the commands, as the framework did when idle.
    void UpdateCommandUI();
    // The action of a command of the main menu or tool bar.
    QAction* Action(int commandId) const;
    // A recorder command is under way (connect, download, conversion, ...): the others wait.
    bool IsRecorderBusy() const;

    // What the frame hands the runner with its requests.
    // Progress windows owned by the frame, driven from the worker.
    ProgressFactory Progress();
    // Runs task on the GUI thread, later, in order.
    void RunOnOwnerThread(std::function<void()> task);
    TaskPoster Poster();
    // The ends of the steps of Play and Save to Wav File, on the GUI thread.
    void OnDownloadComplete(const Result& result);
    void OnConvertComplete(const Result& result);
    // The port in use as the user knows it ("COM3", "USB-Serial Controller (067b:2303)"; empty
    // for a port chosen by name that is not there) and the device that opens it.
    struct PortInUse {
        std::string name;
        std::string device;
    };
    PortInUse CurrentPort() const;
    // The ports of this machine in the Port menu.
    SerialPortMenu* SerialPorts() const { return m_pSerialPorts; }
    PortPane* PortStatus() const { return m_wndPortPane; }

    // Seams, so tests see what would go to the desktop and the user.
    // Opens a file with the desktop's default application (Play); false when none opened it.
    using FileOpener = std::function<bool(const std::string& path)>;
    void SetFileOpener(FileOpener opener) { m_openFile = std::move(opener); }
    // The Save As dialog: the chosen full path, or empty when the user cancelled.
    using SaveAsDialog =
        std::function<QString(QWidget* parent, const QString& folder, const QString& proposedName,
                              const QStringList& filters, const QString& defaultSuffix)>;
    void SetSaveAsDialog(SaveAsDialog dialog) { m_saveAsDialog = std::move(dialog); }
    // The dialog of Download All New: the folder and format chosen, or nothing when cancelled.
    using DownloadDialogFn = std::function<std::optional<DownloadChoice>(
        QWidget* parent, const DownloadChoice& proposed)>;
    void SetDownloadDialog(DownloadDialogFn dialog);
    // The folder dialog of Save to Wav File with several messages: the chosen folder, or empty
    // when the user cancelled.
    using FolderDialog =
        std::function<QString(QWidget* parent, const QString& caption, const QString& folder)>;
    void SetFolderDialog(FolderDialog dialog) { m_folderDialog = std::move(dialog); }
    // The PC's clock (SetTime, SetDate).
    void SetClock(std::function<std::time_t()> clock) { m_clock = std::move(clock); }
    // Sees every progress window the frame makes, on the GUI thread.
    void SetProgressObserver(std::function<void(ProgressWindow*)> observer) {
        m_progressObserver = std::move(observer);
    }

    RecorderLink& Link() { return m_link; }
    QStatusBar* StatusBar() const { return m_wndStatusBar; }
    QToolBar* ToolBar() const { return m_wndToolBar; }

    // The Save As dialog's filter in Qt's terms (" Wave File( *.wav ) | *.wav | ... || ").
    static QStringList NameFilters(const char* resourceFilter);

    // Members in the frame's traditional order.
    QSplitter* m_wndSplitter = nullptr;
    RecorderLink m_link;
    int m_bClosing = 0;
    int m_bPlayAfterDownload = 0;
    std::string m_strTargetPath;
    QStatusBar* m_wndStatusBar = nullptr;
    QToolBar* m_wndToolBar = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;  // OnClose

private:
    class CommandScope;

    void OnCreate();
    void OnCreateClient();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateAccelerators();
    QAction* CommandAction(int commandId, const char* text);
    void UpdateLockIndicators();
    // Rebuilds the recorder tree from the directory, keeping the open folders open, and says
    // what the recorder holds in the port pane.
    void ShowRecorderDirectory();
    // Says no to a recorder command while another runs.
    bool RefuseWhileBusy();
    // The start Play and Save to Wav File share: refused while busy, only on a message of the
    // tree as it is now, and only with a working folder. Its folder and number, or nothing.
    std::optional<std::pair<int, int>> MessageToProvide();
    // Save to Wav File with several messages selected: each into a folder the user chooses,
    // named as a sync names them, under one progress window.
    void SaveSeveral(const std::vector<std::pair<int, int>>& messages);
    // Download All New's folder and format as last chosen (the defaults the first time), and
    // remembering them.
    DownloadChoice LastDownloadChoice() const;
    void RememberDownloadChoice(const DownloadChoice& choice);
    // The folder tree and the file list show folder, and the recorder tree marks what it holds.
    void ShowDownloadFolder(const std::string& folder);
    // Marks the recorder tree's messages that the chosen folder holds already.
    void ShowSyncedMessages();
    // The one window of a batch of messages, Cancel reaching the runner.
    void StartBatchProgress();
    // Plays a converted message; says so when the desktop has no program to open it.
    void OpenMessageFile(const std::string& path);
    // The working folder, made again if it has gone; when there is none the user is told and
    // the command that asked must not go on.
    bool RequireWorkingFolder();
    void StoreWorkingFolder();
    // The folder the Save As dialog opens in: the folder tree's, or its nearest existing parent.
    std::string SaveAsFolder() const;
    // Play and Save to Wav File: the message's WAV file made on the runner (downloaded first
    // when need be), one step after the other, then played or copied (DeliverMessage).
    void ProvideMessage(int folder, int message);
    void ConvertMessage();
    void DeliverMessage();
    // The end of one of those steps: true to go on; else the message is given up and the
    // failure said (a cancel says nothing).
    bool MessageStepDone(RecorderCommand step, const Result& result);
    // The one way a recorder command's end reaches the frame: what the operation left on this
    // thread (its wait cursor, its window) is cleared and the given step runs; while a close
    // waits, the window closes instead.
    AsyncRecorderRunner::Completion Then(std::function<void(const Result&)> then);
    // Asks the operation under way to stop, again and again until it has: a cancel that came
    // before the operation began to listen is not lost.
    void RequestCancel();
    void CloseWhenIdle();

    FrameHost& m_app;
    CQPDoc& m_doc;
    CLeftView* m_pLeftView = nullptr;
    CMidView* m_pMidView = nullptr;
    CRightView* m_pRightView = nullptr;

    std::map<int, QAction*> m_actions;
    SerialPortMenu* m_pSerialPorts = nullptr;
    // The name the Port menu showed for the port chosen by name, for when it has gone since.
    std::string m_strChosenName;
    QLabel* m_wndMessagePane = nullptr;
    PortPane* m_wndPortPane = nullptr;
    QLabel* m_wndDatePane = nullptr;
    QLabel* m_wndCapsPane = nullptr;
    QLabel* m_wndNumPane = nullptr;
    QLabel* m_wndScrollPane = nullptr;
    QTimer* m_idleTimer = nullptr;

    // The message Play or Save to Wav File is making ready: the one each step goes on with,
    // whatever the tree shows by then.
    std::optional<std::pair<int, int>> m_pendingMessage;
    // A connect has read this port's recorder: Download All New need not read it again.
    bool m_bDirectoryRead = false;
    std::unique_ptr<BatchProgress> m_pBatch;
    int m_nCommandDepth = 0;
    bool m_bCloseWhenIdle = false;
    // A connect's window is up before the connect itself could make one; the user's cancel in
    // it holds even when the connect ended before it heard it.
    QPointer<ProgressWindow> m_pConnectWindow;
    bool m_bConnectCancelled = false;
    std::unique_ptr<WaitCursor> m_pWaitCursor;
    QTimer* m_cancelTimer = nullptr;

    WorkingFolder m_workingFolder;
    bool m_bNoFolderReported = false;
    DecoderLibrary m_decoder;
    MessageFiles m_messageFiles{m_link, m_decoder};
    // Last: its worker, which uses the members above, is gone before they are.
    AsyncRecorderRunner m_runner{m_link, m_messageFiles};

    FileOpener m_openFile;
    SaveAsDialog m_saveAsDialog;
    DownloadDialogFn m_downloadDialog;
    FolderDialog m_folderDialog;
    std::function<std::time_t()> m_clock;
    std::function<void(ProgressWindow*)> m_progressObserver;
};
