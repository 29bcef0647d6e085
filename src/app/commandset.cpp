#include "commandset.h"

#include <QAction>
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

struct MenuItem
{
    const char* name;
    const char* caption; // "-" for a separator
    QList<QKeySequence> shortcuts;
};

struct Button
{
    const char* key; // nullptr for a separator
    const char* action;
    const char* toolTip;
};

QString stepCaption(const char* verb, const QString& step)
{
    const QString caption = QString::fromUtf8(verb);
    return step.isEmpty() ? caption : caption + u'(' + step + u')';
}

} // namespace

CommandSet::CommandSet(QMainWindow* window, QWidget* toolBarParent) : QObject(window)
{
    const auto addMenu = [this, window](const char* name, const char* caption,
                             std::initializer_list<MenuItem> items) {
        QMenu* menu = window->menuBar()->addMenu(QString::fromUtf8(caption));
        menu->setObjectName(QLatin1String(name));
        for (const MenuItem& item : items) {
            QAction* action = qstrcmp(item.caption, "-") == 0
                ? menu->addSeparator()
                : menu->addAction(QString::fromUtf8(item.caption));
            action->setObjectName(QLatin1String(item.name));
            action->setShortcuts(item.shortcuts);
            actions.insert(action->objectName(), action);
        }
        return menu;
    };

    // Captions, names and shortcuts of the menus
    addMenu("file_menu", "ﾌｧｲﾙ(&F)",
        { { "file_new", "新規作成 (&N)", { QKeySequence(Qt::CTRL | Qt::Key_N) } },
            { "file_open", "開く(&O)...", { QKeySequence(Qt::CTRL | Qt::Key_O) } },
            { "file_save", "名前を付けて保存(&S)...", { QKeySequence(Qt::CTRL | Qt::Key_S) } },
            { "file_line_csv", "-", {} }, { "csv_export", "CSVに書き出し...", {} },
            { "csv_import", "CSVから読み込み...", {} }, { "file_line_1", "-", {} },
            { "file_header", "表紙(&H)...", { QKeySequence(Qt::CTRL | Qt::Key_H) } },
            { "file_line_1_5", "-", {} },
            { "print_menu", "印刷(&P)...", { QKeySequence(Qt::CTRL | Qt::Key_P) } },
            { "print_setting", "プリンタ設定", {} }, { "file_line_2", "-", {} },
            { "oneprint_menu", "単一印刷(&T)", { QKeySequence(Qt::CTRL | Qt::Key_T) } },
            { "print_preview", "印刷プレビュー(&V)...", {} },
            { "album_check", "写真帳のチェック(&K)...", {} }, { "file_line_3", "-", {} },
            { "batch_import_menu", "写真の一括取込(&B)...",
                { QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L) } },
            { "relink_menu", "写真フォルダの再設定(&R)...", {} },
            { "file_line_delivery", "-", {} },
            { "delivery_export", "電子納品データの作成(&D)...", {} },
            { "delivery_check", "電子納品データのチェック(&J)...", {} },
            { "file_line_3_5", "-", {} },
            { "option_edit", "オプション設定", { QKeySequence(Qt::CTRL | Qt::Key_E) } },
            { "file_line_4", "-", {} },
            { "end_menu", "終了(&X)", { QKeySequence(Qt::CTRL | Qt::Key_Q) } } });
    edit = addMenu("edit_menu", "編集(&E)",
        { { "edit_undo", "元に戻す", { QKeySequence(Qt::CTRL | Qt::Key_Z) } },
            { "edit_redo", "やり直し",
                { QKeySequence(Qt::CTRL | Qt::Key_Y),
                    QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z) } },
            { "edit_line_0", "-", {} },
            { "load_image_menu", "写真を開く (&L)", { QKeySequence(Qt::CTRL | Qt::Key_L) } },
            { "delete_image_menu", "削除 (&D)", { QKeySequence(Qt::CTRL | Qt::Key_D) } },
            { "edit_line_1", "-", {} },
            { "input_line", "挿入", { QKeySequence(Qt::SHIFT | Qt::Key_Insert) } },
            { "delete_line", "抜取", { QKeySequence(Qt::SHIFT | Qt::Key_Delete) } },
            { "edit_line_2", "-", {} },
            { "zoom_photo", "拡大表示", { QKeySequence(Qt::CTRL | Qt::Key_R) } },
            { "edit_line_captions", "-", {} },
            { "insert_phrase", "定型文の挿入", { QKeySequence(Qt::Key_F2) } },
            { "same_as_previous", "前の写真と同じ", { QKeySequence(Qt::Key_F3) } },
            { "bulk_caption", "一括入力...", {} },
            { "photo_info", "写真情報(&I)...", { QKeySequence(Qt::Key_F4) } },
            { "reread_info", "写真情報を写真から読み直す(&B)", {} }, { "edit_line_3", "-", {} },
            { "select_slot_1", "上の写真を選択", { QKeySequence(Qt::CTRL | Qt::Key_1) } },
            { "select_slot_2", "中の写真を選択", { QKeySequence(Qt::CTRL | Qt::Key_2) } },
            { "select_slot_3", "下の写真を選択", { QKeySequence(Qt::CTRL | Qt::Key_3) } } });
    addMenu("view_menu", "表示(&V)",
        { { "overview_menu", "写真一覧(&L)",
            { QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O) } } });
    addMenu("help_menu", "ヘルプ(&H)", { { "version_menu", "バージョン(&A)", {} } });

    tools = new QToolBar(toolBarParent);
    tools->setObjectName(QStringLiteral("Toolbar1"));
    tools->setMovable(false);
    tools->setFloatable(false);
    tools->setIconSize(QSize(16, 16));
    tools->setContextMenuPolicy(Qt::PreventContextMenu);
    // Tight, so that the buttons end before the page number at 272 pixels.
    tools->layout()->setContentsMargins(0, 0, 0, 0);
    tools->layout()->setSpacing(0);
    // Keys, menu items, tool tips and icons of the buttons
    const Button buttons[] = { { "newfile", "file_new", "新規作成" },
        { "openfile", "file_open", "ファイルを開く" }, { "savefile", "file_save", "保存" },
        { nullptr, nullptr, nullptr }, { "toppage", "file_header", "表紙" },
        { "printall", "print_menu", "印刷" }, { "oneprint", "oneprint_menu", "単票印刷" },
        { nullptr, nullptr, nullptr }, { "photo", "load_image_menu", "写真を開く" },
        { "delete", "delete_image_menu", "削除" }, { nullptr, nullptr, nullptr },
        { "input", "input_line", "挿入" }, { "cutout", "delete_line", "抜取" },
        // The buttons added later sit at the right end, clear of the page box.
        { "", nullptr, nullptr }, { "preview", "print_preview", "印刷プレビュー" },
        { "batchimport", "batch_import_menu", "写真の一括取込" } };
    for (const Button& b : buttons) {
        if (!b.key) {
            tools->addSeparator();
            continue;
        }
        if (!b.action) {
            // The buttons after this one stand at the right end of the band,
            // clear of the page number and its spinner, which lie over the
            // tool bar from 272 pixels on.
            auto* spacer = new QWidget(tools);
            spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
            tools->addWidget(spacer);
            continue;
        }
        const QString key = QLatin1String(b.key);
        QAction* shared = action(QLatin1String(b.action));
        shared->setIcon(QIcon(QStringLiteral(":/icons/%1.xpm").arg(key)));
        shared->setIconVisibleInMenu(false);
        // The menus show no tool tips, so the button's own can go on the action.
        shared->setToolTip(QString::fromUtf8(b.toolTip));
        tools->addAction(shared);
        tools->widgetForAction(shared)->setObjectName(key);
    }
}

void CommandSet::followUndoStack(QUndoStack* stack)
{
    QAction* undo = action(QStringLiteral("edit_undo"));
    QAction* redo = action(QStringLiteral("edit_redo"));
    const auto update = [stack, undo, redo] {
        undo->setEnabled(stack->canUndo());
        undo->setText(stepCaption("元に戻す", stack->canUndo() ? stack->undoText() : QString()));
        redo->setEnabled(stack->canRedo());
        redo->setText(stepCaption("やり直し", stack->canRedo() ? stack->redoText() : QString()));
    };
    connect(stack, &QUndoStack::indexChanged, undo, update);
    connect(stack, &QUndoStack::cleanChanged, undo, update);
    update();
    connect(undo, &QAction::triggered, stack, &QUndoStack::undo);
    connect(redo, &QAction::triggered, stack, &QUndoStack::redo);
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
