#include "gui/views/files/gui_prompt.h"

#include <QApplication>
#include <QCursor>

#include "gui/widgets/message_box.h"

int GuiPrompt::Show(const std::string& text, const std::string& caption, bool question) {
    const bool waiting = m_waitDepth > 0;
    if (waiting) QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int answer = MessageBox::Show(m_owner, text, caption,
                                        question ? MessageBox::Question : MessageBox::Stop);
    if (waiting) QApplication::restoreOverrideCursor();
    return answer;
}

void GuiPrompt::ShowStop(const std::string& text, const std::string& caption) {
    Show(text, caption, false);
}

bool GuiPrompt::AskYesNo(const std::string& text, const std::string& caption) {
    return Show(text, caption, true) == MessageBox::IdYes;
}

void GuiPrompt::BeginWait() {
    if (m_waitDepth++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void GuiPrompt::EndWait() {
    if (m_waitDepth > 0 && --m_waitDepth == 0) QApplication::restoreOverrideCursor();
}
