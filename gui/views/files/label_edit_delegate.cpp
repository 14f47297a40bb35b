#include "gui/views/files/label_edit_delegate.h"

#include <QLineEdit>
#include <QMetaObject>

void LabelEditDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                     const QModelIndex& index) const {
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line || !m_commit) return;
    const QPersistentModelIndex target(index);
    const QString text = line->text();
    // Message boxes and a fresh edit must wait until this editor is gone.
    Commit commit = m_commit;
    QMetaObject::invokeMethod(
        parent(), [commit, target, text] { commit(target, text); }, Qt::QueuedConnection);
}
