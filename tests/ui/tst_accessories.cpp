#include "model/usersettings.h"
#include "scripteddialogs.h"
#include "ui/aboutbox.h"
#include "ui/optionsdialog.h"

#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabBar>
#include <QTest>

using namespace zk;

class TestAccessories : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void aboutShowsTheVersion();
    void optionsTabsFollowCtrlTab();
    void optionsButtons();
};

void TestAccessories::initTestCase()
{
    // OK and 更新 store the user's settings: never into the real ones.
    QStandardPaths::setTestModeEnabled(true);
}

void TestAccessories::aboutShowsTheVersion()
{
    ScriptedDialogs dialogs;
    show_about(dialogs, nullptr);
    QCOMPARE(dialogs.messages.size(), 1);
    const MessageRequest m = dialogs.messages.first();
    QVERIFY(m.text.startsWith(QStringLiteral("Version 1.1.43\r\n\r\n")));
    QCOMPARE(m.text.count(QStringLiteral("\r\n")), 4);
    QCOMPARE(m.title, QStringLiteral("Zelkora"));
    QCOMPARE(m.icon, MessageIcon::Information);
    QCOMPARE(m.buttons, MessageButtons::Ok);
}

void TestAccessories::optionsTabsFollowCtrlTab()
{
    ScriptedDialogs dialogs;
    UserSettings settings;
    auto* options = new OptionsDialog(dialogs, settings, nullptr);
    options->show();
    QCOMPARE(options->windowTitle(), QStringLiteral("ｵﾌﾟｼｮﾝ"));
    QTabBar* tabs = options->tabs();
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(1), QStringLiteral("印刷設定"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("定型文"));
    QCOMPARE(tabs->tabToolTip(0), QStringLiteral("動作ｵﾌﾟｼｮﾝの設定"));
    QCOMPARE(tabs->tabData(1).toString(), QStringLiteral("Group2"));

    QWidget* ok = options->findChild<QPushButton*>(QStringLiteral("cmdOK"));
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(tabs->currentIndex(), 1);
    QVERIFY(options->page(1)->isEnabled() && options->page(1)->x() > 0);
    QVERIFY(!options->page(0)->isEnabled() && options->page(0)->x() < 0);
    QTest::keyClick(ok, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(tabs->currentIndex(), 2);
    QVERIFY(options->page(2)->isEnabled() && options->page(2)->x() > 0);
    QTest::keyClick(ok, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(tabs->currentIndex(), 0);
    QTest::keyClick(ok, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(tabs->currentIndex(), 0);
    delete options;
}

void TestAccessories::optionsButtons()
{
    ScriptedDialogs dialogs;
    UserSettings settings;
    QPointer<OptionsDialog> options = new OptionsDialog(dialogs, settings, nullptr);
    options->show();
    options->findChild<QPushButton*>(QStringLiteral("cmdApply"))->click();
    QCOMPARE(dialogs.lastMessage(),
        QStringLiteral("ﾀﾞｲｱﾛｸﾞを閉じないで、ｵﾌﾟｼｮﾝの設定を適用する処理をここに記述します!"));
    QVERIFY(options->isVisible());
    options->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    QCOMPARE(dialogs.lastMessage(),
        QStringLiteral("ｵﾌﾟｼｮﾝを設定後、ﾀﾞｲｱﾛｸﾞを閉じる処理をここに記述します !"));
    QCOMPARE(dialogs.messages.last().title, QStringLiteral("zelkora"));
    QTRY_VERIFY(!options); // closed and discarded

    options = new OptionsDialog(dialogs, settings, nullptr);
    options->show();
    options->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    QCOMPARE(dialogs.messages.size(), 2);
    QTRY_VERIFY(!options);

    // Escape discards it too, so it opens again on its first page.
    options = new OptionsDialog(dialogs, settings, nullptr);
    options->show();
    options->tabs()->setCurrentIndex(1);
    QTest::keyClick(options, Qt::Key_Escape);
    QTRY_VERIFY(!options);
}

QTEST_MAIN(TestAccessories)
#include "tst_accessories.moc"
