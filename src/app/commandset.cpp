#include "commandset.h"

#include <QAction>
#include <QKeyEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace zk {

namespace {

struct MenuItem
{
    const char* name;
    const char* caption; // "-" for a separator
    QKeySequence shortcut;
};

struct Button
{
    const char* key; // nullptr for a separator
    const char* toolTip;
};

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
            action->setShortcut(item.shortcut);
            actions.insert(action->objectName(), action);
        }
        return menu;
    };

    // Captions, names and shortcuts of the menus
    addMenu("file_menu", "ﾌｧｲﾙ(&F)",
        { { "file_new", "新規作成 (&N)", QKeySequence(Qt::CTRL | Qt::Key_N) },
            { "file_open", "開く(&O)...", QKeySequence(Qt::CTRL | Qt::Key_O) },
            { "file_save", "名前を付けて保存(&S)...", QKeySequence(Qt::CTRL | Qt::Key_S) },
            { "file_line_1", "-", {} },
            { "file_header", "表紙(&H)...", QKeySequence(Qt::CTRL | Qt::Key_H) },
            { "file_line_1_5", "-", {} },
            { "print_menu", "印刷(&P)...", QKeySequence(Qt::CTRL | Qt::Key_P) },
            { "print_setting", "プリンタ設定", {} }, { "file_line_2", "-", {} },
            { "oneprint_menu", "単一印刷(&T)", QKeySequence(Qt::CTRL | Qt::Key_T) },
            { "print_preview", "印刷プレビュー(&V)...", {} },
            { "album_check", "写真帳のチェック(&K)...", {} },
            { "file_line_3", "-", {} },
            { "option_edit", "オプション設定", QKeySequence(Qt::CTRL | Qt::Key_E) },
            { "file_line_4", "-", {} },
            { "end_menu", "終了(&X)", QKeySequence(Qt::CTRL | Qt::Key_Q) } });
    edit = addMenu("edit_menu", "編集(&E)",
        { { "load_image_menu", "写真を開く (&L)", QKeySequence(Qt::CTRL | Qt::Key_L) },
            { "delete_image_menu", "削除 (&D)", QKeySequence(Qt::CTRL | Qt::Key_D) },
            { "edit_line_1", "-", {} },
            { "input_line", "挿入", QKeySequence(Qt::SHIFT | Qt::Key_Insert) },
            { "delete_line", "抜取", QKeySequence(Qt::SHIFT | Qt::Key_Delete) },
            { "edit_line_2", "-", {} },
            { "zoom_photo", "拡大表示", QKeySequence(Qt::CTRL | Qt::Key_R) } });
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
    // Keys, tool tips and icons of the buttons
    const Button buttons[] = { { "newfile", "新規作成" }, { "openfile", "ファイルを開く" },
        { "savefile", "保存" }, { nullptr, nullptr }, { "toppage", "表紙" }, { "printall", "印刷" },
        { "oneprint", "単票印刷" }, { "preview", "印刷プレビュー" }, { nullptr, nullptr }, { "photo", "写真を開く" },
        { "delete", "削除" }, { nullptr, nullptr }, { "input", "挿入" }, { "cutout", "抜取" } };
    for (const Button& b : buttons) {
        if (!b.key) {
            tools->addSeparator();
            continue;
        }
        const QString key = QLatin1String(b.key);
        QAction* button = tools->addAction(
            QIcon(QStringLiteral(":/icons/%1.xpm").arg(key)), QString::fromUtf8(b.toolTip));
        button->setObjectName(key);
        button->setToolTip(QString::fromUtf8(b.toolTip));
        connect(button, &QAction::triggered, this, [this, key] { Q_EMIT buttonClicked(key); });
    }
}

bool CommandSet::isMenuShortcut(const QKeyEvent* event) const
{
    const QKeySequence pressed(event->keyCombination());
    for (const QAction* a : actions) {
        if (!a->shortcut().isEmpty() && a->shortcut() == pressed)
            return true;
    }
    return false;
}

} // namespace zk
