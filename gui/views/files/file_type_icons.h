#pragma once
#include <QHash>
#include <QIcon>
#include <QString>

// The desktop's icon for a kind of file, looked up once per file type (its extension, letter
// case ignored) and then reused for every file of that type.
class FileTypeIcons {
public:
    QIcon IconFor(const QString& fileName);
    int LookupCount() const { return m_lookups; }

private:
    QHash<QString, QIcon> m_byType;
    int m_lookups = 0;
};
