#pragma once
#include <QPoint>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

#include "core/files/drive_list.h"
#include "gui/views/files/context_menus.h"
#include "gui/views/files/file_list_loader.h"
#include "gui/views/files/gui_prompt.h"

class CQPDoc;

// The folder tree: the drives and, read on demand, their folders. Choosing a folder shows its
// ".wav" files in the file list (read on a worker, so a big folder never holds the window);
// the tree remembers the last folder across runs, carries the folder commands of its context
// menu, and takes files dropped from the file list.
class CLeftView : public QTreeWidget {
    Q_OBJECT
public:
    // leftPath is the application's remembered folder: read once at the initial update and
    // written whenever the tree computes a folder's path.
    CLeftView(CQPDoc& doc, std::string& leftPath, QWidget* parent = nullptr);

    // Fills the drives and reopens the remembered folder; called once after the panes exist.
    void OnInitialUpdate();
    // The folder of item, ending with the separator; a folder's path is also remembered. An
    // empty item gives the root folder.
    std::string GetItemPath(QTreeWidgetItem* item);
    // The folder whose files the file list shows (the selected item's, never one that was only
    // expanded), ending with the separator; remembered like any folder path. Empty while the
    // tree shows no folder at all.
    std::string SelectedFolderPath();
    // Opens the tree down to path and selects it, so the file list shows its files (read again
    // when it was shown already); as far as it goes where a folder of the path is not there.
    void ShowFolder(const std::string& path);
    // Reads the selected folder's files into the file list again (Refresh).
    void RefreshFileList();
    // The file list is still being read for the folder last chosen.
    bool IsReadingFiles() const { return m_fileLoader.IsLoading(); }

    static bool IsDriveItem(const QTreeWidgetItem* item) { return item && !item->parent(); }
    QTreeWidgetItem* InsertDriveItem(const DriveInfo& drive);
    // Inserts a folder of that name (the file system's bytes) in the tree's alphabetical order
    // of the shown texts, letter case ignored.
    QTreeWidgetItem* InsertChildItem(const std::string& name, QTreeWidgetItem* parent);
    void DeleteChildItems(QTreeWidgetItem* item);

    // The folder commands of the context menu, on m_hContextItem.
    void OnFolderNew();
    void OnFolderRename();
    void OnFolderDelete();
    bool OnCommand(int commandId);
    // Shows "Context Folder" at a screen position and carries out the choice.
    void ShowFolderMenu(const QPoint& globalPos);

    QTreeWidgetItem* DropHighlightItem() const { return m_hDropHighlight; }

    // Seams for tests: where the drives come from, and how a pop-up menu is run.
    void SetDriveSource(std::function<std::vector<DriveInfo>()> source) {
        m_driveSource = std::move(source);
    }
    void SetMenuRunner(file_menus::MenuRunner runner) { m_menuRunner = std::move(runner); }

    QTreeWidgetItem* m_hSelectedItem = nullptr;  // the last selection reported
    QTreeWidgetItem* m_hContextItem = nullptr;   // where the folder menu was last opened

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FillDrives(const std::vector<DriveInfo>& drives);
    void ReopenRememberedFolder(QTreeWidgetItem* drive, const std::string& designator);
    void OnItemExpanding(QTreeWidgetItem* item);
    void OnSelChanged(QTreeWidgetItem* current);
    void OnEndLabelEdit(QTreeWidgetItem* item, const QString& newText);
    void EditLater(QTreeWidgetItem* item);
    bool AcceptsDrag(const QMimeData* data) const;
    void SetDropHighlight(QTreeWidgetItem* item);
    void ForgetRemovedItems(const QModelIndex& parent, int first, int last);

    CQPDoc& m_doc;
    std::string& m_strLeftPath;
    GuiPrompt m_prompt;
    QPoint m_ptRightButton;
    bool m_bRightButtonDown = false;
    QTreeWidgetItem* m_hDropHighlight = nullptr;
    std::function<std::vector<DriveInfo>()> m_driveSource;
    file_menus::MenuRunner m_menuRunner;
    FileListLoader m_fileLoader{m_doc, this};
};
