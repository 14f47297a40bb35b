#pragma once
#include <QIcon>
#include <QPoint>
#include <QTreeWidget>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "core/sync/synced_messages.h"

class QMenu;
class MessageDirectory;

// The recorder's message tree, the right-hand pane: the five folders and, after a connect, the
// messages of each with date, time, quality and duration. It never talks to the recorder: the
// frame rebuilds it from the link's directory and asks it which message is current. Clicks, the
// context menu and the Delete key come back to the frame as signals.
//
// Each item keeps what it stands for in its own data: its picture (a folder or a message),
// its folder and message numbers and a message's recording date, so nothing is read back from
// the labels, and nothing from the directory, which a recorder operation on its worker may be
// changing while the tree shows what the last connect or delete left.
class CRightView : public QTreeWidget {
    Q_OBJECT
public:
    // Pictures of bitmap 135; the fourth is a message's picture with the mark of one already
    // in the chosen folder (its kind stays kImageMessage).
    enum Image { kImageFolder = 0, kImageOpenFolder = 1, kImageMessage = 2, kImageSynced = 3 };

    explicit CRightView(QWidget* parent = nullptr);

    void OnInitialUpdate();
    // The five folders with their bare names; nothing is open.
    void ShowEmptyFolders();
    // Notes which folders are open so the next ShowDirectory opens them again.
    void RememberExpandedFolders();
    // Rebuilds the tree from the directory, with the lengths of the recorder variant mode.
    void ShowDirectory(const MessageDirectory& directory, int mode);

    // The current item's message: true with folder 0..4 and message 1..100 when the current
    // item is a message, false for a folder or no item (then nothing may act on it).
    bool GetCurrentMessage(int& message, int& folder);
    std::string GetCurrentItemText() const;
    // "2001-12-25 14:05": the recording date and time of the current message, as the
    // directory gave it when the tree was built; empty when no message is current.
    std::string GetCurrentMessageDate() const;
    // The messages selected (Ctrl and Shift clicks select several), folder 0..4 and message
    // 1..100, in folder and message order.
    std::vector<std::pair<int, int>> GetSelectedMessages() const;
    // Marks the messages whose recordings the chosen folder holds, their files named in their
    // tool tips; every other message loses its mark.
    void ShowSyncedMessages(const std::vector<SyncedMessage>& synced);
    // The file of the chosen folder an item's message is in; empty when it is not marked.
    static QString SyncedFileOf(const QTreeWidgetItem* item);
    // The document's way to say another pane took the selection.
    void ClearMessageSelection();

    // The width the pane needs to show a message label whole ("01: 11-11 14:50 (MP-0:04)"),
    // below its folder, with the vertical scroll bar beside it.
    int LabelWidth() const;

    static int ImageOf(const QTreeWidgetItem* item);
    // The context menu (menu 138, pop-up 1), for the frame's tests.
    QMenu* ContextMenu() const { return m_contextMenu; }

    int m_bRButtonPending = 0;
    QPoint m_ptRButton;
    int m_bLButtonPending = 0;
    QPoint m_ptLButton;
    QTreeWidgetItem* m_hCurrentItem = nullptr;
    int m_nCurrentFolder = 0;
    std::array<int, 5> m_expanded{-1, -1, -1, -1, -1};
    int m_bMessageSelected = 0;

signals:
    // A command of the context menu (Play 32793, Save to Wav File 32794, Delete 32785).
    void commandIssued(int commandId);
    // Delete pressed on a message, which is now the current item.
    void deleteKeyPressed();
    // The current item changed (a click, the keys, a rebuild): the message date pane follows.
    void currentMessageChanged();
    // m_bMessageSelected may have changed.
    void messageSelectionChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void HandlePendingPress();
    void SetCurrentItem(QTreeWidgetItem* item);
    void OnSelectionChanged(QTreeWidgetItem* current);
    void OnItemExpanding(QTreeWidgetItem* item);
    QTreeWidgetItem* AddFolderItem(int folder, const std::string& label);
    void ClearTree();
    void FitLabels();

    QIcon m_folderIcon;
    QIcon m_messageIcon;
    QIcon m_syncedIcon;
    QMenu* m_contextMenu = nullptr;
    bool m_bRebuilding = false;
};
