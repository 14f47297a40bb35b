#pragma once
#include <memory>
#include <string>

#include "core/base/progress_display.h"

// Stands in when a request brings no progress display, so the operations need no null checks.
class QuietProgress : public ProgressDisplay {
public:
    void SetRange(int, int, int step) override { m_step = step; }
    void SetText(const std::string&) override {}
    int StepIt() override { return m_pos += m_step; }
    void PeekAndPump(bool) override {}
    bool CancelPressed() const override { return false; }
    void Hide() override {}

private:
    int m_pos = 0;
    int m_step = 1;
};

// The display the factory makes for caption, or a quiet one when there is no factory or it
// made none.
inline std::unique_ptr<ProgressDisplay> MakeProgress(const ProgressFactory& factory,
                                                     const std::string& caption) {
    std::unique_ptr<ProgressDisplay> progress = factory ? factory(caption) : nullptr;
    if (!progress) progress = std::make_unique<QuietProgress>();
    return progress;
}
