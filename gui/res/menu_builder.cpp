#include "gui/res/menu_builder.h"

#include <QAction>
#include <QMenu>

namespace res {

QString ResourceText(const char* text) {
    return QString::fromUtf8(text ? text : "");
}

QAction* CreateCommandAction(int id, const QString& text, QObject* parent) {
    auto* action = new QAction(text, parent);
    action->setData(id);
    if (const char* name = CommandName(id)) action->setObjectName(QString::fromLatin1(name));
    if (const char* prompt = CommandPrompt(id)) {
        // "status-line prompt\ntool tip"
        const QString both = QString::fromUtf8(prompt);
        const auto lineBreak = both.indexOf(QLatin1Char('\n'));
        action->setStatusTip(lineBreak < 0 ? both : both.left(lineBreak));
        if (lineBreak >= 0) action->setToolTip(both.mid(lineBreak + 1));
    }
    return action;
}

int CommandIdOf(const QAction* action) {
    if (!action) return 0;
    bool ok = false;
    const int id = action->data().toInt(&ok);
    return ok ? id : 0;
}

void FillMenu(QMenu* menu, const std::vector<MenuItem>& items,
              const std::function<QAction*(const MenuItem&)>& actionFor) {
    for (const MenuItem& item : items) {
        if (item.IsSeparator()) {
            menu->addSeparator();
        } else if (item.IsPopup()) {
            QMenu* sub = menu->addMenu(ResourceText(item.text));
            FillMenu(sub, item.children, actionFor);
        } else {
            menu->addAction(actionFor(item));
        }
    }
}

QMenu* LoadContextMenu(int position, QWidget* parent) {
    const auto& popups = ContextMenus();
    if (position < 0 || position >= static_cast<int>(popups.size())) return nullptr;
    auto* menu = new QMenu(ResourceText(popups[position].text), parent);
    menu->setObjectName(QString::fromUtf8(popups[position].text));
    FillMenu(menu, popups[position].children, [menu](const MenuItem& item) {
        return CreateCommandAction(item.id, ResourceText(item.text), menu);
    });
    return menu;
}

QKeySequence AcceleratorKey(const Accelerator& accelerator) {
    int key = accelerator.key;
    if (key == kKeyF5) {
        key = Qt::Key_F5;
    } else if (key >= 'A' && key <= 'Z') {
        key = Qt::Key_A + (key - 'A');
    }
    return QKeySequence(accelerator.alt ? QKeyCombination(Qt::AltModifier, Qt::Key(key))
                                        : QKeyCombination(Qt::Key(key)));
}

}  // namespace res
