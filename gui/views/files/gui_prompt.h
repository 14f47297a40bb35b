#pragma once
#include "core/files/user_prompt.h"

class QWidget;

// The operations' questions and failures as the program's message boxes owned by a view, and
// the wait cursor as the application's override cursor (the arrow comes back while a box is
// up, so the user can answer it).
class GuiPrompt : public UserPrompt {
public:
    explicit GuiPrompt(QWidget* owner) : m_owner(owner) {}
    void ShowStop(const std::string& text, const std::string& caption) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    void BeginWait() override;
    void EndWait() override;

private:
    int Show(const std::string& text, const std::string& caption, bool question);

    QWidget* m_owner;
    int m_waitDepth = 0;
};
