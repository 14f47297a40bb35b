#pragma once
#include <QMenu>
#include <QPoint>
#include <functional>

// The file browser's pop-ups of the context menu resource: "Context File" (file list, rows
// selected), "Context View" (file list, nothing selected) and "Context Folder" (folder tree),
// with the states they are shown in. Each action carries its command id as data.
namespace file_menus {

QMenu* ContextFile(QWidget* parent, bool renameEnabled);
// currentViewCommand: the view style's command id that gets the radio mark.
QMenu* ContextView(QWidget* parent, int currentViewCommand);
QMenu* ContextFolder(QWidget* parent);

// The action of a command in menu or its sub-menus; null when there is none.
QAction* FindCommand(const QMenu& menu, int commandId);

// How a view shows a pop-up and learns the choice; tests replace it to choose without a
// real menu.
using MenuRunner = std::function<QAction*(QMenu& menu, const QPoint& globalPos)>;
QAction* RunMenu(QMenu& menu, const QPoint& globalPos);

}  // namespace file_menus
