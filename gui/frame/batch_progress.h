#pragma once
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "core/base/progress_display.h"
#include "core/sync/sync_run.h"

class QWidget;
class ProgressWindow;

// The one progress window of a batch of messages (Download All New, several messages saved at
// once), driven from the runner's worker: its caption names the message under way of all and
// the percentage of all the work ("Receive 3 of 12 [25%]"), its text line the message and the
// time left. A connect before the batch shows in it too; the downloads and conversions of the
// messages show only through the batch's own progress.
//
// Made and destroyed on the GUI thread; Displays' displays and Show belong to the worker. The
// window lives until the object goes.
class BatchProgress {
public:
    // The window is up at once, with Cancel, which sets Cancelled and runs onCancel on the GUI
    // thread; observer, if set, sees the window.
    BatchProgress(QWidget* owner, const QString& caption, std::function<void()> onCancel,
                  const std::function<void(ProgressWindow*)>& observer);
    ~BatchProgress();
    BatchProgress(const BatchProgress&) = delete;
    BatchProgress& operator=(const BatchProgress&) = delete;

    // The displays the link's operations ask for on the worker.
    ProgressFactory Displays() const;
    // Where the batch stands, on the worker: label is the message under way's label.
    void Show(const SyncProgress& progress, const std::string& label) const;
    // Any thread: the user cancelled, or the owner did.
    bool Cancelled() const;
    // GUI thread: the owner cancels (the window closing), as the window's Cancel does.
    void Cancel();

    // The bar's range: the work in thousandths.
    static constexpr int kRange = 1000;

    struct Shared;

private:
    QWidget* m_owner;
    std::shared_ptr<Shared> m_shared;
};
