#pragma once
#include <QPointer>

#include "core/base/progress_display.h"
#include "gui/frame/progress_window.h"

// The long operations' view of a ProgressWindow on the GUI thread (connect and conversion run
// there). Owns the window.
class ProgressWindowDisplay : public ProgressDisplay {
public:
    explicit ProgressWindowDisplay(ProgressWindow* window);
    ~ProgressWindowDisplay() override;

    void SetRange(int lower, int upper, int step) override;
    void SetText(const std::string& text) override;
    int StepIt() override;
    void PeekAndPump(bool cancelOnEscape) override;
    bool CancelPressed() const override;
    void Hide() override;
    void SetCancelHook(std::function<void()> hook) override;

    ProgressWindow* Window() const { return m_window; }

private:
    // The window goes with its owner should the owner close first; a vanished window counts as
    // cancelled so the operation stops.
    QPointer<ProgressWindow> m_window;
};
