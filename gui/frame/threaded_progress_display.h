#pragma once
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "core/base/progress_display.h"

class QWidget;
class ProgressWindow;

// A progress window driven from a worker thread (the recorder operations run on one). Widgets
// live on the GUI thread, so every call here is handed to the GUI thread (GuiThreadQueue, for
// the owner), in order, without waiting (the GUI thread may itself be waiting for the worker
// to stop). The cancel flag is shared and atomic; the cancel hook runs on the GUI thread when the
// user cancels.
//
// The owner must outlive the worker (the main frame gives its runner up before it goes).
class ThreadedProgressDisplay : public ProgressDisplay {
public:
    // What the display and its window share across the threads.
    struct Shared;

    // Called on the worker. created, if set, runs on the GUI thread with the new window (the
    // frame shows tests the windows it makes).
    ThreadedProgressDisplay(QWidget* owner, const QString& caption,
                            std::function<void(ProgressWindow*)> created = {});
    // Called on the worker: takes over a window shown before the operation began (see Share).
    ThreadedProgressDisplay(QWidget* owner, std::shared_ptr<Shared> shown);
    ~ThreadedProgressDisplay() override;  // the window goes with the display

    // GUI thread: a window shown before its operation could make one, for a display made later
    // on the worker to take over; until then its Cancel and Escape are remembered, and
    // onCancel (if set) also runs, on the GUI thread.
    static std::shared_ptr<Shared> Share(ProgressWindow* window, std::function<void()> onCancel);

    void SetRange(int lower, int upper, int step) override;
    void SetText(const std::string& text) override;
    int StepIt() override;
    void PeekAndPump(bool cancelOnEscape) override;
    bool CancelPressed() const override;
    void Hide() override;
    void SetCancelHook(std::function<void()> hook) override;

private:
    void Post(std::function<void(ProgressWindow&)> call);

    QWidget* m_owner;
    std::shared_ptr<Shared> m_shared;
    // The worker's own view of the position, so StepIt can answer at once.
    int m_nPos = 0;
    int m_nStep = 1;
    bool m_bWatchingEscape = false;
};
