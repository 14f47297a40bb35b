#include "gui/views/files/file_list_model.h"

#include <QFile>
#include <algorithm>
#include <numeric>

#include "core/files/file_properties.h"
#include "core/res/strings.h"

namespace {

QString FromLocal(const std::string& text) {
    return QFile::decodeName(QByteArray::fromStdString(text));
}

}  // namespace

void FileListModel::SetEntries(std::vector<FileEntry*> entries) {
    // Names are converted once, not once per comparison.
    std::vector<QString> names;
    names.reserve(entries.size());
    for (const FileEntry* entry : entries) names.push_back(FromLocal(entry->name));
    std::vector<size_t> order(entries.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int blind = QString::compare(names[a], names[b], Qt::CaseInsensitive);
        return blind != 0 ? blind < 0 : QString::compare(names[a], names[b]) < 0;
    });
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(entries.size());
    for (size_t i : order) m_rows.push_back(entries[i]);
    endResetModel();
}

FileEntry* FileListModel::EntryAt(int row) const {
    return row >= 0 && row < static_cast<int>(m_rows.size()) ? m_rows[row] : nullptr;
}

int FileListModel::RowOf(const FileEntry* entry) const {
    auto found = std::find(m_rows.begin(), m_rows.end(), entry);
    return found == m_rows.end() ? -1 : static_cast<int>(found - m_rows.begin());
}

void FileListModel::RemoveEntry(const FileEntry* entry) {
    const int row = RowOf(entry);
    if (row < 0) return;
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void FileListModel::EntryChanged(const FileEntry* entry) {
    const int row = RowOf(entry);
    if (row >= 0) emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    const FileEntry* entry = EntryAt(index.row());
    if (!entry) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            switch (index.column()) {
                case kName:
                    return FromLocal(entry->name);
                case kSize:
                    return QString::number(entry->size);
                case kKind:
                    return FromLocal(entry->kind);
                case kChangeDate:
                    return entry->modified == 0
                               ? QString()
                               : QString::fromStdString(FormatListDate(entry->modified));
            }
            return {};
        case Qt::DecorationRole:
            if (index.column() == kName) return m_icons.IconFor(FromLocal(entry->name));
            return {};
        case Qt::TextAlignmentRole:
            if (index.column() == kSize)
                return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
            return {};
    }
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::DisplayRole) {
        switch (section) {
            case kName:
                return QString::fromUtf8(text::kColumnName);
            case kSize:
                return QString::fromUtf8(text::kColumnSize);
            case kKind:
                return QString::fromUtf8(text::kColumnKind);
            case kChangeDate:
                return QString::fromUtf8(text::kColumnChangeDate);
        }
    }
    if (role == Qt::TextAlignmentRole && section == kSize)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    return {};
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (index.column() == kName) flags |= Qt::ItemIsEditable;
    return flags;
}

Qt::DropActions FileListModel::supportedDragActions() const {
    return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
}
