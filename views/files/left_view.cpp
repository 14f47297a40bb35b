#include "views/files/left_view.h"

#include "app/cqp_doc.h"

CLeftView::CLeftView(CQPDoc& doc, std::string& leftPath, QWidget* parent)
    : QTreeWidget(parent), m_doc(doc), m_strLeftPath(leftPath) {
    setObjectName("leftView");
    setHeaderHidden(true);
}

void CLeftView::OnInitialUpdate() {}

std::string CLeftView::GetItemPath(QTreeWidgetItem* item) {
    if (!item) return {};
    return m_strLeftPath;
}
