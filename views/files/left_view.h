#pragma once
#include <QTreeWidget>
#include <string>

class CQPDoc;

// The folder tree: drives and their folders, read on demand.
class CLeftView : public QTreeWidget {
    Q_OBJECT
public:
    CLeftView(CQPDoc& doc, std::string& leftPath, QWidget* parent = nullptr);

    // Fills the drives and reopens the remembered folder; called once after the panes exist.
    void OnInitialUpdate();
    // The folder of item, ending with the separator; also remembered as the last folder.
    std::string GetItemPath(QTreeWidgetItem* item);
    std::string SelectedFolderPath() { return GetItemPath(m_hSelectedItem); }

    QTreeWidgetItem* m_hSelectedItem = nullptr;

private:
    CQPDoc& m_doc;
    std::string& m_strLeftPath;
};
