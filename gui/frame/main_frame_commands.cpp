// The recorder commands: connect, play, save, delete, the recorder's clock, refresh, and the
// end of a download.
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "core/files/cqp_doc.h"
#include "core/files/file_copy.h"
#include "core/link/message_label.h"
#include "core/link/recorder_clock.h"
#include "core/res/strings.h"
#include "core/res/text_format.h"
#include "gui/frame/frame_host.h"
#include "gui/frame/main_frame.h"
#include "gui/frame/recorder_failure.h"
#include "gui/views/files/left_view.h"
#include "gui/views/recorder/right_view.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/wait_cursor.h"

namespace fs = std::filesystem;

// Marks a recorder command as running on the GUI thread (its progress window pumps events, so
// the user could start another): the other recorder commands are refused meanwhile, and a
// close asked for meanwhile happens once it is over.
class CMainFrame::CommandScope {
public:
    explicit CommandScope(CMainFrame& frame) : m_frame(frame) {
        ++m_frame.m_nCommandDepth;
        m_frame.UpdateCommandUI();
    }
    ~CommandScope() {
        if (--m_frame.m_nCommandDepth > 0) return;
        m_frame.UpdateCommandUI();
        if (m_frame.m_bCloseWhenIdle) m_frame.CloseWhenIdle();
    }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

private:
    CMainFrame& m_frame;
};

namespace {

std::tm LocalTime(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
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

void CMainFrame::OnConnect() {
    if (RefuseWhileBusy()) return;
    CommandScope scope(*this);
    WaitCursor wait;
    const Result connected = m_link.Connect(Progress());
    if (connected) {
        m_pRightView->RememberExpandedFolders();
        m_pRightView->ShowDirectory(m_link.Directory(), m_link.Mode());
    } else if (connected.Is(Result::Category::Cancelled)) {
        m_pRightView->ShowEmptyFolders();
    } else {
        wait.Restore();
        ShowRecorderFailure(this, RecorderCommand::Connect, connected);
    }
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

void CMainFrame::OnPlay() {
    if (RefuseWhileBusy()) return;
    int message = 0, folder = 0;
    // Only ever on a message of the tree as it is now.
    if (!m_pRightView || !m_pRightView->m_bMessageSelected ||
        !m_pRightView->GetCurrentMessage(message, folder)) {
        return;
    }
    if (!RequireWorkingFolder()) return;
    CommandScope scope(*this);
    const std::string folderPath = m_workingFolder.Path();
    m_strTargetPath = MessageFilePath(folderPath, folder, message, ".wav");
    // The flags say what this run made; the files may have gone since (the file list can
    // delete them), in which case the message is fetched or converted again.
    if (m_messageFiles.HasWav(folder, message, folderPath)) {
        OpenMessageFile(m_strTargetPath);
    } else if (!m_messageFiles.HasBin(folder, message, folderPath)) {
        m_bPlayAfterDownload = 1;
        StartDownload(folder, message);
    } else if (const ConvertResult converted =
                   m_messageFiles.ConvertToWav(folder, message, folderPath, Progress())) {
        OpenMessageFile(m_strTargetPath);
    } else {
        ShowRecorderFailure(this, RecorderCommand::Convert, converted);
    }
}

void CMainFrame::OnSaveToWav() {
    if (RefuseWhileBusy()) return;
    int message = 0, folder = 0;
    if (!m_pRightView || !m_pRightView->m_bMessageSelected ||
        !m_pRightView->GetCurrentMessage(message, folder)) {
        return;
    }
    if (!RequireWorkingFolder()) return;
    std::string proposed = m_pRightView->GetCurrentItemText();
    std::replace(proposed.begin(), proposed.end(), ':', '_');

    const SaveAsDialog& dialog =
        m_saveAsDialog ? m_saveAsDialog : SaveAsDialog(DefaultSaveAsDialog);
    const QString chosen =
        dialog(this, QString::fromStdString(SaveAsFolder()), QString::fromStdString(proposed),
               NameFilters(text::kSaveFilter), QString::fromLatin1(text::kWavExtension));
    if (chosen.isEmpty()) return;

    CommandScope scope(*this);
    m_strTargetPath = QDir::toNativeSeparators(chosen).toStdString();
    const std::string folderPath = m_workingFolder.Path();
    const std::string source = MessageFilePath(folderPath, folder, message, ".wav");
    if (m_messageFiles.HasWav(folder, message, folderPath)) {
        CopyToTarget(source, m_strTargetPath);
    } else if (m_messageFiles.HasBin(folder, message, folderPath)) {
        if (const ConvertResult converted =
                m_messageFiles.ConvertToWav(folder, message, folderPath, Progress())) {
            CopyToTarget(source, m_strTargetPath);
        } else {
            ShowRecorderFailure(this, RecorderCommand::Convert, converted);
        }
    } else {
        m_bPlayAfterDownload = 0;
        StartDownload(folder, message);
    }
    OnRefresh();
}

bool CMainFrame::CopyToTarget(const std::string& source, const std::string& target) {
    if (ReplaceWithCopy(source, target)) return true;
    MessageBox::Show(this,
                     text::Format(text::kFileCopyFailed, fs::path(target).filename().string()),
                     text::kFileCopyCaption, MessageBox::Stop);
    return false;
}

void CMainFrame::StartDownload(int folder, int message) {
    m_pendingDownload = std::make_pair(folder, message);
    m_link.StartDownload(folder, message,
                         {m_workingFolder.Path(), Progress(), Poster(),
                          [this](const Result& result) { OnDownloadComplete(result); }});
}

void CMainFrame::OnDownloadComplete(const Result& result) {
    // The message that was downloaded, whatever the tree shows by now.
    const auto downloaded = std::exchange(m_pendingDownload, std::nullopt);
    UpdateCommandUI();
    if (!result) {
        if (!m_bClosing) ShowRecorderFailure(this, RecorderCommand::Download, result);
        return;
    }
    if (!downloaded) return;
    const auto [folder, message] = *downloaded;

    CommandScope scope(*this);
    const std::string folderPath = m_workingFolder.Path();
    if (const ConvertResult converted =
            m_messageFiles.ConvertToWav(folder, message, folderPath, Progress());
        !converted) {
        ShowRecorderFailure(this, RecorderCommand::Convert, converted);
        return;
    }
    const std::string wav = MessageFilePath(folderPath, folder, message, ".wav");
    if (m_bPlayAfterDownload) {
        OpenMessageFile(wav);
    } else {
        CopyToTarget(wav, m_strTargetPath);
    }
    OnRefresh();
}

void CMainFrame::OnDeleteMessage() {
    if (RefuseWhileBusy()) return;
    int message = 0, folder = 0;
    if (!m_pRightView || !m_pRightView->GetCurrentMessage(message, folder)) return;
    // The PC's copies of the later messages are renumbered in the working folder.
    if (!RequireWorkingFolder()) return;
    CommandScope scope(*this);
    const std::string question =
        text::Format(text::kDeleteMessageNaming, text::kDeleteQuestion, FolderBaseName(folder),
                     m_pRightView->GetCurrentItemText());
    if (MessageBox::Show(this, question, text::kDeleteCaption, MessageBox::Question) !=
        MessageBox::IdYes) {
        return;
    }
    if (const Result deleted = m_link.DeleteMessage(folder, message); !deleted) {
        ShowRecorderFailure(this, RecorderCommand::Delete, deleted);
        return;
    }
    // The recorder has deleted it: the directory follows whatever became of the PC's copies
    // (a copy that could not be renumbered is no longer claimed by any entry).
    m_link.RemoveEntry(folder, message, m_workingFolder.Path());
    m_pRightView->RememberExpandedFolders();
    m_pRightView->ShowDirectory(m_link.Directory(), m_link.Mode());
}

void CMainFrame::OnSetTime() {
    if (RefuseWhileBusy()) return;
    CommandScope scope(*this);
    const std::tm now = LocalTime(m_clock());
    ShowRecorderFailure(this, RecorderCommand::SetTime, m_link.SetTime(now.tm_hour, now.tm_min));
}

void CMainFrame::OnSetDate() {
    if (RefuseWhileBusy()) return;
    CommandScope scope(*this);
    // The local date, as the recorder's clock (SetTime) and its day count are local: the
    // UTC date would be a day off for part of every day.
    const std::tm now = LocalTime(m_clock());
    ShowRecorderFailure(this, RecorderCommand::SetDate,
                        m_link.SetDate(now.tm_year + 1900, now.tm_mon + 1, now.tm_mday));
}

void CMainFrame::OnRefresh() {
    CLeftView* left = GetLeftView();
    if (!left) return;
    m_doc.FillFileList(left->SelectedFolderPath());
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
