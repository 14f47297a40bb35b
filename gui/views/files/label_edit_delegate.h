#pragma once
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <functional>

// Label editing for the browser's views: a confirmed edit hands the text to the view, which
// decides (after the editor has closed) whether the name changes; the delegate never writes
// the text itself. An edit ended with Escape is never committed, so it renames nothing.
class LabelEditDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using Commit = std::function<void(const QPersistentModelIndex&, const QString&)>;
    LabelEditDelegate(Commit commit, QObject* parent)
        : QStyledItemDelegate(parent), m_commit(std::move(commit)) {}

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    Commit m_commit;
};
