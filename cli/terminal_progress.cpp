#include "cli/terminal_progress.h"

#include <cstdio>

#include "cli/interruption.h"

namespace {
constexpr int kBarCells = 30;
}

TerminalProgress::TerminalProgress(std::string caption, std::ostream* terminal)
    : m_caption(std::move(caption)), m_terminal(terminal) {}

TerminalProgress::~TerminalProgress() {
    Hide();
}

void TerminalProgress::SetRange(int lower, int upper, int step) {
    m_lower = lower;
    m_upper = upper;
    m_step = step;
    m_pos = lower;
}

void TerminalProgress::SetText(const std::string&) {
    // The caption says it all on one terminal line; the window's longer text line is not shown.
    Draw();
}

int TerminalProgress::StepIt() {
    m_pos += m_step;
    Draw();
    return m_pos;
}

bool TerminalProgress::CancelPressed() const {
    return interruption::Raised();
}

void TerminalProgress::Hide() {
    if (!m_visible || !m_terminal) return;
    *m_terminal << "\r\033[K" << std::flush;
    m_visible = false;
    m_drawnCells = m_drawnPercent = -1;
}

std::string TerminalProgress::Line() const {
    const int span = m_upper - m_lower;
    const int done = m_pos - m_lower;
    // As the progress window counts it: of the range, 0 % when the range is empty.
    const int percent = span > 0 ? static_cast<int>(static_cast<long long>(done) * 100 / span) : 0;
    const int cells =
        span > 0 ? static_cast<int>(static_cast<long long>(done) * kBarCells / span) : 0;
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, " [%3d%%] ", percent);
    std::string line = m_caption + numbers;
    for (int i = 0; i < kBarCells; ++i) line += i < cells ? '#' : '-';
    std::snprintf(numbers, sizeof numbers, " %d/%d", done, span);
    return line + numbers;
}

void TerminalProgress::Draw() {
    if (!m_terminal) return;
    const int span = m_upper - m_lower;
    const int done = m_pos - m_lower;
    const int percent = span > 0 ? static_cast<int>(static_cast<long long>(done) * 100 / span) : 0;
    const int cells =
        span > 0 ? static_cast<int>(static_cast<long long>(done) * kBarCells / span) : 0;
    // Redraw when something visible changes, not on every block of a long message.
    if (m_visible && percent == m_drawnPercent && cells == m_drawnCells && span > 200) return;
    *m_terminal << "\r\033[K" << Line() << std::flush;
    m_visible = true;
    m_drawnPercent = percent;
    m_drawnCells = cells;
}
