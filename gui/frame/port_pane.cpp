#include "gui/frame/port_pane.h"

#include "core/res/strings.h"
#include "core/res/text_format.h"

PortPane::PortPane(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("portPane"));
    setTextFormat(Qt::PlainText);
    // A long name is cut rather than widening the window; its tool tip has it whole.
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("COM1 /dev/ttyS0")));
}

void PortPane::ShowOpened(const std::string& name, const std::string& device,
                          const Result& opened) {
    m_strPort = name.empty() ? device : text::Format(text::kPortPaneOpen, name, device);
    m_bOpen = opened.IsOk();
    if (m_bOpen) {
        ShowPortOnly();
        return;
    }
    // The reason names the device itself: "/dev/ttyUSB0: permission denied".
    const std::string& reason = opened.Detail().empty() ? device : opened.Detail();
    Show(name.empty() ? reason : text::Format(text::kPortPaneFailed, name, reason));
}

void PortPane::ShowConnected(int mode, int messages) {
    if (!m_bOpen) return;
    Show(messages == 1 ? text::Format(text::kPortPaneConnectedOne, m_strPort, mode)
                       : text::Format(text::kPortPaneConnected, m_strPort, mode, messages));
}

void PortPane::ShowPortOnly() {
    if (m_bOpen) Show(m_strPort);
}

void PortPane::Show(const std::string& text) {
    const QString shown = QString::fromStdString(text);
    setText(shown);
    // The whole text where the window is too narrow to show it.
    setToolTip(shown);
}
