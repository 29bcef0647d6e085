#pragma once

#include <QHash>
#include <QObject>

class QAction;
class QKeyEvent;
class QMainWindow;
class QMenu;
class QToolBar;
class QUndoStack;
class QWidget;

namespace zk {

// The commands of the main window: one QAction per command, named after its
// menu item ("file_new"), shared by the menu bar, the tool bar and the edit
// menu that also pops up over the photos. A tool-bar button carries its key
// ("newfile") as its object name.
//
// A new command is one row in the menu table of commandset.cpp (and, for a
// tool-bar button, one row in the button table); its handler is connected
// once, to action("name")->triggered.
class CommandSet : public QObject
{
    Q_OBJECT

public:
    // Fills window's menu bar and puts the tool bar into toolBarParent.
    CommandSet(QMainWindow* window, QWidget* toolBarParent);

    QAction* action(const QString& name) const { return actions.value(name); }
    QMenu* editMenu() const { return edit; }
    QToolBar* toolBar() const { return tools; }

    // The undo and redo items follow the stack: enabled only when there is
    // a step, their captions naming it ("元に戻す(タイトルの入力)").
    void followUndoStack(QUndoStack* stack);

    // True when the key is the shortcut of a menu item. Text boxes must let
    // these through instead of taking them as their own editing keys.
    bool isMenuShortcut(const QKeyEvent* event) const;

private:
    QHash<QString, QAction*> actions;
    QMenu* edit = nullptr;
    QToolBar* tools = nullptr;
};

} // namespace zk
