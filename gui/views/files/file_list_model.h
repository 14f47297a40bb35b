#pragma once
#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

#include "core/files/file_entry.h"
#include "gui/views/files/file_type_icons.h"

// The rows of the file list: one per entry of the document's file list, kept in ascending
// order of their names (letter case ignored) from each refill on. Each row refers to its
// entry, so operations on a row work on that entry.
class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kName = 0, kSize = 1, kKind = 2, kChangeDate = 3, kColumnCount = 4 };

    explicit FileListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void SetEntries(std::vector<FileEntry*> entries);
    FileEntry* EntryAt(int row) const;
    int RowOf(const FileEntry* entry) const;
    void RemoveEntry(const FileEntry* entry);
    // Shows the entry's name and kind again after a rename; the row keeps its place.
    void EntryChanged(const FileEntry* entry);
    FileTypeIcons& Icons() { return m_icons; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDragActions() const override;

private:
    std::vector<FileEntry*> m_rows;
    mutable FileTypeIcons m_icons;
};
