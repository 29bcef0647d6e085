#include "optionsdialog.h"

#include "ui/dialogs.h"
#include "ui/twips.h"
#include "docfile/phrasefile.h"
#include "docfile/worktypefile.h"
#include "model/phrasestore.h"
#include "model/usersettings.h"
#include "ui/erachoice.h"
#include "ui/photoshapechoice.h"
#include "ui/phrasespage.h"

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>

namespace zk {

namespace {

constexpr int shownLeft = 210; // twips, the page in view
constexpr int hiddenLeft = -20000; // twips, outside the window

} // namespace

OptionsDialog::OptionsDialog(Dialogs& messages, UserSettings& settings, QWidget* parent,
    WorkTypesPage::PhotoRows photoRows)
    : QDialog(parent), dialogs(messages), tabStrip(new QTabBar(this))
{
    setObjectName(QStringLiteral("frmOptions"));
    // Fixed texts: the window's half-width katakana (title, tabs, frames, buttons)
    // and the notices of OK and 更新 are what users know; keep them as they are.
    setWindowTitle(QStringLiteral("ｵﾌﾟｼｮﾝ"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twips(6210), twips(5010));

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setGeometry(twips(105, 420, 5895, 3945));

    buildTabs();
    buildPages(settings, std::move(photoRows));
    buildButtons();
    // A tab shows its page (connected once every page exists).
    connect(tabStrip, &QTabBar::currentChanged, this, &OptionsDialog::show_chosen_page);

    // Ctrl+Tab reaches the window before any of its controls.
    const QList<QWidget*> children = findChildren<QWidget*>();
    for (QWidget* w : children)
        w->installEventFilter(this);

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move((area.width() - width()) / 2, (area.height() - height()) / 2);
    }
}

void OptionsDialog::buildTabs()
{
    tabStrip->setObjectName(QStringLiteral("tbsOptions"));
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPointSize(9);
    tabStrip->setFont(font);
    tabStrip->setDrawBase(false);
    tabStrip->setGeometry(twips(105, 120, 5895, 330));
    const struct
    {
        const char *caption, *key, *toolTip;
    } tabs[] = { { "動作設定", "Group1", "動作ｵﾌﾟｼｮﾝの設定" },
        { "印刷設定", "Group2", "印刷ｵﾌﾟｼｮﾝの設定" }, { "定型文", "Group3", "定型文の登録" } };
    for (const auto& t : tabs) {
        const int i = tabStrip->addTab(QString::fromUtf8(t.caption));
        tabStrip->setTabData(i, QString::fromUtf8(t.key));
        tabStrip->setTabToolTip(i, QString::fromUtf8(t.toolTip));
    }
}

// Four pages, one shown at a time, with the settings on the first three.
void OptionsDialog::buildPages(UserSettings& settings, WorkTypesPage::PhotoRows photoRows)
{
    for (int i = 0; i < 4; ++i) {
        QWidget* box = new QWidget(this);
        box->setObjectName(QStringLiteral("picOptions_%1").arg(i));
        box->setGeometry(twips(i == 0 ? shownLeft : hiddenLeft, 480, 5685, 3780));
        box->setEnabled(i == 0);
        pages[size_t(i)] = box;
        if (i == 2)
            continue; // the phrase page fills its box
        auto* frame = new QGroupBox(QStringLiteral("ｻﾝﾌﾟﾙ %1").arg(i + 1), box);
        frame->setObjectName(QStringLiteral("fraSample%1").arg(i + 1));
        frame->setGeometry(twips(120, 120, 2040, 1500));
    }
    // The user's settings: the era beside the first page's frame, the
    // phrases on a page of their own.
    era = new EraChoice(dialogs, settings, pages[0]);
    era->setGeometry(twips(2400, 120, 2040, 1500));
    // The lists that save typing share the third page: the phrases and the
    // 工種/種別/細別 the photo information offers.
    auto* lists = new QTabWidget(pages[2]);
    lists->setObjectName(QStringLiteral("inputLists"));
    lists->setGeometry(0, 0, pages[2]->width(), pages[2]->height());
    phrasePage = new PhrasesPage(
        dialogs, settings.userFile(QLatin1String(PhraseFile::FileName)), lists);
    lists->addTab(phrasePage, QStringLiteral("定型文"));
    workTypes = new WorkTypesPage(dialogs,
        settings.userFile(QLatin1String(WorkTypeFile::FileName)), std::move(photoRows), lists);
    lists->addTab(workTypes, QStringLiteral("工種・種別・細別"));
    // 写真の縦横比を保つ under the print page's frame.
    photoShape = new PhotoShapeChoice(dialogs, settings, pages[1]);
    photoShape->setGeometry(twips(120, 1740, 5400, 330));
}

// OK, キャンセル and 更新.
void OptionsDialog::buildButtons()
{
    const struct
    {
        const char *name, *caption;
        int left;
    } buttons[]
        = { { "cmdOK", "OK", 2490 }, { "cmdCancel", "ｷｬﾝｾﾙ", 3720 }, { "cmdApply", "更新", 4920 } };
    QPushButton* made[3];
    for (int i = 0; i < 3; ++i) {
        made[i] = new QPushButton(QString::fromUtf8(buttons[i].caption), this);
        made[i]->setObjectName(QLatin1String(buttons[i].name));
        made[i]->setGeometry(twips(buttons[i].left, 4455, 1095, 375));
        made[i]->setAutoDefault(false);
    }

    // Buttons
    connect(made[0], &QPushButton::clicked, this, &OptionsDialog::apply_and_close);
    connect(made[1], &QPushButton::clicked, this, &QDialog::close);
    connect(made[2], &QPushButton::clicked, this, &OptionsDialog::apply_and_stay_open);
}

void OptionsDialog::show_chosen_page()
{
    for (int i = 0; i < int(pages.size()); ++i) {
        const bool current = i == tabStrip->currentIndex();
        pages[size_t(i)]->move(twips(current ? shownLeft : hiddenLeft), pages[size_t(i)]->y());
        pages[size_t(i)]->setEnabled(current);
    }
}

void OptionsDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::ControlModifier) {
        tabStrip->setCurrentIndex((tabStrip->currentIndex() + 1) % tabStrip->count());
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool OptionsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier) {
            keyPressEvent(key);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void OptionsDialog::reject()
{
    QDialog::reject();
    close();
}

bool OptionsDialog::applySettings()
{
    // The user's settings tell every window of their change themselves.
    return era->apply() && photoShape->apply() && phrasePage->apply() && workTypes->apply();
}

void OptionsDialog::apply_and_close()
{
    // A setting that could not be stored keeps the window open for another try.
    if (!applySettings())
        return;
    dialogs.inform(this, QStringLiteral("ｵﾌﾟｼｮﾝを設定後、ﾀﾞｲｱﾛｸﾞを閉じる処理をここに記述します !"));
    close();
}

void OptionsDialog::apply_and_stay_open()
{
    if (!applySettings())
        return;
    dialogs.inform(
        this, QStringLiteral("ﾀﾞｲｱﾛｸﾞを閉じないで、ｵﾌﾟｼｮﾝの設定を適用する処理をここに記述します!"));
}

} // namespace zk
