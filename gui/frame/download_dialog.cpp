#include "gui/frame/download_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/res/strings.h"

namespace {

constexpr AudioFormat kFormats[] = {AudioFormat::Wav, AudioFormat::Flac, AudioFormat::Vorbis,
                                    AudioFormat::Opus, AudioFormat::Mp3};

}  // namespace

DownloadDialog::DownloadDialog(QWidget* parent, const DownloadChoice& proposed) : QDialog(parent) {
    setObjectName(QStringLiteral("DownloadDialog"));
    setWindowTitle(QString::fromLatin1(text::kDownloadCaption));

    m_folder = new QLineEdit(QDir::toNativeSeparators(proposed.folder), this);
    m_folder->setObjectName(QStringLiteral("folder"));
    m_folder->setMinimumWidth(m_folder->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 30);
    auto* browse = new QPushButton(QString::fromLatin1(text::kDownloadBrowse), this);
    browse->setObjectName(QStringLiteral("browse"));
    connect(browse, &QPushButton::clicked, this, &DownloadDialog::OnBrowse);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browse);

    m_format = new QComboBox(this);
    m_format->setObjectName(QStringLiteral("format"));
    for (std::size_t i = 0; i < std::size(kFormats); ++i) {
        m_format->addItem(QString::fromLatin1(text::kFormatNames[i]), static_cast<int>(i));
        if (kFormats[i] == proposed.format) m_format->setCurrentIndex(static_cast<int>(i));
    }

    auto* form = new QFormLayout;
    form->addRow(QString::fromLatin1(text::kDownloadFolderLabel), folderRow);
    form->addRow(QString::fromLatin1(text::kDownloadFormatLabel), m_format);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Without a folder there is nowhere to download to.
    auto updateOk = [this, buttons] {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(!m_folder->text().trimmed().isEmpty());
    };
    connect(m_folder, &QLineEdit::textChanged, this, updateOk);
    updateOk();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

DownloadChoice DownloadDialog::Choice() const {
    DownloadChoice choice;
    QString folder = QDir::fromNativeSeparators(m_folder->text().trimmed());
    // "~/Recordings" as a shell would read it; a relative folder from the home folder, not from
    // wherever the program was started.
    if (folder == QLatin1String("~") || folder.startsWith(QLatin1String("~/"))) {
        folder = QDir::homePath() + folder.mid(1);
    }
    choice.folder = QDir::cleanPath(QDir::home().absoluteFilePath(folder));
    choice.format = kFormats[m_format->currentData().toInt()];
    return choice;
}

void DownloadDialog::OnBrowse() {
    const QString chosen = QFileDialog::getExistingDirectory(
        this, QString::fromLatin1(text::kDownloadBrowseCaption), m_folder->text());
    if (!chosen.isEmpty()) m_folder->setText(QDir::toNativeSeparators(chosen));
}
