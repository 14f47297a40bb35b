#pragma once
#include <QDialog>

// The About box (dialog 100): the program's name and version, with an OK button.
class CAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit CAboutBox(QWidget* parent = nullptr);
};
