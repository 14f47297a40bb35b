#include "gui/frame/batch_progress.h"

#include <QWidget>
#include <algorithm>
#include <atomic>

#include "core/base/number_text.h"
#include "core/link/message_label.h"
#include "core/res/strings.h"
#include "core/res/text_format.h"
#include "gui/frame/progress_window.h"
#include "gui/widgets/gui_thread_queue.h"

struct BatchProgress::Shared {
    std::atomic<bool> cancelled{false};
    QPointer<ProgressWindow> window;  // GUI thread only
};

namespace {

using Shared = BatchProgress::Shared;

void PostTo(QWidget* owner, const std::shared_ptr<Shared>& shared,
            std::function<void(ProgressWindow&)> call) {
    GuiThreadQueue::Post(owner, [shared, call = std::move(call)] {
        // A cancelled window stays hidden: a step would show it again.
        if (shared->window && !shared->cancelled) call(*shared->window);
    });
}

// The connect before a sync, in the batch's window under its own caption; the window stays up
// when the connect is over.
class ConnectDisplay final : public ProgressDisplay {
public:
    ConnectDisplay(QWidget* owner, std::shared_ptr<Shared> shared)
        : m_owner(owner), m_shared(std::move(shared)) {}

    void SetRange(int lower, int upper, int step) override {
        m_nStep = step;
        Post([lower, upper, step](ProgressWindow& w) {
            w.SetTitle(QString::fromLatin1(text::kConnectCaption));
            w.SetRange(lower, upper, step);
            w.SetPos(0);
        });
    }
    void SetText(const std::string& text) override {
        Post([text](ProgressWindow& w) { w.SetText("%s", text.c_str()); });
    }
    int StepIt() override {
        Post([](ProgressWindow& w) { w.StepIt(); });
        return m_nPos += m_nStep;
    }
    void PeekAndPump(bool) override {}
    bool CancelPressed() const override { return m_shared->cancelled; }
    void Hide() override {}

private:
    void Post(std::function<void(ProgressWindow&)> call) {
        PostTo(m_owner, m_shared, std::move(call));
    }

    QWidget* m_owner;
    std::shared_ptr<Shared> m_shared;
    int m_nPos = 0;
    int m_nStep = 1;
};

}  // namespace

BatchProgress::BatchProgress(QWidget* owner, const QString& caption, std::function<void()> onCancel,
                             const std::function<void(ProgressWindow*)>& observer)
    : m_owner(owner), m_shared(std::make_shared<Shared>()) {
    auto* window = new ProgressWindow(owner, caption, 1);
    window->SetRange(0, kRange, 1);
    m_shared->window = window;
    // Nobody pumps for it on the GUI thread: its Escape cancels for as long as it is up.
    window->WatchEscape();
    window->SetCancelCallback([shared = m_shared, onCancel = std::move(onCancel)] {
        shared->cancelled = true;
        if (onCancel) onCancel();
    });
    if (observer) observer(window);
}

BatchProgress::~BatchProgress() {
    delete m_shared->window.data();
}

ProgressFactory BatchProgress::Displays() const {
    return [owner = m_owner,
            shared = m_shared](const std::string& caption) -> std::unique_ptr<ProgressDisplay> {
        if (caption == text::kConnectCaption)
            return std::make_unique<ConnectDisplay>(owner, shared);
        // A message's download and conversion show as the batch's progress.
        return nullptr;
    };
}

void BatchProgress::Show(const SyncProgress& progress, const std::string& label) const {
    const int number = std::min(progress.done + 1, std::max(progress.total, 1));
    const QString title = QString::fromStdString(
        text::Format(text::kBatchCaption, text::kReceiveCaption, number, progress.total));
    const int position =
        progress.bytesTotal > 0
            ? static_cast<int>(std::min<std::uint64_t>(progress.bytesDone, progress.bytesTotal) *
                               kRange / progress.bytesTotal)
            : (progress.total > 0 ? progress.done * kRange / progress.total : 0);
    const std::string line = text::Format(text::kBatchText, FolderBaseName(progress.folder), label,
                                          Duration(progress.secondsLeft));
    PostTo(m_owner, m_shared, [title, position, line](ProgressWindow& w) {
        const bool afterConnect = w.m_nUpper != kRange;
        if (afterConnect) w.SetRange(0, kRange, 1);
        if (afterConnect || w.m_nPos != position) w.SetPos(position);
        // After the position, so the caption shows the percentage just reached.
        w.SetTitle(title);
        w.SetText("%s", line.c_str());
    });
}

bool BatchProgress::Cancelled() const {
    return m_shared->cancelled;
}

void BatchProgress::Cancel() {
    m_shared->cancelled = true;
    if (m_shared->window) m_shared->window->Hide();
}
