#include "gui/widgets/profile.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtGlobal>
#include <memory>

#include "core/res/strings.h"
#include "core/res/text_format.h"
#include "core/settings/settings_file_check.h"

namespace {

// Set while the user's file is not to be touched: this run's own file.
QString& StandInFile() {
    static QString file;
    return file;
}

QString MakeStandInFile() {
    static std::unique_ptr<QTemporaryDir> folder;
    if (!folder) folder = std::make_unique<QTemporaryDir>();
    // Without a temporary folder the settings go nowhere: a file in a folder that does not exist
    // is read as empty and never written.
    const QString base = folder->isValid() ? folder->path() : QStringLiteral("/nonexistent");
    return base + QStringLiteral("/") + QString::fromLatin1(text::kProfileApplication) +
           QStringLiteral(".conf");
}

}  // namespace

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
// That one file, and no other: a file read elsewhere would escape the check.
Profile::Profile()
    : QSettings(StandInFile().isEmpty() ? UserFile() : StandInFile(), QSettings::IniFormat) {}
#else
// The registry (or the platform's own store) is no file that could be wrong in that way.
Profile::Profile()
    : QSettings(QString::fromLatin1(text::kProfileOrganisation),
                QString::fromLatin1(text::kProfileApplication)) {}
#endif

QString Profile::UserFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/") + QString::fromLatin1(text::kProfileOrganisation) +
           QStringLiteral("/") + QString::fromLatin1(text::kProfileApplication) +
           QStringLiteral(".conf");
}

std::string Profile::CheckFiles() {
    StandInFile().clear();
    const QString file = UserFile();
    const std::string problem = SettingsFileProblem(file.toStdString());
    if (problem.empty()) return {};
    StandInFile() = MakeStandInFile();
    return text::Format(text::kSettingsFileUnusable, file.toStdString(), problem);
}
