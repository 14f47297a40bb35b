// The recorder commands: connect, play, save, delete, the recorder's clock, refresh, and the
// ends of their operations on the runner.
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "core/base/calendar_time.h"
#include "core/files/cqp_doc.h"
#include "core/files/file_copy.h"
#include "core/link/message_label.h"
#include "core/res/strings.h"
#include "core/res/text_format.h"
#include "core/sync/save_messages.h"
#include "gui/frame/batch_progress.h"
#include "gui/frame/frame_host.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/main_frame_command_scope.h"
#include "gui/frame/port_pane.h"
#include "gui/frame/progress_window.h"
#include "gui/frame/recorder_failure.h"
#include "gui/frame/threaded_progress_display.h"
#include "gui/views/files/left_view.h"
#include "gui/views/recorder/right_view.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/wait_cursor.h"

namespace fs = std::filesystem;

namespace {

std::tm LocalTime(std::time_t t) {
    std::tm tm{};
    LocalCalendarTime(t, &tm);
    return tm;
}

QString DefaultSaveAsDialog(QWidget* parent, const QString& folder, const QString& proposedName,
                            const QStringList& filters, const QString& defaultSuffix) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(defaultSuffix);
    if (!folder.isEmpty()) dialog.setDirectory(folder);
    dialog.selectFile(proposedName);
    // The dialog asks before it lets the user pick an existing file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

}  // namespace

AsyncRecorderRunner::Completion CMainFrame::Then(std::function<void(const Result&)> then) {
    return [this, then = std::move(then)](const Result& result) {
        m_cancelTimer->stop();
        m_pWaitCursor.reset();
        delete m_pConnectWindow.data();  // when the connect ended before it took it over
        m_pBatch.reset();
        if (m_bCloseWhenIdle) {
            // The user is leaving: nothing more is shown, played or asked of the recorder.
            m_pendingMessage.reset();
            CloseWhenIdle();
            return;
        }
        then(result);
        UpdateCommandUI();
    };
}

void CMainFrame::OnConnect() {
    if (RefuseWhileBusy()) return;
    m_pWaitCursor = std::make_unique<WaitCursor>();
    // The window is up, Cancel with it, while the first reply is awaited; the connect takes it
    // over once it knows how many headers follow.
    auto* window = new ProgressWindow(this, QString::fromLatin1(text::kConnectCaption), 1);
    window->SetText("%s", text::kConnectText);
    m_pConnectWindow = window;
    m_bConnectCancelled = false;
    auto shown = ThreadedProgressDisplay::Share(window, [this] {
        m_bConnectCancelled = true;
        RequestCancel();
    });
    if (m_progressObserver) m_progressObserver(window);
    m_runner.Connect(
        [this, shown](const std::string&) {
            return std::make_unique<ThreadedProgressDisplay>(this, shown);
        },
        Poster(), Then([this](const Result& connected) {
            m_bDirectoryRead = connected && !m_bConnectCancelled;
            if (connected.Is(Result::Category::Cancelled) || m_bConnectCancelled) {
                m_pRightView->ShowEmptyFolders();
                m_wndPortPane->ShowPortOnly();
            } else if (connected) {
                ShowRecorderDirectory();
            } else {
                m_wndPortPane->ShowPortOnly();
                ShowRecorderFailure(this, RecorderCommand::Connect, connected);
            }
        }));
}

void CMainFrame::ShowRecorderDirectory() {
    m_pRightView->RememberExpandedFolders();
    m_pRightView->ShowDirectory(m_link.Directory(), m_link.Mode());
    int messages = 0;
    for (int f = 0; f < kFolderCount; ++f) messages += m_link.Directory().Count(f);
    m_wndPortPane->ShowConnected(m_link.Mode(), messages);
    ShowSyncedMessages();
}

void CMainFrame::OpenMessageFile(const std::string& path) {
    const bool opened =
        m_openFile ? m_openFile(path)
                   : QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
    // Without a player for ".wav" nothing would happen at all: the user is told where the file
    // is, to open it some other way.
    if (!opened) {
        MessageBox::Show(this, text::Format(text::kPlayOpenFailed, path), {}, MessageBox::Stop);
    }
}

std::string CMainFrame::SaveAsFolder() const {
    std::string shown = m_pLeftView ? m_pLeftView->SelectedFolderPath() : std::string();
    if (shown.empty()) shown = m_app.m_strLeftPath;
    // A folder that has gone since opens its nearest parent that is still there.
    fs::path folder(shown);
    std::error_code error;
    while (!folder.empty() && !fs::is_directory(folder, error)) {
        const fs::path parent =
            folder.has_filename() ? folder.parent_path() : folder.parent_path().parent_path();
        if (parent == folder) break;
        folder = parent;
    }
    if (folder.empty() || !fs::is_directory(folder, error)) return shown;
    std::string path = folder.string();
    if (path.back() != fs::path::preferred_separator) path += fs::path::preferred_separator;
    return path;
}

std::optional<std::pair<int, int>> CMainFrame::MessageToProvide() {
    if (RefuseWhileBusy()) return std::nullopt;
    int message = 0, folder = 0;
    // Only ever on a message of the tree as it is now.
    if (!m_pRightView || !m_pRightView->m_bMessageSelected ||
        !m_pRightView->GetCurrentMessage(message, folder)) {
        return std::nullopt;
    }
    if (!RequireWorkingFolder()) return std::nullopt;
    return std::make_pair(folder, message);
}

void CMainFrame::OnPlay() {
    // With several selected, the current one plays.
    const auto chosen = MessageToProvide();
    if (!chosen) return;
    const auto [folder, message] = *chosen;
    m_strTargetPath = MessageFilePath(m_workingFolder.Path(), folder, message, ".wav");
    m_bPlayAfterDownload = 1;
    // The flags say what this run made; the files may have gone since (the file list can
    // delete them), in which case the message is fetched or converted again.
    if (m_messageFiles.HasWav(folder, message, m_workingFolder.Path())) {
        OpenMessageFile(m_strTargetPath);
        return;
    }
    ProvideMessage(folder, message);
}

void CMainFrame::OnSaveToWav() {
    const auto chosen = MessageToProvide();
    if (!chosen) return;
    // Several selected, the current one among them: each goes into a folder the user chooses.
    const std::vector<std::pair<int, int>> selected = m_pRightView->GetSelectedMessages();
    if (selected.size() > 1 &&
        std::find(selected.begin(), selected.end(), *chosen) != selected.end()) {
        SaveSeveral(selected);
        return;
    }
    const auto [folder, message] = *chosen;
    std::string proposed = m_pRightView->GetCurrentItemText();
    std::replace(proposed.begin(), proposed.end(), ':', '_');

    const SaveAsDialog& dialog =
        m_saveAsDialog ? m_saveAsDialog : SaveAsDialog(DefaultSaveAsDialog);
    const QString chosenPath =
        dialog(this, QString::fromStdString(SaveAsFolder()), QString::fromStdString(proposed),
               NameFilters(text::kSaveFilter), QString::fromLatin1(text::kWavExtension));
    if (chosenPath.isEmpty() || m_bCloseWhenIdle) return;
    m_strTargetPath = QDir::toNativeSeparators(chosenPath).toStdString();
    m_bPlayAfterDownload = 0;
    ProvideMessage(folder, message);
}

void CMainFrame::ProvideMessage(int folder, int message) {
    m_pendingMessage = std::make_pair(folder, message);
    const std::string folderPath = m_workingFolder.Path();
    if (m_messageFiles.HasWav(folder, message, folderPath)) {
        DeliverMessage();
    } else if (m_messageFiles.HasBin(folder, message, folderPath)) {
        ConvertMessage();
    } else {
        m_runner.EnsureBin(folder, message, folderPath, Progress(), Poster(),
                           Then([this](const Result& result) { OnDownloadComplete(result); }));
    }
    UpdateCommandUI();
}

bool CMainFrame::MessageStepDone(RecorderCommand step, const Result& result) {
    if (result) return true;
    m_pendingMessage.reset();
    ShowRecorderFailure(this, step, result);
    return false;
}

void CMainFrame::OnDownloadComplete(const Result& result) {
    if (MessageStepDone(RecorderCommand::Download, result)) ConvertMessage();
}

void CMainFrame::ConvertMessage() {
    if (!m_pendingMessage) return;
    const auto [folder, message] = *m_pendingMessage;
    m_runner.EnsureWav(folder, message, m_workingFolder.Path(), Progress(), Poster(),
                       Then([this](const Result& result) { OnConvertComplete(result); }));
}

void CMainFrame::OnConvertComplete(const Result& result) {
    if (MessageStepDone(RecorderCommand::Convert, result)) DeliverMessage();
}

void CMainFrame::DeliverMessage() {
    if (!m_pendingMessage) return;
    const auto [folder, message] = *std::exchange(m_pendingMessage, std::nullopt);
    const std::string wav = MessageFilePath(m_workingFolder.Path(), folder, message, ".wav");
    if (m_bPlayAfterDownload) {
        OpenMessageFile(wav);
        OnRefresh();
        return;
    }
    // A long message's WAV file is large, and written whole and synced before it replaces
    // the file the user chose: on the worker too.
    const std::string target = m_strTargetPath;
    m_runner.Run(
        [wav, target]() -> Result {
            if (ReplaceWithCopy(wav, target)) return {};
            return {Result::Category::FileNotWritten, target};
        },
        Poster(), Then([this, target](const Result& copied) {
            if (!copied) {
                MessageBox::Show(
                    this, text::Format(text::kFileCopyFailed, fs::path(target).filename().string()),
                    text::kFileCopyCaption, MessageBox::Stop);
            }
            OnRefresh();
        }));
}

void CMainFrame::OnDeleteMessage() {
    if (RefuseWhileBusy()) return;
    int message = 0, folder = 0;
    if (!m_pRightView || !m_pRightView->GetCurrentMessage(message, folder)) return;
    // The PC's copies of the later messages are renumbered in the working folder.
    if (!RequireWorkingFolder()) return;
    // Several selected, the current one among them: all of them go, and the question names
    // each; else the current one alone.
    std::vector<std::pair<int, int>> messages = m_pRightView->GetSelectedMessages();
    if (messages.size() < 2 || std::find(messages.begin(), messages.end(),
                                         std::make_pair(folder, message)) == messages.end()) {
        messages = {{folder, message}};
    }
    {
        CommandScope scope(*this);
        std::string question =
            text::Format(text::kDeleteMessageNaming, text::kDeleteQuestion, FolderBaseName(folder),
                         m_pRightView->GetCurrentItemText());
        if (messages.size() > 1) {
            question = text::kDeleteQuestion;
            question += "\n";
            for (const auto& [f, m] : messages) {
                question += text::Format(text::kDeleteMessageMore, FolderBaseName(f),
                                         LabelOfMessage(m_link, f, m));
            }
        }
        if (MessageBox::Show(this, question, text::kDeleteCaption, MessageBox::Question) !=
                MessageBox::IdYes ||
            m_bCloseWhenIdle) {
            return;
        }
    }
    const bool several = messages.size() > 1;
    m_runner.Delete(std::move(messages), m_workingFolder.Path(), Poster(),
                    Then([this, several](const Result& deleted) {
                        // FileNotWritten comes only from the renumbering: the recorder has deleted
                        // the message, and the directory followed whatever became of the PC's
                        // copies (a copy that could not be renumbered is no longer claimed by any
                        // entry).
                        if (!deleted && !deleted.Is(Result::Category::FileNotWritten)) {
                            ShowRecorderFailure(this, RecorderCommand::Delete, deleted);
                            // Those deleted before the recorder refused one are gone.
                            if (several) ShowRecorderDirectory();
                            return;
                        }
                        ShowRecorderDirectory();
                    }));
    UpdateCommandUI();
}

void CMainFrame::OnSetTime() {
    if (RefuseWhileBusy()) return;
    const std::tm now = LocalTime(m_clock());
    m_runner.SetTime(now.tm_hour, now.tm_min, Poster(), Then([this](const Result& set) {
                         ShowRecorderFailure(this, RecorderCommand::SetTime, set);
                     }));
}

void CMainFrame::OnSetDate() {
    if (RefuseWhileBusy()) return;
    // The local date, as the recorder's clock (SetTime) and its day count are local: the
    // UTC date would be a day off for part of every day.
    const std::tm now = LocalTime(m_clock());
    m_runner.SetDate(now.tm_year + 1900, now.tm_mon + 1, now.tm_mday, Poster(),
                     Then([this](const Result& set) {
                         ShowRecorderFailure(this, RecorderCommand::SetDate, set);
                     }));
}

void CMainFrame::OnRefresh() {
    if (CLeftView* left = GetLeftView()) left->RefreshFileList();
}

void CMainFrame::ShowMessageDate() {
    // The date the tree keeps with the message: the directory itself may be changing on the
    // runner's worker meanwhile.
    const std::string date = m_pRightView ? m_pRightView->GetCurrentMessageDate() : std::string();
    if (date.empty()) {
        ResetMessageDate();
        return;
    }
    m_wndDatePane->setText(QString::fromStdString(date));
}

void CMainFrame::ResetMessageDate() {
    m_wndDatePane->setText(QString::fromLatin1(text::kMessageDateTime));
}
