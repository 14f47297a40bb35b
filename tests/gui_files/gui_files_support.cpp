#include "gui_files_support.h"

#include <QElapsedTimer>
#include <QTest>

#include "gui/views/files/left_view.h"

namespace gui_files_test {

bool WaitForFileList(const CLeftView& tree) {
    QElapsedTimer clock;
    clock.start();
    while (tree.IsReadingFiles()) {
        if (clock.elapsed() > 10000) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

bool FinishEdit(QAbstractItemView* view, const QString& text, bool escape) {
    QLineEdit* editor = Editor(view);
    if (!editor) return false;
    editor->setText(text);
    QTest::keyClick(editor, escape ? Qt::Key_Escape : Qt::Key_Return);
    Settle();
    return true;
}

}  // namespace gui_files_test
