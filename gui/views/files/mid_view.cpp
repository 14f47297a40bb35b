#include "gui/views/files/mid_view.h"

#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDrag>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>
#include <QScopedPointer>
#include <QStackedLayout>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <algorithm>

#include "core/files/file_copy_record.h"
#include "core/files/file_operations.h"
#include "core/res/resource_ids.h"
#include "core/res/strings.h"
#include "gui/res/menu_builder.h"
#include "gui/views/files/file_list_model.h"
#include "gui/views/files/file_properties_dlg.h"
#include "gui/views/files/label_edit_delegate.h"
#include "gui/widgets/message_box.h"

namespace {

std::string ToLocal(const QString& text) {
    return QFile::encodeName(text).toStdString();
}

int CommandForMode(int mode) {
    switch (mode) {
        case CMidView::kLargeIcons:
            return res::ID_VIEW_LARGEICON;
        case CMidView::kSmallIcons:
            return res::ID_VIEW_SMALLICON;
        case CMidView::kList:
            return res::ID_VIEW_LIST;
        default:
            return res::ID_VIEW_DETAILS;
    }
}

bool IsModifierKey(int key) {
    switch (key) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Meta:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
        case Qt::Key_ScrollLock:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
        case Qt::Key_Hyper_L:
        case Qt::Key_Hyper_R:
        case Qt::Key_unknown:
            return true;
        default:
            return false;
    }
}

// Both panes of the list (report, and the icon and list styles) hand their events to the view.
template <class View>
class FilePane : public View {
public:
    explicit FilePane(CMidView* owner) : View(owner), m_owner(owner) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        // Keys typed into a name being edited belong to the editor, not to the list.
        if (this->state() == QAbstractItemView::EditingState) {
            View::keyPressEvent(event);
            return;
        }
        if (m_owner->OnKeyDown(event->key())) {
            event->accept();
            return;
        }
        View::keyPressEvent(event);
    }
    void contextMenuEvent(QContextMenuEvent* event) override {
        event->accept();
        m_owner->ShowContextMenu(event->globalPos());
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        const QPoint at = event->position().toPoint();
        QModelIndex index = this->indexAt(at);
        // A click beside the label still means the row on that line.
        if (!index.isValid()) index = this->indexAt(QPoint(2, at.y()));
        if (index.isValid() && event->button() == Qt::LeftButton) {
            event->accept();
            m_owner->OpenRow(index.row());
            return;
        }
        View::mouseDoubleClickEvent(event);
    }
    void startDrag(Qt::DropActions) override { m_owner->OnBeginDrag(); }

private:
    CMidView* m_owner;
};

}  // namespace

CMidView::CMidView(CQPDoc& doc, QWidget* parent) : QWidget(parent), m_doc(doc), m_prompt(this) {
    setObjectName(QStringLiteral("midView"));
    m_model = new FileListModel(this);

    m_report = new FilePane<QTreeView>(this);
    m_report->setObjectName(QStringLiteral("fileReport"));
    m_report->setModel(m_model);
    m_report->setRootIsDecorated(false);
    m_report->setItemsExpandable(false);
    m_report->setUniformRowHeights(true);
    m_report->setAllColumnsShowFocus(true);
    QHeaderView* header = m_report->header();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    header->resizeSection(FileListModel::kName, 130);
    header->resizeSection(FileListModel::kSize, 60);
    header->resizeSection(FileListModel::kKind, 70);
    header->resizeSection(FileListModel::kChangeDate, 80);

    m_icons = new FilePane<QListView>(this);
    m_icons->setObjectName(QStringLiteral("fileIcons"));
    m_icons->setModel(m_model);
    m_icons->setModelColumn(FileListModel::kName);
    m_icons->setUniformItemSizes(true);
    m_icons->setResizeMode(QListView::Adjust);
    m_icons->setWrapping(true);
    // One selection for both panes, so a change of style keeps it.
    QItemSelectionModel* unused = m_icons->selectionModel();
    m_icons->setSelectionModel(m_report->selectionModel());
    delete unused;

    ConfigurePane(m_report);
    ConfigurePane(m_icons);

    m_stack = new QStackedLayout(this);
    m_stack->setContentsMargins(0, 0, 0, 0);
    m_stack->addWidget(m_icons);
    m_stack->addWidget(m_report);
    SetViewMode(kLargeIcons);

    // Working in the list ends the recorder message's selection.
    connect(m_report->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { m_doc.ClearMessageSelection(); });
    connect(m_model, &QAbstractItemModel::dataChanged, this,
            [this] { m_doc.ClearMessageSelection(); });

    m_doc.SetMidView(this);
}

CMidView::~CMidView() {
    m_doc.SetMidView(nullptr);
}

void CMidView::ConfigurePane(QAbstractItemView* view) {
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    view->setDragEnabled(true);
    view->setAcceptDrops(false);
    view->setDragDropMode(QAbstractItemView::DragOnly);
    view->setItemDelegate(
        new LabelEditDelegate([this](const QPersistentModelIndex& index,
                                     const QString& text) { OnEndLabelEdit(index, text); },
                              this));
}

void CMidView::SetViewMode(int mode) {
    if (mode < kLargeIcons || mode > kList) return;
    m_viewMode = mode;
    if (mode == kReport) {
        m_stack->setCurrentWidget(m_report);
        return;
    }
    if (mode == kLargeIcons) {
        m_icons->setViewMode(QListView::IconMode);
        m_icons->setIconSize(QSize(32, 32));
        m_icons->setGridSize(QSize(96, 64));
        m_icons->setFlow(QListView::LeftToRight);
        m_icons->setMovement(QListView::Static);
    } else {
        m_icons->setViewMode(QListView::ListMode);
        m_icons->setIconSize(QSize(16, 16));
        m_icons->setGridSize(QSize());
        m_icons->setFlow(mode == kList ? QListView::TopToBottom : QListView::LeftToRight);
    }
    m_icons->setWrapping(true);
    m_icons->setDragEnabled(true);
    m_stack->setCurrentWidget(m_icons);
}

QAbstractItemView* CMidView::CurrentView() const {
    return m_viewMode == kReport ? static_cast<QAbstractItemView*>(m_report) : m_icons;
}

void CMidView::RefillFromDocument() {
    std::vector<FileEntry*> entries;
    if (const CQPDoc::FileList* list = m_doc.GetFileList()) {
        entries.reserve(list->size());
        for (const auto& entry : *list) entries.push_back(entry.get());
    }
    m_model->SetEntries(std::move(entries));
}

std::vector<int> CMidView::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : m_report->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool CMidView::OnKeyDown(int key) {
    if (IsModifierKey(key)) return false;
    if (key == Qt::Key_Delete) {
        if (!SelectedRows().empty()) OnDelete();
        return true;
    }
    MessageBox::Show(this, text::kNotDeleteKey);
    return false;  // the list still moves, selects or searches as the key asks
}

void CMidView::ShowContextMenu(const QPoint& globalPos) {
    const size_t selected = SelectedRows().size();
    QScopedPointer<QMenu> menu(selected > 0
                                   ? file_menus::ContextFile(this, selected == 1)
                                   : file_menus::ContextView(this, CommandForMode(m_viewMode)));
    QAction* chosen =
        m_menuRunner ? m_menuRunner(*menu, globalPos) : file_menus::RunMenu(*menu, globalPos);
    OnCommand(res::CommandIdOf(chosen));
}

bool CMidView::OnCommand(int commandId) {
    switch (commandId) {
        case res::ID_FILE_DELETE:
            OnDelete();
            return true;
        case res::ID_FILE_RENAME:
            OnRename();
            return true;
        case res::ID_FILE_INFORMATION:
            OnInformation();
            return true;
        case res::ID_VIEW_SMALLICON:
        case res::ID_VIEW_LARGEICON:
        case res::ID_VIEW_LIST:
        case res::ID_VIEW_DETAILS:
            emit viewStyleCommand(commandId);
            return true;
        default:
            return false;
    }
}

void CMidView::OnDelete() {
    std::vector<FileEntry*> entries;
    std::vector<std::string> paths;
    for (int row : SelectedRows()) {
        entries.push_back(m_model->EntryAt(row));
        paths.push_back(entries.back()->path);
    }
    FileOperations operations(m_prompt);
    operations.DeleteFiles(paths, [&](size_t i) { m_model->RemoveEntry(entries[i]); });
}

void CMidView::OnRename() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) return;
    QAbstractItemView* view = CurrentView();
    const QModelIndex index = m_model->index(rows.front(), FileListModel::kName);
    view->scrollTo(index);
    view->edit(index);
}

void CMidView::OnEndLabelEdit(const QPersistentModelIndex& index, const QString& newText) {
    if (m_isClosing && m_isClosing()) return;
    FileEntry* entry = index.isValid() ? m_model->EntryAt(index.row()) : nullptr;
    if (!entry) return;
    // Compared with the label as shown: a name that is not valid UTF-8 shows changed, and
    // confirming it unchanged must rename nothing.
    if (newText == m_model->index(index.row(), FileListModel::kName).data().toString()) return;
    FileOperations operations(m_prompt);
    switch (operations.RenameFile(*entry, m_doc.GetCurrentFolder(), ToLocal(newText))) {
        case RenameOutcome::Renamed:
            m_model->EntryChanged(entry);
            break;
        case RenameOutcome::EditAgain:
            QTimer::singleShot(0, this, [this, index] {
                if (index.isValid()) CurrentView()->edit(index);
            });
            break;
        case RenameOutcome::Unchanged:
        case RenameOutcome::Failed:
            break;
    }
}

void CMidView::OnInformation() {
    std::vector<FileEntry> copies;
    for (int row : SelectedRows()) copies.push_back(*m_model->EntryAt(row));
    CFilePropertiesDlg dialog(window());
    dialog.SetFiles(copies);
    if (m_dialogRunner)
        m_dialogRunner(dialog);
    else
        dialog.exec();
}

void CMidView::OpenRow(int row) {
    const FileEntry* entry = m_model->EntryAt(row);
    if (!entry) return;
    const std::string path = m_doc.GetCurrentFolder() + entry->name;
    if (m_opener) {
        m_opener(path);
        return;
    }
    // A file without a program for its type simply does not open. The URL is made from the
    // name's bytes, so a name that is not valid UTF-8 still leads to its file.
    QDesktopServices::openUrl(QUrl::fromEncoded(
        "file://" + QByteArray::fromStdString(path).toPercentEncoding("/"), QUrl::StrictMode));
}

QMimeData* CMidView::MakeDragData() {
    std::vector<const FileEntry*> entries;
    for (int row : SelectedRows()) entries.push_back(m_model->EntryAt(row));
    m_doc.SetCopyList(entries);
    auto* data = new QMimeData;
    data->setData(QString::fromUtf8(kFileCopyMimeType),
                  QByteArray::fromStdString(m_doc.StoreCopyList()));
    return data;
}

void CMidView::OnBeginDrag() {
    if (SelectedRows().empty()) return;
    QMimeData* data = MakeDragData();
    if (m_dragRunner) {
        m_dragRunner(data);
        delete data;
        return;
    }
    // Whatever the target did, the list changes nothing after a drag.
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
}
