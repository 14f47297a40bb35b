#pragma once
#include <QLabel>
#include <string>

#include "core/base/result.h"

// The status bar's pane of the port in use: its name and device ("COM3 /dev/ttyS2"), after a
// connect the recorder's variant and how many messages it holds, and when the port could not
// be opened, the device and the system's reason, in short.
class PortPane : public QLabel {
    Q_OBJECT
public:
    explicit PortPane(QWidget* parent = nullptr);

    // The port was opened, or not (opened says why); what a connect found is forgotten.
    // name may be empty where the port has none the user would know.
    void ShowOpened(const std::string& name, const std::string& device, const Result& opened);
    // A connect read the recorder: its variant and its messages in every folder.
    void ShowConnected(int mode, int messages);
    // The recorder's state is not known any more (a connect failed or was cancelled).
    void ShowPortOnly();

private:
    void Show(const std::string& text);

    std::string m_strPort;  // "COM3 /dev/ttyS2"
    bool m_bOpen = false;
};
