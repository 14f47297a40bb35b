#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMessageBox;
class QWidget;

// Every message box of the window program goes through here, so the texts, captions, buttons
// and icons stay the program's own, and tests can answer the boxes without a real dialog.
class MessageBox {
public:
    enum Kind {
        Plain,     // OK button, no icon
        Stop,      // OK button, stop (critical) icon
        Question,  // Yes and No buttons, question icon
    };
    // Results, numbered as the platform's dialog results have always been.
    enum Answer { IdOk = 1, IdCancel = 2, IdYes = 6, IdNo = 7 };

    struct Shown {
        std::string text;
        std::string caption;
        Kind kind = Plain;
        QWidget* parent = nullptr;  // the window the box is centred on
    };

    // Shows the box modally and returns the answer. An empty caption gives the application's
    // name, as every untitled box of the program has always had. A question's default button
    // is No.
    static int Show(QWidget* parent, const std::string& text, const std::string& caption = {},
                    Kind kind = Plain);
    // The box Show shows, made but not shown.
    static std::unique_ptr<QMessageBox> Build(QWidget* parent, const std::string& text,
                                              const std::string& caption, Kind kind);

    // While a hook is set no dialog appears: the hook sees each box and returns the answer.
    using Hook = std::function<int(const Shown&)>;
    static void SetTestHook(Hook hook);
};

// For tests: while alive, records every box and answers it with the next scripted answer
// (OK for a Plain or Stop box, No for a question when the script has run out).
class ScriptedMessageBoxes {
public:
    ScriptedMessageBoxes();
    ~ScriptedMessageBoxes();
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

    void Answer(int answer) { m_answers.push_back(answer); }
    // Runs as each box is shown, before it is answered.
    void OnShow(std::function<void(const MessageBox::Shown&)> onShow) {
        m_onShow = std::move(onShow);
    }
    const std::vector<MessageBox::Shown>& Shown() const { return m_shown; }
    void Clear() { m_shown.clear(); }

private:
    std::vector<int> m_answers;
    std::vector<MessageBox::Shown> m_shown;
    std::function<void(const MessageBox::Shown&)> m_onShow;
};
