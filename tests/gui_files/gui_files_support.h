#pragma once
#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QString>

class CLeftView;

namespace gui_files_test {

// Lets queued work (label edit commits, fresh edits) run.
inline void Settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// The open label editor of view, if any.
inline QLineEdit* Editor(QAbstractItemView* view) {
    for (QLineEdit* editor : view->viewport()->findChildren<QLineEdit*>())
        if (editor->isVisible()) return editor;
    return nullptr;
}

// Waits until the folder tree has read the files of the folder it shows into the document.
bool WaitForFileList(const CLeftView& tree);

// Types text into the open label editor and ends the edit with Return, or with Escape.
bool FinishEdit(QAbstractItemView* view, const QString& text, bool escape = false);

}  // namespace gui_files_test
