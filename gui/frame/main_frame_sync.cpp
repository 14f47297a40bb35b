// Several messages at once: Download All New (a sync into a folder of the user's) and Save to
// Wav File with several selected, each under one progress window on the runner; the marks of
// the messages the chosen folder holds.
#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>
#include <memory>
#include <utility>

#include "core/link/message_label.h"
#include "core/res/strings.h"
#include "core/res/text_format.h"
#include "core/settings/settings_file.h"
#include "core/sync/save_messages.h"
#include "core/sync/sync_fault_words.h"
#include "core/sync/sync_run.h"
#include "core/sync/synced_messages.h"
#include "gui/frame/batch_progress.h"
#include "gui/frame/download_dialog.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/main_frame_command_scope.h"
#include "gui/frame/port_pane.h"
#include "gui/frame/recorder_failure.h"
#include "gui/views/files/left_view.h"
#include "gui/views/recorder/right_view.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/window_settings.h"

namespace {

std::optional<DownloadChoice> DefaultDownloadDialog(QWidget* parent,
                                                    const DownloadChoice& proposed) {
    DownloadDialog dialog(parent, proposed);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Choice();
}

QString DefaultFolderDialog(QWidget* parent, const QString& caption, const QString& folder) {
    return QFileDialog::getExistingDirectory(parent, caption, folder);
}

// What a batch of messages did, filled on the worker and read by its completion.
struct BatchOutcome {
    SyncOutcome sync;
    SaveMessagesOutcome saved;
    std::vector<SyncReport> failed;
};

// "\n1 File - 03: 12-25 14:05 (SP-1:07): cannot write (...)" for each message not saved.
std::string FailureLines(const std::vector<SyncReport>& failed) {
    std::string lines;
    for (const SyncReport& report : failed) {
        std::string why = SyncFaultWords(report.result);
        if (!report.result.Detail().empty()) why += " (" + report.result.Detail() + ")";
        lines += text::Format(text::kDownloadFailedLine, FolderBaseName(report.recording.folder),
                              report.label, why);
    }
    return lines;
}

}  // namespace

void CMainFrame::SetDownloadDialog(DownloadDialogFn dialog) {
    m_downloadDialog = std::move(dialog);
}

DownloadChoice CMainFrame::LastDownloadChoice() const {
    const SettingsFile& settings = WindowSettings();
    DownloadChoice choice;
    if (const auto folder = settings.Value(text::kSectionDownload, text::kValueFolder);
        folder && !folder->empty()) {
        choice.folder = QString::fromStdString(*folder);
    } else {
        QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
        if (music.isEmpty()) music = QDir::homePath();
        choice.folder = QDir(music).filePath(QString::fromLatin1(text::kDefaultDownloadFolder));
    }
    if (const auto format = settings.Value(text::kSectionDownload, text::kValueFormat)) {
        choice.format = AudioFormatFromName(*format).value_or(AudioFormat::Wav);
    }
    return choice;
}

void CMainFrame::RememberDownloadChoice(const DownloadChoice& choice) {
    SettingsFile& settings = WindowSettings();
    settings.SetValue(text::kSectionDownload, text::kValueFolder, choice.folder.toStdString());
    settings.SetValue(text::kSectionDownload, text::kValueFormat, AudioFormatName(choice.format));
    // Kept at once, as the progress window keeps its place: the next run finds it even when
    // this one never closes as it should.
    settings.Save();
}

void CMainFrame::ShowSyncedMessages() {
    // The directory belongs to the runner's worker while it runs; the marks follow once it is
    // done.
    if (!m_pRightView || m_runner.IsRunning()) return;
    m_pRightView->ShowSyncedMessages(
        SyncedMessages(m_link.Directory(), LastDownloadChoice().folder.toStdString()));
}

void CMainFrame::ShowDownloadFolder(const std::string& folder) {
    if (CLeftView* left = GetLeftView()) left->ShowFolder(folder);
    ShowSyncedMessages();
}

void CMainFrame::StartBatchProgress() {
    m_pBatch = std::make_unique<BatchProgress>(
        this, QString::fromLatin1(text::kReceiveCaption), [this] { RequestCancel(); },
        m_progressObserver);
}

void CMainFrame::OnDownloadAllNew() {
    if (RefuseWhileBusy() || !RequireWorkingFolder()) return;
    std::optional<DownloadChoice> choice;
    {
        CommandScope scope(*this);
        const DownloadDialogFn& dialog =
            m_downloadDialog ? m_downloadDialog : DownloadDialogFn(DefaultDownloadDialog);
        choice = dialog(this, LastDownloadChoice());
        if (!choice || choice->folder.isEmpty() || m_bCloseWhenIdle) return;
    }
    RememberDownloadChoice(*choice);
    // The marks follow the folder chosen, also when the sync then fails.
    ShowSyncedMessages();

    auto outcome = std::make_shared<BatchOutcome>();
    const bool connect = !m_bDirectoryRead;
    StartBatchProgress();
    const BatchProgress* batch = m_pBatch.get();
    SyncRequest request;
    request.folder = choice->folder.toStdString();
    request.workingFolder = m_workingFolder.Path();
    request.format = choice->format;
    request.connect = connect;
    // Play finds what the sync received.
    request.keepWorkingCopies = true;
    request.progress = batch->Displays();
    request.onProgress = [this, batch](const SyncProgress& progress) {
        if (progress.message > 0)
            batch->Show(progress, LabelOfMessage(m_link, progress.folder, progress.message));
    };
    request.onMessage = [outcome](const SyncReport& report) {
        if (!report.result) outcome->failed.push_back(report);
    };
    request.cancelled = [batch] { return batch->Cancelled(); };

    const std::string folder = request.folder;
    m_runner.Run(
        [this, request = std::move(request), outcome]() -> Result {
            outcome->sync = RunSync(m_link, m_messageFiles, request);
            return outcome->sync;
        },
        Poster(), Then([this, outcome, connect, folder](const Result&) {
            const SyncOutcome& sync = outcome->sync;
            if (!sync.connected) {
                if (sync.Is(Result::Category::FileNotWritten) || sync.Is(Result::Category::Busy)) {
                    ShowRecorderFailure(this, RecorderCommand::Sync, sync);
                    return;
                }
                // The connect before it failed or was cancelled, as a connect of its own.
                m_bDirectoryRead = false;
                if (sync.Is(Result::Category::Cancelled)) {
                    m_pRightView->ShowEmptyFolders();
                    m_wndPortPane->ShowPortOnly();
                } else {
                    m_wndPortPane->ShowPortOnly();
                    ShowRecorderFailure(this, RecorderCommand::Connect, sync);
                }
                return;
            }
            if (connect) {
                m_bDirectoryRead = true;
                ShowRecorderDirectory();
            }
            ShowDownloadFolder(folder);
            // A cancel says nothing, as every cancel here: what is finished stays.
            if (sync.Is(Result::Category::Cancelled)) return;
            std::string said =
                text::Format(text::kDownloadSummary, sync.fetched, folder, sync.already);
            if (!outcome->failed.empty()) {
                said += text::Format(text::kDownloadFailedHead,
                                     static_cast<int>(outcome->failed.size())) +
                        FailureLines(outcome->failed);
            }
            MessageBox::Show(this, said, text::kDownloadCaption,
                             outcome->failed.empty() ? MessageBox::Plain : MessageBox::Stop);
        }));
    UpdateCommandUI();
}

void CMainFrame::SaveSeveral(const std::vector<std::pair<int, int>>& messages) {
    QString chosen;
    {
        CommandScope scope(*this);
        const FolderDialog& dialog =
            m_folderDialog ? m_folderDialog : FolderDialog(DefaultFolderDialog);
        chosen = dialog(this, QString::fromLatin1(text::kSaveSeveralCaption),
                        QString::fromStdString(SaveAsFolder()));
        if (chosen.isEmpty() || m_bCloseWhenIdle) return;
    }
    auto outcome = std::make_shared<BatchOutcome>();
    StartBatchProgress();
    const BatchProgress* batch = m_pBatch.get();
    SaveMessagesRequest request;
    request.messages = messages;
    request.folder = QDir::toNativeSeparators(chosen).toStdString();
    request.workingFolder = m_workingFolder.Path();
    request.progress = batch->Displays();
    request.onProgress = [this, batch](const SyncProgress& progress) {
        batch->Show(progress, LabelOfMessage(m_link, progress.folder, progress.message));
    };
    request.cancelled = [batch] { return batch->Cancelled(); };

    const std::string folder = request.folder;
    const int count = static_cast<int>(messages.size());
    m_runner.Run(
        [this, request = std::move(request), outcome]() -> Result {
            outcome->saved = SaveMessagesInto(m_link, m_messageFiles, request);
            return outcome->saved;
        },
        Poster(), Then([this, outcome, folder, count](const Result&) {
            ShowDownloadFolder(folder);
            const SaveMessagesOutcome& saved = outcome->saved;
            if (saved.failed.empty()) return;
            MessageBox::Show(this,
                             text::Format(text::kSaveSeveralFailed,
                                          static_cast<int>(saved.failed.size()), count, folder) +
                                 FailureLines(saved.failed),
                             {}, MessageBox::Stop);
        }));
    UpdateCommandUI();
}
