#pragma once
#include <QFont>
#include <QString>
#include <QWidget>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

// The small modeless window of the long recorder operations (connect, download, conversion):
// a caption with the percentage done, a text line, a bar and a Cancel button. It runs no event
// loop of its own: its owner steps it and calls PeekAndPump between steps, and reads
// m_bCancelPressed. Its position is kept in the settings file ("Settings"/"X", "Y").
//
// A Qt widget: it lives on the GUI thread. The download drives one from its own thread through
// ThreadedProgressDisplay.
class ProgressWindow : public QWidget {
    Q_OBJECT
public:
    // owner may be null: the program's main window then owns it.
    ProgressWindow(QWidget* owner, const QString& caption, int smooth);
    ~ProgressWindow() override;  // saves the position

    void SetRange(int lower, int upper, int step);
    // printf-style, at most 511 characters.
    void SetText(const char* format, ...);
    int StepIt();
    int SetPos(int pos);
    // A new caption before the percentage, shown at once with the percentage reached: a batch
    // of messages names the one under way ("Receive 3 of 12 [25%]").
    void SetTitle(const QString& title);
    // Runs the pending events of the GUI thread; with cancelOnEscape, an Escape typed in this
    // window (a click on it gives it the keys) counts as Cancel. Returns at once once
    // cancelled.
    void PeekAndPump(int cancelOnEscape);
    void Show();
    void Hide();
    // Cancel button, or Escape in the window while pumping.
    void OnCancel();

    // The download's window: no pump runs on this thread for it, so its Escape cancels for as
    // long as the window lives.
    void WatchEscape();
    // Called once, on this thread, when the user cancels.
    void SetCancelCallback(std::function<void()> callback) { m_onCancel = std::move(callback); }

    int m_bCancelPressed = 0;
    int m_nPos = 0;
    int m_nPrevPercent = 0;
    int m_nStep = 1;
    int m_nUpper = 100;
    int m_nLower = 0;
    int m_nTextLines = 4;
    QLabel* m_wndText = nullptr;
    QProgressBar* m_wndProgress = nullptr;
    QPushButton* m_wndCancel = nullptr;
    QString m_strTitle;
    QString m_strCancelLabel;
    QFont m_font;

    static constexpr int kWidth = 390;
    static constexpr int kMargin = 10;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Create(const QString& caption, int smooth);
    void SetWindowSize(int lines, int width);
    void RestorePosition();
    void SavePosition();
    void UpdateBar();

    bool m_bEscapeCancels = false;  // the owner asked for Escape to count as Cancel
    std::function<void()> m_onCancel;
};
