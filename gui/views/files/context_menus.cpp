#include "gui/views/files/context_menus.h"

#include <QActionGroup>

#include "core/res/resource_ids.h"
#include "gui/res/menu_builder.h"

namespace file_menus {

QMenu* ContextFile(QWidget* parent, bool renameEnabled) {
    QMenu* menu = res::LoadContextMenu(res::POPUP_CONTEXT_FILE, parent);
    if (QAction* rename = FindCommand(*menu, res::ID_FILE_RENAME))
        rename->setEnabled(renameEnabled);
    return menu;
}

QMenu* ContextView(QWidget* parent, int currentViewCommand) {
    QMenu* menu = res::LoadContextMenu(res::POPUP_CONTEXT_VIEW, parent);
    auto* group = new QActionGroup(menu);
    for (int id : {res::ID_VIEW_LARGEICON, res::ID_VIEW_SMALLICON, res::ID_VIEW_LIST,
                   res::ID_VIEW_DETAILS}) {
        if (QAction* action = FindCommand(*menu, id)) {
            action->setCheckable(true);
            action->setChecked(id == currentViewCommand);
            group->addAction(action);
        }
    }
    return menu;
}

QMenu* ContextFolder(QWidget* parent) {
    return res::LoadContextMenu(res::POPUP_CONTEXT_FOLDER, parent);
}

QAction* FindCommand(const QMenu& menu, int commandId) {
    for (QAction* action : menu.actions()) {
        if (QMenu* sub = action->menu()) {
            if (QAction* found = FindCommand(*sub, commandId)) return found;
        } else if (!action->isSeparator() && res::CommandIdOf(action) == commandId) {
            return action;
        }
    }
    return nullptr;
}

QAction* RunMenu(QMenu& menu, const QPoint& globalPos) {
    return menu.exec(globalPos);
}

}  // namespace file_menus
