#pragma once
#include "gui/frame/main_frame.h"

// Marks a recorder command as waiting on the GUI thread for its question's answer (the box runs
// an event loop, so the user could start another): the other recorder commands are refused
// meanwhile, and a close asked for meanwhile happens once it is over.
class CMainFrame::CommandScope {
public:
    explicit CommandScope(CMainFrame& frame) : m_frame(frame) {
        ++m_frame.m_nCommandDepth;
        m_frame.UpdateCommandUI();
    }
    ~CommandScope() {
        if (--m_frame.m_nCommandDepth > 0) return;
        m_frame.UpdateCommandUI();
        if (m_frame.m_bCloseWhenIdle) m_frame.CloseWhenIdle();
    }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

private:
    CMainFrame& m_frame;
};
