#include "core/base/counting_progress_display.h"

void CountingProgressDisplay::SetRange(int lower, int upper, int step) {
    if (m_inner) m_inner->SetRange(lower, upper, step);
}

void CountingProgressDisplay::SetText(const std::string& text) {
    if (m_inner) m_inner->SetText(text);
}

int CountingProgressDisplay::StepIt() {
    if (m_onStep) m_onStep();
    return m_inner ? m_inner->StepIt() : ++m_position;
}

void CountingProgressDisplay::PeekAndPump(bool cancelOnEscape) {
    if (m_inner) m_inner->PeekAndPump(cancelOnEscape);
}

bool CountingProgressDisplay::CancelPressed() const {
    return (m_cancelled && m_cancelled()) || (m_inner && m_inner->CancelPressed());
}

void CountingProgressDisplay::Hide() {
    if (m_inner) m_inner->Hide();
}

// NOLINTNEXTLINE(performance-unnecessary-value-param)
void CountingProgressDisplay::SetCancelHook(std::function<void()> hook) {
    if (m_inner) m_inner->SetCancelHook(std::move(hook));
}
