#include "gui/views/files/file_list_loader.h"

#include <memory>
#include <utility>

#include "core/files/cqp_doc.h"
#include "gui/widgets/gui_thread_queue.h"

void FileListLoader::Load(std::string folder) {
    m_waiting = std::move(folder);
    if (!m_job.Running()) StartWaiting();
}

void FileListLoader::StartWaiting() {
    if (!m_waiting) return;
    std::string folder = *std::exchange(m_waiting, std::nullopt);
    auto list = std::make_shared<CQPDoc::FileList>();
    QObject* context = m_context;
    const bool started = m_job.Start(
        [folder, list] {
            *list = CQPDoc::ReadFileList(folder);
            return Result::Ok();
        },
        [context](std::function<void()> task) { GuiThreadQueue::Post(context, std::move(task)); },
        [this, folder, list](const Result&) {
            if (m_waiting) {
                StartWaiting();
                return;
            }
            m_doc.ShowFileList(folder, std::move(*list));
        });
    // No thread to be had: read here, as the window always did.
    if (!started) m_doc.FillFileList(folder);
}
