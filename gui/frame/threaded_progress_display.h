#pragma once
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "core/base/progress_display.h"

class QWidget;
class ProgressWindow;

// The download's progress window, driven from the download thread. Widgets live on the GUI
// thread, so every call here is handed to the GUI thread as a queued call on the owner, in
// order, without waiting (the GUI thread may itself be waiting for the download to stop). The
// cancel flag is shared and atomic; the cancel hook runs on the GUI thread when the user
// cancels.
//
// The owner must outlive the download thread (the main frame joins it before it goes).
class ThreadedProgressDisplay : public ProgressDisplay {
public:
    // Called on the download thread. created, if set, runs on the GUI thread with the new
    // window (the frame shows tests the windows it makes).
    ThreadedProgressDisplay(QWidget* owner, const QString& caption,
                            std::function<void(ProgressWindow*)> created = {});
    ~ThreadedProgressDisplay() override;

    void SetRange(int lower, int upper, int step) override;
    void SetText(const std::string& text) override;
    int StepIt() override;
    void PeekAndPump(bool cancelOnEscape) override;
    bool CancelPressed() const override;
    void Hide() override;
    void SetCancelHook(std::function<void()> hook) override;

private:
    struct Shared;
    void Post(std::function<void(ProgressWindow&)> call);

    QWidget* m_owner;
    std::shared_ptr<Shared> m_shared;
    // The download thread's own view of the position, so StepIt can answer at once.
    int m_nPos = 0;
    int m_nStep = 1;
    bool m_bWatchingEscape = false;
};
