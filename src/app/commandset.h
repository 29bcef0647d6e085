#pragma once

#include <QAction>
#include <QList>
#include <QObject>

#include <array>
#include <optional>

class QKeyEvent;
class QMainWindow;
class QMenu;
class QToolBar;
class QUndoStack;
class QWidget;

namespace zk {

// Every command of the main window's menus and tool bar. A misspelt command
// does not compile, where a misspelt action name would only disable it.
enum class Command {
    // ファイル
    NewAlbum,
    OpenAlbum,
    SaveAlbum,
    CsvExport,
    CsvImport,
    Cover,
    Print,
    PrinterSetup,
    PrintPage,
    PrintPreview,
    AlbumCheck,
    BatchImport,
    Relink,
    DeliveryExport,
    DeliveryCheck,
    Options,
    Quit,
    // 編集
    Undo,
    Redo,
    LoadImage,
    DeleteImage,
    InsertLine,
    ExtractLine,
    Zoom,
    InsertPhrase,
    SameAsPrevious,
    BulkCaption,
    PhotoInfo,
    RereadInfo,
    SelectSlot1,
    SelectSlot2,
    SelectSlot3,
    // 表示
    Overview,
    // ヘルプ
    About,
};

// About is the last enumerator.
inline constexpr int CommandCount = int(Command::About) + 1;

// The commands of the main window: one QAction per command, named after its
// menu item ("file_new"), shared by the menu bar, the tool bar and the edit
// menu that also pops up over the photos. A tool-bar button carries its key
// ("newfile") as its object name.
//
// A new command is one enumerator above, one row in a menu table of
// commandset.cpp (and, for a tool-bar button, one row in the button table)
// and one handle() call where its handler lives.
class CommandSet : public QObject
{
    Q_OBJECT

public:
    // Fills window's menu bar and puts the tool bar into toolBarParent.
    CommandSet(QMainWindow* window, QWidget* toolBarParent);

    QAction* action(Command command) const { return actions.at(size_t(command)); }
    // The command an action of the menus or the tool bar stands for.
    std::optional<Command> command_of(const QAction* action) const;
    QMenu* editMenu() const { return edit; }
    QToolBar* toolBar() const { return tools; }

    // Connects the command to its handler and records that it has one.
    template <typename Receiver, typename Handler>
    void handle(Command command, const Receiver* receiver, Handler handler)
    {
        connect(action(command), &QAction::triggered, receiver, handler);
        handled.at(size_t(command)) = true;
    }
    bool is_handled(Command command) const { return handled.at(size_t(command)); }

    // Why a command has no shortcut; empty for those that have one.
    static const char* reason_without_shortcut(Command command);

    // The undo and redo items follow the stack: enabled only when there is
    // a step, their captions naming it ("元に戻す(タイトルの入力)").
    void followUndoStack(QUndoStack* stack);

    // True when the key is the shortcut of a menu item. Text boxes must let
    // these through instead of taking them as their own editing keys.
    bool isMenuShortcut(const QKeyEvent* event) const;

private:
    struct MenuItem
    {
        std::optional<Command> command; // none for a separator
        const char* name;
        const char* caption;
        QList<QKeySequence> shortcuts;
    };

    QMenu* addMenu(QMainWindow* window, const char* name, const char* caption,
        std::initializer_list<MenuItem> items);
    void addFileMenu(QMainWindow* window);
    void addEditMenu(QMainWindow* window);
    void addViewMenu(QMainWindow* window);
    void addHelpMenu(QMainWindow* window);
    void addToolBar(QWidget* parent);

    std::array<QAction*, CommandCount> actions {};
    std::array<bool, CommandCount> handled {};
    QMenu* edit = nullptr;
    QToolBar* tools = nullptr;
};

} // namespace zk
