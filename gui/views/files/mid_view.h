#pragma once
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "core/files/cqp_doc.h"
#include "gui/views/files/context_menus.h"
#include "gui/views/files/gui_prompt.h"

class QAbstractItemView;
class QListView;
class QMimeData;
class QModelIndex;
class QPersistentModelIndex;
class QStackedLayout;
class QTreeView;
class CFilePropertiesDlg;
class FileListModel;

// The file list: the ".wav" files of the folder chosen in the folder tree, in four view
// styles. It opens a file on a double-click, renames and deletes files, shows their
// properties, and is where files are dragged from to be copied onto a folder.
class CMidView : public QWidget, public FileListView {
    Q_OBJECT
public:
    explicit CMidView(CQPDoc& doc, QWidget* parent = nullptr);
    ~CMidView() override;

    // View modes as the list control's style bits: 0 large icons, 1 report, 2 small icons, 3 list.
    enum ViewMode { kLargeIcons = 0, kReport = 1, kSmallIcons = 2, kList = 3 };
    int GetViewMode() const { return m_viewMode; }
    void SetViewMode(int mode);
    // The frame's IsClosing: a rename that ends while the program closes is not applied.
    void SetClosingQuery(std::function<bool()> isClosing) { m_isClosing = std::move(isClosing); }

    void RefillFromDocument() override;

    // The commands of the list's context menus.
    bool OnCommand(int commandId);
    void OnDelete();
    void OnRename();
    void OnInformation();
    void ShowContextMenu(const QPoint& globalPos);
    // A key pressed in the list: Delete deletes the selection, any other key is answered.
    // True when the key needs no further handling.
    bool OnKeyDown(int key);
    void OpenRow(int row);
    void OnBeginDrag();
    // The record a drag of the selected rows carries.
    QMimeData* MakeDragData();

    QAbstractItemView* CurrentView() const;
    QTreeView* ReportView() const { return m_report; }
    QListView* IconView() const { return m_icons; }
    FileListModel* Model() const { return m_model; }
    std::vector<int> SelectedRows() const;

    // Seams for tests: opening a file, running a pop-up menu, the properties dialog and a drag.
    void SetOpener(std::function<void(const std::string& path)> opener) {
        m_opener = std::move(opener);
    }
    void SetMenuRunner(file_menus::MenuRunner runner) { m_menuRunner = std::move(runner); }
    void SetDialogRunner(std::function<void(CFilePropertiesDlg&)> runner) {
        m_dialogRunner = std::move(runner);
    }
    void SetDragRunner(std::function<void(QMimeData*)> runner) { m_dragRunner = std::move(runner); }

signals:
    void viewStyleCommand(int commandId);

private:
    void OnEndLabelEdit(const QPersistentModelIndex& index, const QString& newText);
    void ConfigurePane(QAbstractItemView* view);

    CQPDoc& m_doc;
    GuiPrompt m_prompt;
    FileListModel* m_model = nullptr;
    QTreeView* m_report = nullptr;
    QListView* m_icons = nullptr;
    QStackedLayout* m_stack = nullptr;
    int m_viewMode = kLargeIcons;
    std::function<bool()> m_isClosing;
    std::function<void(const std::string&)> m_opener;
    file_menus::MenuRunner m_menuRunner;
    std::function<void(CFilePropertiesDlg&)> m_dialogRunner;
    std::function<void(QMimeData*)> m_dragRunner;
};
