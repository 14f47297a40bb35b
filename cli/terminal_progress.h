#pragma once
#include <ostream>
#include <string>

#include "core/base/progress_display.h"

// The progress window of the command line: a bar redrawn in place on standard error when it is
// a terminal, nothing otherwise. Ctrl-C is its Cancel button.
class TerminalProgress : public ProgressDisplay {
public:
    TerminalProgress(std::string caption, std::ostream* terminal);
    ~TerminalProgress() override;

    void SetRange(int lower, int upper, int step) override;
    void SetText(const std::string& text) override;
    int StepIt() override;
    void PeekAndPump(bool cancelOnEscape) override {}
    bool CancelPressed() const override;
    void Hide() override;

    // "Receive [ 45%] ###########-------------  9/20": the line drawn at the current position.
    std::string Line() const;

private:
    void Draw();

    std::string m_caption;
    std::ostream* m_terminal;  // null: draw nothing
    int m_lower = 0;
    int m_upper = 100;
    int m_step = 1;
    int m_pos = 0;
    int m_drawnCells = -1;
    int m_drawnPercent = -1;
    bool m_visible = false;
};
