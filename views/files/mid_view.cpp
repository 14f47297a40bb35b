#include "views/files/mid_view.h"

CMidView::CMidView(CQPDoc& doc, QWidget* parent) : QWidget(parent), m_doc(doc) {
    setObjectName("midView");
}

void CMidView::SetViewMode(int mode) {
    if (mode >= 0 && mode <= 3) m_viewMode = mode;
}

void CMidView::RefillFromDocument() {}
