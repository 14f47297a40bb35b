#include "gui/views/recorder/right_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>
#include <ctime>

#include "core/link/message_directory.h"
#include "core/link/message_label.h"
#include "core/link/recorder_clock.h"
#include "core/res/resource_ids.h"
#include "core/res/strings.h"
#include "core/res/text_format.h"
#include "gui/res/menu_builder.h"
#include "gui/res/pictures.h"

namespace {

// What an item stands for, kept in its data.
constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kFolderRole = Qt::UserRole + 2;   // 0..4, on folders and messages
constexpr int kMessageRole = Qt::UserRole + 3;  // 1..100, on messages
constexpr int kDateRole = Qt::UserRole + 4;     // the recording date text, on messages
constexpr int kSyncedRole = Qt::UserRole + 5;   // its file in the chosen folder, when there
constexpr int kPictureSize = 16;

}  // namespace

CRightView::CRightView(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("CRightView"));
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    // Several messages may be saved at once; the current item is still the one that Play,
    // Delete and the date pane follow.
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setFrameShape(QFrame::StyledPanel);
    setIconSize(QSize(kPictureSize, kPictureSize));
    // A label is never cut short: where the pane is narrower the tree scrolls sideways, and
    // each item's tool tip shows its label whole.
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Nothing may be dropped here.
    setAcceptDrops(false);
    // The context menu follows the right button's release, on messages only.
    setContextMenuPolicy(Qt::PreventContextMenu);

    const QPixmap strip = res::LoadBitmap(res::IDB_RECORDER_TREE);
    m_folderIcon.addPixmap(res::StripPicture(strip, kImageFolder, kPictureSize), QIcon::Normal);
    m_folderIcon.addPixmap(res::StripPicture(strip, kImageOpenFolder, kPictureSize),
                           QIcon::Selected);
    m_messageIcon.addPixmap(res::StripPicture(strip, kImageMessage, kPictureSize));
    m_syncedIcon.addPixmap(res::StripPicture(strip, kImageSynced, kPictureSize));

    m_contextMenu = res::LoadContextMenu(res::POPUP_CONTEXT2_FILE, this);
    connect(m_contextMenu, &QMenu::triggered, this,
            [this](QAction* action) { emit commandIssued(res::CommandIdOf(action)); });

    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { OnSelectionChanged(current); });
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        FitLabels();
        OnItemExpanding(item);
    });
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        FitLabels();
        OnItemExpanding(item);
    });
}

int CRightView::ImageOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, kImageRole).toInt() : -1;
}

void CRightView::OnInitialUpdate() {
    ShowEmptyFolders();
}

void CRightView::ClearTree() {
    // Items are about to go: nothing may keep pointing at them.
    m_hCurrentItem = nullptr;
    m_bMessageSelected = 0;
    m_bRButtonPending = 0;
    m_bLButtonPending = 0;
    clear();
    emit messageSelectionChanged();
    emit currentMessageChanged();
}

QTreeWidgetItem* CRightView::AddFolderItem(int folder, const std::string& label) {
    // The folder labels sort in folder order, so appending keeps them sorted.
    auto* item = new QTreeWidgetItem(this, QStringList(QString::fromStdString(label)));
    item->setData(0, kImageRole, kImageFolder);
    item->setData(0, kFolderRole, folder);
    item->setIcon(0, m_folderIcon);
    item->setToolTip(0, item->text(0));
    return item;
}

void CRightView::ShowEmptyFolders() {
    m_bRebuilding = true;
    ClearTree();
    for (int f = 0; f < kFolderCount; ++f) AddFolderItem(f, FolderBaseName(f));
    m_expanded.fill(-1);
    FitLabels();
    m_bRebuilding = false;
}

void CRightView::RememberExpandedFolders() {
    m_expanded.fill(-1);
    const int folders = std::min(topLevelItemCount(), kFolderCount);
    for (int k = 0; k < folders; ++k) {
        const QTreeWidgetItem* item = topLevelItem(k);
        if (item->isExpanded()) m_expanded[k] = item->data(0, kFolderRole).toInt();
    }
}

void CRightView::ShowDirectory(const MessageDirectory& directory, int mode) {
    m_bRebuilding = true;
    ClearTree();
    QTreeWidgetItem* scrollTo = nullptr;
    for (int f = 0; f < kFolderCount; ++f) {
        const int count = directory.Count(f);
        QTreeWidgetItem* folderItem = AddFolderItem(f, FolderLabel(f, count));
        for (int m = 1; m <= std::min(count, kMaxMessages); ++m) {
            const MessageEntry& entry = directory.Entry(f, m);
            if (!entry.loaded) continue;
            const std::time_t recorded = DateFromValue(entry.header.DateValue());
            const std::string label = MessageLabel(m, entry.header, mode, recorded);
            auto* item =
                new QTreeWidgetItem(folderItem, QStringList(QString::fromStdString(label)));
            item->setData(0, kImageRole, kImageMessage);
            item->setData(0, kFolderRole, f);
            item->setData(0, kMessageRole, m);
            item->setData(0, kDateRole,
                          QString::fromStdString(MessageDateText(entry.header, recorded)));
            item->setIcon(0, m_messageIcon);
            item->setToolTip(0, item->text(0));
        }
        if (m_expanded[f] == f) {
            folderItem->setExpanded(true);
            if (f == m_nCurrentFolder) scrollTo = folderItem;
        }
    }
    FitLabels();
    if (scrollTo) scrollToItem(scrollTo, QAbstractItemView::PositionAtTop);
    m_bRebuilding = false;
}

void CRightView::FitLabels() {
    // The one column fills the pane, as the selection's bar does, but never gets narrower than
    // its widest label shown: beyond that the tree scrolls.
    header()->setMinimumSectionSize(sizeHintForColumn(0));
}

int CRightView::LabelWidth() const {
    // The widest a label gets: two-digit numbers everywhere, and a wide quality.
    const int text = fontMetrics().horizontalAdvance(QStringLiteral("00: 00-00 00:00 (MP-00:00)"));
    // A message sits one level in, after the folder's button, with its picture before it.
    const int indent = 2 * indentation();
    const int picture = iconSize().width() + 8;
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return indent + picture + text + scrollBar + 2 * frameWidth() + 8;
}

bool CRightView::GetCurrentMessage(int& message, int& folder) {
    const QTreeWidgetItem* item = m_hCurrentItem;
    if (!item || ImageOf(item) != kImageMessage) return false;
    message = item->data(0, kMessageRole).toInt();
    folder = item->data(0, kFolderRole).toInt();
    m_nCurrentFolder = folder;
    return true;
}

std::vector<std::pair<int, int>> CRightView::GetSelectedMessages() const {
    std::vector<std::pair<int, int>> messages;
    for (int f = 0; f < topLevelItemCount(); ++f) {
        const QTreeWidgetItem* folder = topLevelItem(f);
        for (int i = 0; i < folder->childCount(); ++i) {
            const QTreeWidgetItem* item = folder->child(i);
            if (!item->isSelected() || ImageOf(item) != kImageMessage) continue;
            messages.emplace_back(item->data(0, kFolderRole).toInt(),
                                  item->data(0, kMessageRole).toInt());
        }
    }
    return messages;
}

void CRightView::ShowSyncedMessages(const std::vector<SyncedMessage>& synced) {
    for (int top = 0; top < topLevelItemCount(); ++top) {
        QTreeWidgetItem* folderItem = topLevelItem(top);
        for (int i = 0; i < folderItem->childCount(); ++i) {
            QTreeWidgetItem* item = folderItem->child(i);
            if (ImageOf(item) != kImageMessage) continue;
            const int folder = item->data(0, kFolderRole).toInt();
            const int message = item->data(0, kMessageRole).toInt();
            std::string file;
            for (const SyncedMessage& one : synced) {
                if (one.folder == folder && one.message == message) file = one.file;
            }
            const std::string label = item->text(0).toStdString();
            item->setData(0, kSyncedRole, QString::fromStdString(file));
            item->setIcon(0, file.empty() ? m_messageIcon : m_syncedIcon);
            item->setToolTip(
                0, QString::fromStdString(
                       file.empty() ? label : text::Format(text::kSyncedToolTip, label, file)));
        }
    }
}

QString CRightView::SyncedFileOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, kSyncedRole).toString() : QString();
}

std::string CRightView::GetCurrentItemText() const {
    return m_hCurrentItem ? m_hCurrentItem->text(0).toStdString() : std::string();
}

std::string CRightView::GetCurrentMessageDate() const {
    if (!m_hCurrentItem || ImageOf(m_hCurrentItem) != kImageMessage) return {};
    return m_hCurrentItem->data(0, kDateRole).toString().toStdString();
}

void CRightView::ClearMessageSelection() {
    m_bMessageSelected = 0;
    emit messageSelectionChanged();
}

void CRightView::SetCurrentItem(QTreeWidgetItem* item) {
    // Play, Save to Wav File and Delete act on the current item, so they are enabled exactly
    // while it is a message.
    m_hCurrentItem = item;
    m_bMessageSelected = ImageOf(item) == kImageMessage ? 1 : 0;
    emit messageSelectionChanged();
    emit currentMessageChanged();
}

void CRightView::OnSelectionChanged(QTreeWidgetItem* current) {
    if (m_bRebuilding) return;
    // Moving the selection with the keys makes the newly selected item the current one too.
    SetCurrentItem(current);
}

void CRightView::OnItemExpanding(QTreeWidgetItem* item) {
    if (m_bRebuilding) return;
    setCurrentItem(item);
}

void CRightView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        // A right press does not move the selection; the menu follows on release.
        m_ptRButton = event->position().toPoint();
        m_bRButtonPending = 1;
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        m_ptLButton = event->position().toPoint();
        m_bLButtonPending = 1;
    }
    QTreeWidget::mousePressEvent(event);
}

void CRightView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton) QTreeWidget::mouseReleaseEvent(event);
    // The press is handled once the control has finished with it, selection updated.
    HandlePendingPress();
}

void CRightView::HandlePendingPress() {
    if (m_bRButtonPending) {
        m_bRButtonPending = 0;
        QTreeWidgetItem* item = itemAt(m_ptRButton);
        if (!item || item->text(0).isEmpty()) return;
        SetCurrentItem(item);
        if (ImageOf(item) == kImageMessage) {
            m_contextMenu->popup(viewport()->mapToGlobal(m_ptRButton));
        }
        return;
    }
    if (m_bLButtonPending) {
        m_bLButtonPending = 0;
        QTreeWidgetItem* item = itemAt(m_ptLButton);
        if (!item || item->text(0).isEmpty()) return;
        SetCurrentItem(item);
    }
}

void CRightView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete) {
        QTreeWidgetItem* caret = currentItem();
        if (caret && ImageOf(caret) == kImageMessage) {
            SetCurrentItem(caret);
            emit deleteKeyPressed();
        }
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void CRightView::focusInEvent(QFocusEvent* event) {
    QTreeWidget::focusInEvent(event);
    // Back from another pane, which cleared the message selection: the message the tree still
    // shows selected is the one Play, Save to Wav File and Delete act on again.
    QTreeWidgetItem* caret = currentItem();
    if (!m_bMessageSelected && caret && caret->isSelected() && ImageOf(caret) == kImageMessage) {
        SetCurrentItem(caret);
    }
}
