#pragma once
#include <memory>
#include <string>

#include "core/base/progress_display.h"
#include "core/link/link_owner.h"

// Stands in when an owner gives no progress display, so the operations need no null checks.
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

inline std::unique_ptr<ProgressDisplay> CreateProgressOrQuiet(LinkOwner* owner,
                                                              const std::string& caption) {
    std::unique_ptr<ProgressDisplay> progress;
    if (owner) progress = owner->CreateProgress(caption);
    if (!progress) progress = std::make_unique<QuietProgress>();
    return progress;
}
