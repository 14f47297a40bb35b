#include "gui/views/files/left_view.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QScopedPointer>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "core/files/cqp_doc.h"
#include "core/files/file_copy_record.h"
#include "core/files/folder_operations.h"
#include "core/files/local_file_system.h"
#include "core/res/resource_ids.h"
#include "core/res/strings.h"
#include "gui/res/menu_builder.h"
#include "gui/views/files/file_browser_images.h"
#include "gui/views/files/label_edit_delegate.h"

namespace {

// What an item stands for on disk, as the bytes the file system uses: a name that is not
// valid UTF-8 cannot be told from its displayed text, so paths are never built from texts.
constexpr int kDesignatorRole = Qt::UserRole;  // a drive's mount point
constexpr int kDriveTypeRole = Qt::UserRole + 1;
constexpr int kNameRole = Qt::UserRole + 2;  // a folder's name

QString FromLocal(const std::string& text) {
    return QFile::decodeName(QByteArray::fromStdString(text));
}
std::string ToLocal(const QString& text) {
    return QFile::encodeName(text).toStdString();
}

bool SortsBefore(const QString& a, const QString& b) {
    const int blind = QString::compare(a, b, Qt::CaseInsensitive);
    return blind != 0 ? blind < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
}

std::string BytesOf(const QTreeWidgetItem* item, int role) {
    return item->data(0, role).toByteArray().toStdString();
}

std::string NameOf(const QTreeWidgetItem* item) {
    return BytesOf(item, kNameRole);
}

void SetName(QTreeWidgetItem* item, const std::string& name) {
    item->setText(0, FromLocal(name));
    item->setData(0, kNameRole, QByteArray::fromStdString(name));
}

QTreeWidgetItem* NewFolderItem(const std::string& name) {
    auto* item = new QTreeWidgetItem;
    SetName(item, name);
    item->setIcon(0, file_browser_images::FolderIcon());
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    return item;
}

QTreeWidgetItem* ChildNamed(QTreeWidgetItem* parent, const std::string& name) {
    for (int i = 0; i < parent->childCount(); ++i)
        if (NameOf(parent->child(i)) == name) return parent->child(i);
    return nullptr;
}

bool IsWithin(const QTreeWidgetItem* item, const QTreeWidgetItem* ancestor) {
    for (; item; item = item->parent())
        if (item == ancestor) return true;
    return false;
}

}  // namespace

CLeftView::CLeftView(CQPDoc& doc, std::string& leftPath, QWidget* parent)
    : QTreeWidget(parent), m_doc(doc), m_strLeftPath(leftPath), m_prompt(this) {
    setObjectName(QStringLiteral("leftView"));
    setColumnCount(1);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setIconSize(QSize(16, 16));
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(false);
    setAutoScroll(false);
    setItemDelegate(new LabelEditDelegate(
        [this](const QPersistentModelIndex& index, const QString& text) {
            if (QTreeWidgetItem* item = itemFromIndex(index)) OnEndLabelEdit(item, text);
        },
        this));

    connect(this, &QTreeWidget::itemExpanded, this, &CLeftView::OnItemExpanding);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { OnSelChanged(current); });
    // Item handles kept across calls must not outlive their items.
    connect(model(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
            &CLeftView::ForgetRemovedItems);
}

void CLeftView::OnInitialUpdate() {
    FillDrives(m_driveSource ? m_driveSource() : ListDrives());
}

void CLeftView::FillDrives(const std::vector<DriveInfo>& drives) {
    std::vector<std::string> designators;
    for (const DriveInfo& drive : drives) designators.push_back(drive.designator);
    const int home = DriveIndexForPath(designators, m_strLeftPath);
    for (size_t i = 0; i < drives.size(); ++i) {
        const DriveInfo& drive = drives[i];
        switch (drive.type) {
            case kDriveRemovable:
            case kDriveCdRom:
                InsertChildItem(text::kPlaceholderItem, InsertDriveItem(drive));
                break;
            case kDriveNoRoot:
            case kDriveFixed:
            case kDriveRemote:
            case kDriveRamDisk: {
                QTreeWidgetItem* item = InsertDriveItem(drive);
                InsertChildItem(text::kPlaceholderItem, item);
                if (static_cast<int>(i) == home) ReopenRememberedFolder(item, drive.designator);
                break;
            }
            default:
                break;  // a drive of unknown type is left out
        }
    }
}

// Selects and opens the drive, then each folder named in the remembered path; every level
// selected fills the file list in turn, and a name no longer there ends the walk.
void CLeftView::ReopenRememberedFolder(QTreeWidgetItem* drive, const std::string& designator) {
    const std::vector<std::string> names = FoldersToReopen(designator, m_strLeftPath);
    setCurrentItem(drive);
    drive->setExpanded(true);
    QTreeWidgetItem* parent = drive;
    for (const std::string& name : names) {
        QTreeWidgetItem* found = ChildNamed(parent, name);
        if (!found) {
            // A folder made since its parent was read (a download's folder) is read in now.
            OnItemExpanding(parent);
            found = ChildNamed(parent, name);
        }
        if (!found) break;
        setCurrentItem(found);
        found->setExpanded(true);
        parent = found;
    }
    // A folder gone since the last run leaves its nearest parent shown; that is the folder to
    // remember from now on, even when it is the drive itself.
    if (QTreeWidgetItem* shown = currentItem()) {
        m_strLeftPath = GetItemPath(shown);
        scrollToItem(shown);
    }
}

void CLeftView::ShowFolder(const std::string& path) {
    if (path.empty()) return;
    std::string folder = path;
    if (folder.back() != local_path::kSeparator) folder += local_path::kSeparator;
    std::vector<std::string> designators;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        designators.push_back(BytesOf(topLevelItem(i), kDesignatorRole));
    }
    const int drive = DriveIndexForPath(designators, folder);
    if (drive < 0) return;
    QTreeWidgetItem* before = currentItem();
    m_strLeftPath = folder;
    ReopenRememberedFolder(topLevelItem(drive), designators[static_cast<std::size_t>(drive)]);
    // Already the folder shown: its files may have changed all the same.
    if (currentItem() == before) RefreshFileList();
}

QTreeWidgetItem* CLeftView::InsertDriveItem(const DriveInfo& drive) {
    auto* item = new QTreeWidgetItem(QStringList(FromLocal(drive.displayName)));
    item->setIcon(0, file_browser_images::DriveIcon(drive.type));
    item->setData(0, kDesignatorRole, QByteArray::fromStdString(drive.designator));
    item->setData(0, kDriveTypeRole, drive.type);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    addTopLevelItem(item);
    return item;
}

QTreeWidgetItem* CLeftView::InsertChildItem(const std::string& name, QTreeWidgetItem* parent) {
    if (!parent) return nullptr;
    const QString text = FromLocal(name);
    int low = 0, high = parent->childCount();
    while (low < high) {
        const int middle = (low + high) / 2;
        if (SortsBefore(text, parent->child(middle)->text(0)))
            high = middle;
        else
            low = middle + 1;
    }
    QTreeWidgetItem* item = NewFolderItem(name);
    parent->insertChild(low, item);
    return item;
}

void CLeftView::DeleteChildItems(QTreeWidgetItem* item) {
    if (!item || item->childCount() == 0) return;
    const QList<QTreeWidgetItem*> children = item->takeChildren();
    qDeleteAll(children);
}

std::string CLeftView::GetItemPath(QTreeWidgetItem* item) {
    if (!item) return std::string(1, local_path::kSeparator);
    if (IsDriveItem(item)) return DrivePath(BytesOf(item, kDesignatorRole));
    std::string path;
    QTreeWidgetItem* drive = item;
    for (QTreeWidgetItem* level = item; level->parent(); level = level->parent()) {
        path = NameOf(level) + local_path::kSeparator + path;
        drive = level->parent();
    }
    path = DrivePath(BytesOf(drive, kDesignatorRole)) + path;
    m_strLeftPath = path;
    return path;
}

// Every expansion reads the folder again, so folders made elsewhere show up.
void CLeftView::OnItemExpanding(QTreeWidgetItem* item) {
    if (!item) return;
    std::vector<std::string> names;
    CQPDoc::ListSubfolders(names, GetItemPath(item));
    // Each shown text is made once, not once per comparison.
    std::vector<std::pair<QString, std::string>> folders;
    folders.reserve(names.size());
    for (std::string& name : names) folders.emplace_back(FromLocal(name), std::move(name));
    std::stable_sort(folders.begin(), folders.end(),
                     [](const auto& a, const auto& b) { return SortsBefore(a.first, b.first); });
    QList<QTreeWidgetItem*> children;
    children.reserve(static_cast<qsizetype>(folders.size()));
    for (const auto& folder : folders) {
        QTreeWidgetItem* child = NewFolderItem(folder.second);
        child->addChild(NewFolderItem(text::kPlaceholderItem));
        children.push_back(child);
    }

    setUpdatesEnabled(false);
    DeleteChildItems(item);
    item->addChildren(children);
    setUpdatesEnabled(true);
}

std::string CLeftView::SelectedFolderPath() {
    return m_hSelectedItem ? GetItemPath(m_hSelectedItem) : std::string();
}

void CLeftView::RefreshFileList() {
    m_fileLoader.Load(SelectedFolderPath());
}

void CLeftView::OnSelChanged(QTreeWidgetItem* current) {
    if (!current) return;
    m_hSelectedItem = current;
    RefreshFileList();
    m_doc.ClearMessageSelection();
}

void CLeftView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        // A right click opens the folder menu on the item but leaves the selection alone.
        m_ptRightButton = event->position().toPoint();
        m_bRightButtonDown = true;
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void CLeftView::contextMenuEvent(QContextMenuEvent* event) {
    QTreeWidgetItem* item = nullptr;
    QPoint global = event->globalPos();
    if (event->reason() == QContextMenuEvent::Mouse) {
        item = itemAt(m_bRightButtonDown ? m_ptRightButton : event->pos());
    } else {
        item = currentItem();
        if (item) global = viewport()->mapToGlobal(visualItemRect(item).bottomLeft());
    }
    m_bRightButtonDown = false;
    event->accept();
    if (!item || item->text(0).isEmpty()) return;
    m_hContextItem = item;
    ShowFolderMenu(global);
}

void CLeftView::ShowFolderMenu(const QPoint& globalPos) {
    QScopedPointer<QMenu> menu(file_menus::ContextFolder(this));
    QAction* chosen =
        m_menuRunner ? m_menuRunner(*menu, globalPos) : file_menus::RunMenu(*menu, globalPos);
    OnCommand(res::CommandIdOf(chosen));
}

bool CLeftView::OnCommand(int commandId) {
    switch (commandId) {
        case res::ID_FOLDER_NEW:
            OnFolderNew();
            return true;
        case res::ID_FILE_DELETE:
            OnFolderDelete();
            return true;
        case res::ID_FILE_RENAME:
            OnFolderRename();
            return true;
        default:
            return false;
    }
}

void CLeftView::OnFolderNew() {
    QTreeWidgetItem* parent = m_hContextItem;
    if (!parent) return;
    FolderOperations operations(m_prompt);
    std::string name;
    if (!operations.NewFolder(GetItemPath(parent), name)) return;
    QTreeWidgetItem* child = nullptr;
    if (parent->isExpanded()) {
        child = InsertChildItem(name, parent);
    } else {
        // Opening the folder reads it again, the new folder among the rest.
        InsertChildItem(name, parent);
        parent->setExpanded(true);
        child = ChildNamed(parent, name);
    }
    if (!child) return;
    scrollToItem(child);
    editItem(child);
}

void CLeftView::OnFolderRename() {
    if (m_hContextItem && !IsDriveItem(m_hContextItem)) editItem(m_hContextItem);
}

void CLeftView::EditLater(QTreeWidgetItem* item) {
    const QPersistentModelIndex index(indexFromItem(item));
    QTimer::singleShot(0, this, [this, index] {
        if (QTreeWidgetItem* again = itemFromIndex(index)) editItem(again);
    });
}

void CLeftView::OnEndLabelEdit(QTreeWidgetItem* item, const QString& newText) {
    if (!item || IsDriveItem(item)) return;
    // The label as shown, not the name's bytes: a name that is not valid UTF-8 shows changed,
    // and confirming it unchanged must rename nothing.
    if (newText == item->text(0)) return;
    const std::string newName = ToLocal(newText);
    FolderOperations operations(m_prompt);
    const RenameOutcome outcome = operations.RenameFolder(GetItemPath(item), NameOf(item), newName);
    switch (outcome) {
        case RenameOutcome::EditAgain:
            EditLater(item);
            return;
        case RenameOutcome::Unchanged:
        case RenameOutcome::Failed:
            return;
        case RenameOutcome::Renamed:
            break;
    }
    SetName(item, newName);
    GetItemPath(item);  // remember the folder under its new name
    // The file list holds paths through the old name; read them again.
    if (m_hSelectedItem && IsWithin(m_hSelectedItem, item)) RefreshFileList();
}

void CLeftView::OnFolderDelete() {
    QTreeWidgetItem* item = m_hContextItem;
    if (!item || IsDriveItem(item)) return;
    FolderOperations operations(m_prompt);
    switch (operations.DeleteFolder(GetItemPath(item), false)) {
        case FolderOperations::DeleteOutcome::Deleted:
            delete item;
            break;
        case FolderOperations::DeleteOutcome::Failed:
        case FolderOperations::DeleteOutcome::FolderRemoveFailed: {
            // The folder is still there, with less in it: show what is left.
            const bool showsInside = m_hSelectedItem && IsWithin(m_hSelectedItem, item);
            OnItemExpanding(item);
            if (showsInside && m_hSelectedItem) RefreshFileList();
            break;
        }
        case FolderOperations::DeleteOutcome::NotDone:
            break;
    }
}

void CLeftView::ForgetRemovedItems(const QModelIndex& parent, int first, int last) {
    QTreeWidgetItem* parentItem = parent.isValid() ? itemFromIndex(parent) : invisibleRootItem();
    auto removed = [&](QTreeWidgetItem* tracked) {
        for (QTreeWidgetItem* item = tracked; item; item = item->parent()) {
            QTreeWidgetItem* above = item->parent() ? item->parent() : invisibleRootItem();
            if (above == parentItem) {
                const int row = above->indexOfChild(item);
                return row >= first && row <= last;
            }
        }
        return false;
    };
    if (removed(m_hSelectedItem)) m_hSelectedItem = nullptr;
    if (removed(m_hContextItem)) m_hContextItem = nullptr;
    if (removed(m_hDropHighlight)) m_hDropHighlight = nullptr;
}

bool CLeftView::AcceptsDrag(const QMimeData* data) const {
    const QString type = QString::fromUtf8(kFileCopyMimeType);
    return data && data->hasFormat(type) && m_doc.IsOwnCopyRecord(data->data(type).toStdString());
}

void CLeftView::SetDropHighlight(QTreeWidgetItem* item) {
    if (m_hDropHighlight == item) return;
    if (m_hDropHighlight) {
        m_hDropHighlight->setData(0, Qt::BackgroundRole, QVariant());
        m_hDropHighlight->setData(0, Qt::ForegroundRole, QVariant());
    }
    m_hDropHighlight = item;
    if (item) {
        item->setData(0, Qt::BackgroundRole, palette().brush(QPalette::Highlight));
        item->setData(0, Qt::ForegroundRole, palette().brush(QPalette::HighlightedText));
    }
}

void CLeftView::dragEnterEvent(QDragEnterEvent* event) {
    if (!AcceptsDrag(event->mimeData())) {
        event->ignore();
        return;
    }
    dragMoveEvent(event);
    // Entering over empty space offers nothing yet, but the tree must stay the drag's target
    // to see the pointer reach a folder.
    if (!event->isAccepted()) {
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
    }
}

void CLeftView::dragMoveEvent(QDragMoveEvent* event) {
    if (!AcceptsDrag(event->mimeData())) {
        event->ignore();
        return;
    }
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (!item) {
        SetDropHighlight(nullptr);
        event->ignore();
        return;
    }
    // Bring the rows beside the highlighted one into view, so holding the pointer on the first
    // or last visible row scrolls the tree a row at a time.
    if (m_hDropHighlight) {
        if (QTreeWidgetItem* above = itemAbove(m_hDropHighlight)) scrollToItem(above);
        if (QTreeWidgetItem* below = itemBelow(m_hDropHighlight)) scrollToItem(below);
    }
    SetDropHighlight(item);
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void CLeftView::dragLeaveEvent(QDragLeaveEvent* event) {
    SetDropHighlight(nullptr);
    event->accept();
}

void CLeftView::dropEvent(QDropEvent* event) {
    QTreeWidgetItem* target =
        m_hDropHighlight ? m_hDropHighlight : itemAt(event->position().toPoint());
    SetDropHighlight(nullptr);
    const QString type = QString::fromUtf8(kFileCopyMimeType);
    if (!target || !event->mimeData()->hasFormat(type)) {
        event->ignore();
        return;
    }
    const std::string folder = GetItemPath(target);
    if (m_doc.LoadCopyList(event->mimeData()->data(type).toStdString())) {
        std::vector<FolderOperations::CopyItem> files;
        for (const FileEntry* entry : m_doc.GetCopyList())
            files.push_back({entry->name, entry->path});
        FolderOperations operations(m_prompt);
        operations.CopyFilesTo(files, folder);
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}
