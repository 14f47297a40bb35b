#include "gui/views/files/file_type_icons.h"

#include <QFileIconProvider>
#include <QMimeDatabase>

QIcon FileTypeIcons::IconFor(const QString& fileName) {
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString type = dot < 0 ? QString() : fileName.mid(dot + 1).toLower();
    auto found = m_byType.constFind(type);
    if (found != m_byType.constEnd()) return *found;

    ++m_lookups;
    static const QMimeDatabase mimeTypes;
    const QMimeType mime =
        mimeTypes.mimeTypeForFile(QStringLiteral("file.") + type, QMimeDatabase::MatchExtension);
    static const QFileIconProvider provider;
    QIcon icon = QIcon::fromTheme(mime.iconName());
    if (icon.isNull()) icon = QIcon::fromTheme(mime.genericIconName());
    if (icon.isNull()) icon = provider.icon(QAbstractFileIconProvider::File);
    m_byType.insert(type, icon);
    return icon;
}
