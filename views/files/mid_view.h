#pragma once
#include <QListView>
#include <QWidget>
#include <functional>

#include "app/cqp_doc.h"

// The file list: the ".wav" files of the folder chosen in the folder tree.
class CMidView : public QWidget, public FileListView {
    Q_OBJECT
public:
    explicit CMidView(CQPDoc& doc, QWidget* parent = nullptr);

    // View modes as the list control's style bits: 0 large icons, 1 report, 2 small icons, 3 list.
    int GetViewMode() const { return m_viewMode; }
    void SetViewMode(int mode);
    // The frame's IsClosing: no file work starts while the program is closing.
    void SetClosingQuery(std::function<bool()> isClosing) { m_isClosing = std::move(isClosing); }

    void RefillFromDocument() override;

signals:
    void viewStyleCommand(int commandId);

private:
    CQPDoc& m_doc;
    int m_viewMode = 1;
    std::function<bool()> m_isClosing;
};
