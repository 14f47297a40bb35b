#include "views/files/context_menus.h"

#include <QActionGroup>

#include "res/resource_ids.h"
#include "res/strings.h"

namespace file_menus {
namespace {

QAction* AddCommand(QMenu* menu, const char* label, int id) {
    QAction* action = menu->addAction(QString::fromUtf8(label));
    action->setData(id);
    action->setObjectName(QStringLiteral("command%1").arg(id));
    return action;
}

}  // namespace

QMenu* ContextFile(QWidget* parent, bool renameEnabled) {
    auto* menu = new QMenu(QString::fromUtf8(text::kPopupContextFile), parent);
    menu->setObjectName(QStringLiteral("contextFile"));
    AddCommand(menu, text::kMenuDelete, res::ID_FILE_DELETE);
    AddCommand(menu, text::kMenuRename, res::ID_FILE_RENAME)->setEnabled(renameEnabled);
    menu->addSeparator();
    AddCommand(menu, text::kMenuFileInformation, res::ID_FILE_INFORMATION);
    return menu;
}

QMenu* ContextView(QWidget* parent, int currentViewCommand) {
    auto* menu = new QMenu(QString::fromUtf8(text::kPopupContextView), parent);
    menu->setObjectName(QStringLiteral("contextView"));
    QMenu* style = menu->addMenu(QString::fromUtf8(text::kViewStyle));
    style->setObjectName(QStringLiteral("viewStyle"));
    auto* group = new QActionGroup(style);
    const struct {
        const char* label;
        int id;
    } items[] = {{text::kViewLargeIcon, res::ID_VIEW_LARGEICON},
                 {text::kViewSmallIcon, res::ID_VIEW_SMALLICON},
                 {text::kViewList, res::ID_VIEW_LIST},
                 {text::kViewReport, res::ID_VIEW_DETAILS}};
    for (const auto& item : items) {
        QAction* action = AddCommand(style, item.label, item.id);
        action->setCheckable(true);
        action->setChecked(item.id == currentViewCommand);
        group->addAction(action);
    }
    return menu;
}

QMenu* ContextFolder(QWidget* parent) {
    auto* menu = new QMenu(QString::fromUtf8(text::kPopupContextFolder), parent);
    menu->setObjectName(QStringLiteral("contextFolder"));
    AddCommand(menu, text::kMenuNewFolder, res::ID_FOLDER_NEW);
    AddCommand(menu, text::kMenuDelete, res::ID_FILE_DELETE);
    AddCommand(menu, text::kMenuRename, res::ID_FILE_RENAME);
    return menu;
}

int CommandOf(const QAction* action) { return action ? action->data().toInt() : 0; }

QAction* RunMenu(QMenu& menu, const QPoint& globalPos) { return menu.exec(globalPos); }

}  // namespace file_menus
