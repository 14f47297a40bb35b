#include "gui_files_support.h"

#include <QTest>

namespace gui_files_test {

bool FinishEdit(QAbstractItemView* view, const QString& text, bool escape) {
    QLineEdit* editor = Editor(view);
    if (!editor) return false;
    editor->setText(text);
    QTest::keyClick(editor, escape ? Qt::Key_Escape : Qt::Key_Return);
    Settle();
    return true;
}

}  // namespace gui_files_test
