#pragma once
#include <QKeySequence>
#include <QString>
#include <functional>
#include <vector>

#include "gui/res/menu_resources.h"

class QAction;
class QMenu;
class QObject;
class QWidget;

// Qt widgets from the menu tables. Every command action carries its command id as its data
// and the id's name as its object name, so the frame's dispatcher and the tests find it.
namespace res {

// A text of the menu tables as the widgets want it.
QString ResourceText(const char* text);

// An action for command id with its status-line prompt and tool tip.
QAction* CreateCommandAction(int id, const QString& text, QObject* parent);
// The command id of an action made above; 0 for any other action.
int CommandIdOf(const QAction* action);

// Fills menu with items: each command item gets actionFor(item), separators and sub-menus are
// made here.
void FillMenu(QMenu* menu, const std::vector<MenuItem>& items,
              const std::function<QAction*(const MenuItem&)>& actionFor);

// Pop-up `position` of menu 138 as a new menu owned by parent, with actions of its own; a chosen
// command shows as QMenu::triggered with the action (read its id with CommandIdOf).
QMenu* LoadContextMenu(int position, QWidget* parent);

QKeySequence AcceleratorKey(const Accelerator& accelerator);

}  // namespace res
