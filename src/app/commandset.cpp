#include "commandset.h"

#include <QKeyEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>

namespace zk {

namespace {

struct Button
{
    const char* key; // nullptr for a separator, "" for the spacer
    Command command;
    const char* toolTip;
};

QString stepCaption(const char* verb, const QString& step)
{
    const QString caption = QString::fromUtf8(verb);
    return step.isEmpty() ? caption : caption + u'(' + step + u')';
}

QKeySequence keys(QKeyCombination combination)
{
    return QKeySequence(combination);
}

} // namespace

CommandSet::CommandSet(QMainWindow* window, QWidget* toolBarParent) : QObject(window)
{
    addFileMenu(window);
    addEditMenu(window);
    addViewMenu(window);
    addHelpMenu(window);
    addToolBar(toolBarParent);
}

QMenu* CommandSet::addMenu(QMainWindow* window, const char* name, const char* caption,
    std::initializer_list<MenuItem> items)
{
    QMenu* menu = window->menuBar()->addMenu(QString::fromUtf8(caption));
    menu->setObjectName(QLatin1String(name));
    for (const MenuItem& item : items) {
        QAction* action = item.command ? menu->addAction(QString::fromUtf8(item.caption))
                                       : menu->addSeparator();
        action->setObjectName(QLatin1String(item.name));
        action->setShortcuts(item.shortcuts);
        if (item.command)
            actions.at(size_t(*item.command)) = action;
    }
    return menu;
}

void CommandSet::addFileMenu(QMainWindow* window)
{
    addMenu(window, "file_menu", "ﾌｧｲﾙ(&F)",
        { { Command::NewAlbum, "file_new", "新規作成 (&N)", { keys(Qt::CTRL | Qt::Key_N) } },
            { Command::OpenAlbum, "file_open", "開く(&O)...", { keys(Qt::CTRL | Qt::Key_O) } },
            { Command::SaveAlbum, "file_save", "名前を付けて保存(&S)...",
                { keys(Qt::CTRL | Qt::Key_S) } },
            { {}, "file_line_csv", "", {} },
            { Command::CsvExport, "csv_export", "CSVに書き出し...", {} },
            { Command::CsvImport, "csv_import", "CSVから読み込み...", {} },
            { {}, "file_line_1", "", {} },
            { Command::Cover, "file_header", "表紙(&H)...", { keys(Qt::CTRL | Qt::Key_H) } },
            { {}, "file_line_1_5", "", {} },
            { Command::Print, "print_menu", "印刷(&P)...", { keys(Qt::CTRL | Qt::Key_P) } },
            { Command::PrinterSetup, "print_setting", "プリンタ設定", {} },
            { {}, "file_line_2", "", {} },
            { Command::PrintPage, "oneprint_menu", "単一印刷(&T)", { keys(Qt::CTRL | Qt::Key_T) } },
            { Command::PrintPreview, "print_preview", "印刷プレビュー(&V)...", {} },
            { Command::AlbumCheck, "album_check", "写真帳のチェック(&K)...", {} },
            { {}, "file_line_3", "", {} },
            { Command::BatchImport, "batch_import_menu", "写真の一括取込(&B)...",
                { keys(Qt::CTRL | Qt::SHIFT | Qt::Key_L) } },
            { Command::Relink, "relink_menu", "写真フォルダの再設定(&R)...", {} },
            { {}, "file_line_delivery", "", {} },
            { Command::DeliveryExport, "delivery_export", "電子納品データの作成(&D)...", {} },
            { Command::DeliveryCheck, "delivery_check", "電子納品データのチェック(&J)...", {} },
            { {}, "file_line_3_5", "", {} },
            { Command::Options, "option_edit", "オプション設定", { keys(Qt::CTRL | Qt::Key_E) } },
            { {}, "file_line_4", "", {} },
            { Command::Quit, "end_menu", "終了(&X)", { keys(Qt::CTRL | Qt::Key_Q) } } });
}

void CommandSet::addEditMenu(QMainWindow* window)
{
    edit = addMenu(window, "edit_menu", "編集(&E)",
        { { Command::Undo, "edit_undo", "元に戻す", { keys(Qt::CTRL | Qt::Key_Z) } },
            { Command::Redo, "edit_redo", "やり直し",
                { keys(Qt::CTRL | Qt::Key_Y), keys(Qt::CTRL | Qt::SHIFT | Qt::Key_Z) } },
            { {}, "edit_line_0", "", {} },
            { Command::LoadImage, "load_image_menu", "写真を開く (&L)",
                { keys(Qt::CTRL | Qt::Key_L) } },
            { Command::DeleteImage, "delete_image_menu", "削除 (&D)",
                { keys(Qt::CTRL | Qt::Key_D) } },
            { {}, "edit_line_1", "", {} },
            { Command::InsertLine, "input_line", "挿入", { keys(Qt::SHIFT | Qt::Key_Insert) } },
            { Command::ExtractLine, "delete_line", "抜取", { keys(Qt::SHIFT | Qt::Key_Delete) } },
            { {}, "edit_line_2", "", {} },
            { Command::Zoom, "zoom_photo", "拡大表示", { keys(Qt::CTRL | Qt::Key_R) } },
            { {}, "edit_line_captions", "", {} },
            { Command::InsertPhrase, "insert_phrase", "定型文の挿入",
                { QKeySequence(Qt::Key_F2) } },
            { Command::SameAsPrevious, "same_as_previous", "前の写真と同じ",
                { QKeySequence(Qt::Key_F3) } },
            { Command::BulkCaption, "bulk_caption", "一括入力...", {} },
            { Command::PhotoInfo, "photo_info", "写真情報(&I)...", { QKeySequence(Qt::Key_F4) } },
            { Command::RereadInfo, "reread_info", "写真情報を写真から読み直す(&B)", {} },
            { {}, "edit_line_3", "", {} },
            { Command::SelectSlot1, "select_slot_1", "上の写真を選択",
                { keys(Qt::CTRL | Qt::Key_1) } },
            { Command::SelectSlot2, "select_slot_2", "中の写真を選択",
                { keys(Qt::CTRL | Qt::Key_2) } },
            { Command::SelectSlot3, "select_slot_3", "下の写真を選択",
                { keys(Qt::CTRL | Qt::Key_3) } } });
}

void CommandSet::addViewMenu(QMainWindow* window)
{
    addMenu(window, "view_menu", "表示(&V)",
        { { Command::Overview, "overview_menu", "写真一覧(&L)",
            { keys(Qt::CTRL | Qt::SHIFT | Qt::Key_O) } } });
}

void CommandSet::addHelpMenu(QMainWindow* window)
{
    addMenu(window, "help_menu", "ヘルプ(&H)",
        { { Command::About, "version_menu", "バージョン(&A)", {} } });
}

void CommandSet::addToolBar(QWidget* parent)
{
    tools = new QToolBar(parent);
    tools->setObjectName(QStringLiteral("Toolbar1"));
    tools->setMovable(false);
    tools->setFloatable(false);
    tools->setIconSize(QSize(16, 16));
    tools->setContextMenuPolicy(Qt::PreventContextMenu);
    // Tight, so that the buttons end before the page number at 272 pixels.
    tools->layout()->setContentsMargins(0, 0, 0, 0);
    tools->layout()->setSpacing(0);
    // Keys, commands, tool tips and icons of the buttons
    const Button buttons[] = { { "newfile", Command::NewAlbum, "新規作成" },
        { "openfile", Command::OpenAlbum, "ファイルを開く" },
        { "savefile", Command::SaveAlbum, "保存" }, { nullptr, {}, nullptr },
        { "toppage", Command::Cover, "表紙" }, { "printall", Command::Print, "印刷" },
        { "oneprint", Command::PrintPage, "単票印刷" }, { nullptr, {}, nullptr },
        { "photo", Command::LoadImage, "写真を開く" }, { "delete", Command::DeleteImage, "削除" },
        { nullptr, {}, nullptr }, { "input", Command::InsertLine, "挿入" },
        { "cutout", Command::ExtractLine, "抜取" },
        // The buttons added later sit at the right end, clear of the page box.
        { "", {}, nullptr }, { "preview", Command::PrintPreview, "印刷プレビュー" },
        { "batchimport", Command::BatchImport, "写真の一括取込" } };
    for (const Button& b : buttons) {
        if (!b.key) {
            tools->addSeparator();
            continue;
        }
        if (!b.toolTip) {
            // The buttons after this one stand at the right end of the band,
            // clear of the page number and its spinner, which lie over the
            // tool bar from 272 pixels on.
            auto* spacer = new QWidget(tools);
            spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
            tools->addWidget(spacer);
            continue;
        }
        const QString key = QLatin1String(b.key);
        QAction* shared = action(b.command);
        shared->setIcon(QIcon(QStringLiteral(":/icons/%1.xpm").arg(key)));
        shared->setIconVisibleInMenu(false);
        // The menus show no tool tips, so the button's own can go on the action.
        shared->setToolTip(QString::fromUtf8(b.toolTip));
        tools->addAction(shared);
        tools->widgetForAction(shared)->setObjectName(key);
    }
}

std::optional<Command> CommandSet::command_of(const QAction* action) const
{
    for (size_t i = 0; i < actions.size(); ++i) {
        if (actions.at(i) == action)
            return Command(i);
    }
    return std::nullopt;
}

const char* CommandSet::reason_without_shortcut(Command command)
{
    // A command without a key is one used seldom enough that its access key
    // in the menu (or its tool-bar button) serves; the reasons say why.
    switch (command) {
    case Command::CsvExport:
    case Command::CsvImport:
        return "an occasional exchange with a spreadsheet, begun in a file window";
    case Command::PrinterSetup:
        return "chosen once per run, before printing";
    case Command::PrintPreview:
        return "a tool-bar button";
    case Command::AlbumCheck:
        return "runs before every print anyway; Alt+F, K";
    case Command::Relink:
        return "needed only after the photos moved; Alt+F, R";
    case Command::DeliveryExport:
        return "once per contract; Alt+F, D";
    case Command::DeliveryCheck:
        return "follows the delivery export; Alt+F, J";
    case Command::BulkCaption:
        return "works on a range chosen in its own window";
    case Command::RereadInfo:
        return "needed only after photos were replaced on disk; Alt+E, B";
    case Command::About:
        return "Alt+H, A";
    default:
        return "";
    }
}

void CommandSet::followUndoStack(QUndoStack* stack)
{
    QAction* undo = action(Command::Undo);
    QAction* redo = action(Command::Redo);
    const auto update = [stack, undo, redo] {
        undo->setEnabled(stack->canUndo());
        undo->setText(stepCaption("元に戻す", stack->canUndo() ? stack->undoText() : QString()));
        redo->setEnabled(stack->canRedo());
        redo->setText(stepCaption("やり直し", stack->canRedo() ? stack->redoText() : QString()));
    };
    connect(stack, &QUndoStack::indexChanged, undo, update);
    connect(stack, &QUndoStack::cleanChanged, undo, update);
    update();
    handle(Command::Undo, stack, &QUndoStack::undo);
    handle(Command::Redo, stack, &QUndoStack::redo);
}

bool CommandSet::isMenuShortcut(const QKeyEvent* event) const
{
    const QKeySequence pressed(event->keyCombination());
    for (const QAction* a : actions) {
        if (a->shortcuts().contains(pressed))
            return true;
    }
    return false;
}

} // namespace zk
