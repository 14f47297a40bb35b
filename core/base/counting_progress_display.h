#pragma once
#include <functional>
#include <memory>
#include <string>

#include "core/base/progress_display.h"

// Another display (or none) passed through, that tells each step as it comes and adds a
// cancel of its caller's to the display's own: how an operation that runs several others under
// one progress (a batch of downloads) counts their blocks and stops them.
class CountingProgressDisplay final : public ProgressDisplay {
public:
    CountingProgressDisplay(std::unique_ptr<ProgressDisplay> inner, std::function<void()> onStep,
                            std::function<bool()> cancelled)
        : m_inner(std::move(inner)),
          m_onStep(std::move(onStep)),
          m_cancelled(std::move(cancelled)) {}

    void SetRange(int lower, int upper, int step) override;
    void SetText(const std::string& text) override;
    int StepIt() override;
    void PeekAndPump(bool cancelOnEscape) override;
    bool CancelPressed() const override;
    void Hide() override;
    void SetCancelHook(std::function<void()> hook) override;

private:
    std::unique_ptr<ProgressDisplay> m_inner;
    std::function<void()> m_onStep;
    std::function<bool()> m_cancelled;
    int m_position = 0;
};
