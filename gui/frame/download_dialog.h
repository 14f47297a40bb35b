#pragma once
#include <QDialog>
#include <QString>

#include "core/encode/audio_format.h"

class QComboBox;
class QLineEdit;

// What Download All New asks: the folder the recordings go to and the format they are saved in.
struct DownloadChoice {
    QString folder;
    AudioFormat format = AudioFormat::Wav;
};

// The small dialog of Download All New: the folder (typed, or chosen with Browse), the format,
// OK and Cancel. It opens with the choice of the last time.
class DownloadDialog : public QDialog {
    Q_OBJECT
public:
    DownloadDialog(QWidget* parent, const DownloadChoice& proposed);

    DownloadChoice Choice() const;
    QLineEdit* FolderField() const { return m_folder; }
    QComboBox* FormatChoice() const { return m_format; }

private:
    void OnBrowse();

    QLineEdit* m_folder = nullptr;
    QComboBox* m_format = nullptr;
};
