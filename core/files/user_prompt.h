#pragma once
#include <string>

// How the folder and file operations talk to the user: a failure box (OK button, stop icon),
// a question (Yes and No, question icon), and the wait cursor around long work. The window
// program shows real boxes; tests answer from a script.
class UserPrompt {
public:
    virtual ~UserPrompt() = default;
    virtual void ShowStop(const std::string& text, const std::string& caption) = 0;
    // True when the user answered Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
    virtual void BeginWait() {}
    virtual void EndWait() {}
};

// The wait cursor for one scope, restored on every way out.
class WaitScope {
public:
    explicit WaitScope(UserPrompt& prompt) : m_prompt(prompt) { m_prompt.BeginWait(); }
    ~WaitScope() { m_prompt.EndWait(); }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

private:
    UserPrompt& m_prompt;
};
