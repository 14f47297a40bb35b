#pragma once
#include <QApplication>

// The wait cursor for as long as the object lives.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { Restore(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    // Gives the normal cursor back early (before a message box, say).
    void Restore() {
        if (m_active) QApplication::restoreOverrideCursor();
        m_active = false;
    }

private:
    bool m_active = true;
};
