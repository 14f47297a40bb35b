#include "gui/frame/progress_window_display.h"

ProgressWindowDisplay::ProgressWindowDisplay(ProgressWindow* window) : m_window(window) {}

ProgressWindowDisplay::~ProgressWindowDisplay() {
    delete m_window.data();
}

void ProgressWindowDisplay::SetRange(int lower, int upper, int step) {
    if (m_window) m_window->SetRange(lower, upper, step);
}

void ProgressWindowDisplay::SetText(const std::string& text) {
    if (m_window) m_window->SetText("%s", text.c_str());
}

int ProgressWindowDisplay::StepIt() {
    return m_window ? m_window->StepIt() : 0;
}

void ProgressWindowDisplay::PeekAndPump(bool cancelOnEscape) {
    if (m_window) m_window->PeekAndPump(cancelOnEscape ? 1 : 0);
}

bool ProgressWindowDisplay::CancelPressed() const {
    return !m_window || m_window->m_bCancelPressed != 0;
}

void ProgressWindowDisplay::Hide() {
    if (m_window) m_window->Hide();
}

void ProgressWindowDisplay::SetCancelHook(std::function<void()> hook) {
    if (m_window) m_window->SetCancelCallback(std::move(hook));
}
