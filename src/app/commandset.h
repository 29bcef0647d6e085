#pragma once

#include <QHash>
#include <QObject>

class QAction;
class QKeyEvent;
class QMainWindow;
class QMenu;
class QToolBar;
class QWidget;

namespace zk {

// The menu bar, the tool bar and the edit menu that also pops up over the
// photos. Menu items are QActions named after their item ("file_new");
// tool-bar buttons carry their key ("newfile") and report it when clicked.
class CommandSet : public QObject
{
    Q_OBJECT

public:
    // Fills window's menu bar and puts the tool bar into toolBarParent.
    CommandSet(QMainWindow* window, QWidget* toolBarParent);

    QAction* action(const QString& name) const { return actions.value(name); }
    QMenu* editMenu() const { return edit; }
    QToolBar* toolBar() const { return tools; }

    // True when the key is the shortcut of a menu item. Text boxes must let
    // these through instead of taking them as their own editing keys.
    bool isMenuShortcut(const QKeyEvent* event) const;

Q_SIGNALS:
    void buttonClicked(const QString& key);

private:
    QHash<QString, QAction*> actions;
    QMenu* edit = nullptr;
    QToolBar* tools = nullptr;
};

} // namespace zk
