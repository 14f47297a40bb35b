#include "gui/frame/progress_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <cstdarg>
#include <cstdio>

#include "core/res/resource_ids.h"
#include "core/res/strings.h"
#include "gui/widgets/window_settings.h"

namespace {

// The sunken edge the platform draws around controls; the button is sized to hold it.
constexpr int kEdgeX = 2;
constexpr int kEdgeY = 2;

QWidget* MainWindowOf(QWidget* owner) {
    if (owner) return owner->window();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->inherits("QMainWindow")) return w;
    }
    return nullptr;
}

}  // namespace

ProgressWindow::ProgressWindow(QWidget* owner, const QString& caption, int smooth)
    : QWidget(MainWindowOf(owner),
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      m_strTitle(QString::fromLatin1(text::kProgressDefaultTitle)),
      m_strCancelLabel(QString::fromLatin1(text::kProgressCancel)) {
    m_strTitle = caption;
    Create(caption, smooth);
}

ProgressWindow::~ProgressWindow() {
    SavePosition();
}

void ProgressWindow::Create(const QString& caption, int smooth) {
    setObjectName(QStringLiteral("ProgressWindow"));
    // It shows without taking the focus from where the user works, but a click on it makes it
    // the window the keys go to: Escape there cancels, and only there.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::ClickFocus);
    setCursor(Qt::BusyCursor);  // arrow with hourglass: the program works, the window is live
    setAutoFillBackground(true);
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    setWindowTitle(caption);

    m_font = QApplication::font("QMessageBox");

    m_wndText = new QLabel(this);
    m_wndText->setObjectName(QStringLiteral("text"));
    m_wndText->setProperty("controlId", res::IDC_PROGRESS_TEXT);
    m_wndText->setTextFormat(Qt::PlainText);
    m_wndText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_wndText->setWordWrap(false);
    m_wndText->setFont(m_font);

    m_wndProgress = new QProgressBar(this);
    m_wndProgress->setObjectName(QStringLiteral("progress"));
    m_wndProgress->setProperty("controlId", res::IDC_PROGRESS_BAR);
    m_wndProgress->setProperty("smooth", smooth != 0);
    m_wndProgress->setTextVisible(false);
    m_wndProgress->setRange(m_nLower, m_nUpper);
    m_wndProgress->setValue(0);

    m_wndCancel = new QPushButton(m_strCancelLabel, this);
    m_wndCancel->setObjectName(QStringLiteral("cancel"));
    m_wndCancel->setProperty("controlId", res::IDC_PROGRESS_CANCEL);
    m_wndCancel->setFont(m_font);
    m_wndCancel->setAutoDefault(false);
    connect(m_wndCancel, &QPushButton::clicked, this, &ProgressWindow::OnCancel);

    SetWindowSize(m_nTextLines, kWidth);
    RestorePosition();
    Show();
}

void ProgressWindow::SetWindowSize(int lines, int width) {
    const QFontMetrics metrics(m_font);

    // A text area exactly `lines` lines high and `width` wide.
    QString probe = QStringLiteral("M");
    for (int i = 1; i < lines; ++i) probe += QStringLiteral("\nM");
    QRect textRect(kMargin, kMargin, width - 2 * kMargin, 120);
    const QRect measured = metrics.boundingRect(textRect, Qt::AlignLeft | Qt::AlignTop, probe);
    textRect.setHeight(measured.height());
    textRect.setWidth(width);

    const QSize buttonSize(
        metrics.horizontalAdvance(m_strCancelLabel + QStringLiteral("  ")) + 4 * kEdgeX,
        metrics.height() + 3 * kEdgeY);
    const QRect buttonRect(
        QPoint(textRect.right() + 1 - buttonSize.width(), textRect.bottom() + 1 + kMargin),
        buttonSize);
    const QRect barRect(QPoint(textRect.left(), buttonRect.top() + kEdgeY),
                        QPoint(buttonRect.left() - kMargin - 1, buttonRect.bottom() - kEdgeY));

    setFixedSize(kMargin + textRect.width() + kMargin,
                 kMargin + textRect.height() + kMargin + buttonSize.height() + kMargin);
    m_wndProgress->setGeometry(barRect);
    m_wndCancel->setGeometry(buttonRect);
    m_wndText->setGeometry(textRect);
}

void ProgressWindow::RestorePosition() {
    SettingsFile& settings = WindowSettings();
    settings.Reload();
    const int x = settings.Number(text::kSectionSettings, text::kValueX).value_or(-1);
    const int y = settings.Number(text::kSectionSettings, text::kValueY).value_or(-1);

    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 640, 480);
    if (x >= 0 && x < area.width() && y >= 0 && y < area.height()) {
        move(x, y);
        return;
    }
    // Centred over the owner when it is on screen, else on the screen.
    const QWidget* owner = parentWidget();
    const QRect over = owner && owner->isVisible() ? owner->frameGeometry() : area;
    move(over.center() - QPoint(width() / 2, height() / 2));
}

void ProgressWindow::SavePosition() {
    SettingsFile& settings = WindowSettings();
    settings.SetValue(text::kSectionSettings, text::kValueX, pos().x());
    settings.SetValue(text::kSectionSettings, text::kValueY, pos().y());
    settings.Save();
}

void ProgressWindow::SetRange(int lower, int upper, int step) {
    m_nLower = lower;
    m_nUpper = upper;
    m_nStep = step;
    UpdateBar();
}

void ProgressWindow::SetText(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    m_wndText->setText(QString::fromUtf8(buffer));
}

int ProgressWindow::StepIt() {
    Show();
    return SetPos(m_nPos + m_nStep);
}

int ProgressWindow::SetPos(int pos) {
    Show();
    m_nPos = pos;
    // The position is not reduced by the lower end: every user starts its range at 0.
    const int percent =
        m_nUpper > m_nLower
            ? static_cast<int>(static_cast<long long>(pos) * 100 / (m_nUpper - m_nLower))
            : 0;
    if (percent != m_nPrevPercent) {
        m_nPrevPercent = percent;
        setWindowTitle(QStringLiteral("%1 [%2%]").arg(m_strTitle).arg(percent));
    }
    UpdateBar();
    return m_nPos;
}

void ProgressWindow::SetTitle(const QString& title) {
    if (title == m_strTitle) return;
    m_strTitle = title;
    setWindowTitle(QStringLiteral("%1 [%2%]").arg(m_strTitle).arg(m_nPrevPercent));
}

void ProgressWindow::UpdateBar() {
    // An empty range would make the bar a busy indicator; it stays an empty bar instead.
    const int upper = m_nUpper > m_nLower ? m_nUpper : m_nLower + 1;
    m_wndProgress->setRange(m_nLower, upper);
    m_wndProgress->setValue(std::clamp(m_nPos, m_nLower, upper));
}

void ProgressWindow::PeekAndPump(int cancelOnEscape) {
    if (m_bCancelPressed) return;
    QPointer<ProgressWindow> self(this);
    const bool before = m_bEscapeCancels;
    m_bEscapeCancels = before || cancelOnEscape != 0;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (self) m_bEscapeCancels = before;
}

void ProgressWindow::WatchEscape() {
    m_bEscapeCancels = true;
}

void ProgressWindow::keyPressEvent(QKeyEvent* event) {
    // Escape typed elsewhere (closing a menu, ending a rename, dismissing a box) never gets
    // here: it belongs to what the user was doing there, not to a transfer that may have run
    // for minutes.
    if (event->key() == Qt::Key_Escape && m_bEscapeCancels) {
        if (!m_bCancelPressed) OnCancel();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
    // The window has no close button; a close asked for by the window manager is a Cancel.
    event->ignore();
    OnCancel();
}

void ProgressWindow::Show() {
    if (isHidden()) {
        show();
        update();
    }
}

void ProgressWindow::Hide() {
    if (isVisible()) hide();
}

void ProgressWindow::OnCancel() {
    const bool first = !m_bCancelPressed;
    m_bCancelPressed = 1;
    Hide();
    if (QWidget* main = parentWidget()) {
        main->raise();
        main->activateWindow();
    }
    if (first && m_onCancel) m_onCancel();
}
