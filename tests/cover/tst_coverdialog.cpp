#include "cover/coverdialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace zk;

class TestCoverDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void boxesShowAndEditTheCoverData();
    void okAndCloseOnlyHide();
    void keyboardOrder();
    void centredOnShownOwnerElseScreen_data();
    void centredOnShownOwnerElseScreen();
};

void TestCoverDialog::boxesShowAndEditTheCoverData()
{
    CoverData cover;
    for (int n = 1; n <= CoverData::FieldCount; ++n)
        cover.setLine(n, QStringLiteral("v%1").arg(n));
    CoverDialog dialog(cover, nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("表紙データ"));
    for (int n = 1; n <= CoverData::FieldCount; ++n) {
        auto* box = dialog.findChild<QLineEdit*>(QStringLiteral("Text%1").arg(n));
        QVERIFY(box);
        QCOMPARE(box->text(), QStringLiteral("v%1").arg(n));
        QCOMPARE(box->maxLength(), 32767); // no limit of its own
    }
    QTest::keyClicks(dialog.box(CoverField::ProjectName), "X");
    QCOMPARE(cover.field(CoverField::ProjectName), QStringLiteral("v3X"));

    // An opened album's cover replaces what the boxes show.
    cover.setField(CoverField::Contractor, QStringLiteral("山田建設"));
    dialog.reload();
    QCOMPARE(dialog.box(CoverField::Contractor)->text(), QStringLiteral("山田建設"));
}

void TestCoverDialog::okAndCloseOnlyHide()
{
    CoverData cover;
    CoverDialog dialog(cover, nullptr);
    dialog.show();
    dialog.box(CoverField::StartDay)->setText(QStringLiteral("9"));
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("OKButton")), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    dialog.show();
    QVERIFY(dialog.close());
    QVERIFY(!dialog.testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(dialog.box(CoverField::StartDay)->text(), QStringLiteral("9"));
    QCOMPARE(cover.field(CoverField::StartDay), QStringLiteral("9"));
}

void TestCoverDialog::keyboardOrder()
{
    CoverData cover;
    CoverDialog dialog(cover, nullptr);
    QStringList order;
    QWidget* w = dialog.box(CoverField::FiscalYear);
    for (int i = 0; i < 15; ++i) {
        order << w->objectName();
        w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus)
            w = w->nextInFocusChain();
    }
    QCOMPARE(order,
        (QStringList { "Text1", "Text2", "OKButton", "Text3", "Text4", "Text5", "Text6", "Text7",
            "Text8", "Text9", "Text10", "Text11", "Text12", "Text13", "Text14" }));
}

void TestCoverDialog::centredOnShownOwnerElseScreen_data()
{
    QTest::addColumn<bool>("ownerShown");
    QTest::newRow("start-up: owner not shown yet") << false;
    QTest::newRow("owner shown") << true;
}

// Catches the start-up cover window placed at the top-left corner, centred
// on a main window that is not on the screen yet.
void TestCoverDialog::centredOnShownOwnerElseScreen()
{
    QFETCH(bool, ownerShown);
    QWidget owner;
    owner.setGeometry(150, 50, 600, 500);
    if (ownerShown) {
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
    }
    CoverData cover;
    CoverDialog dialog(cover, &owner);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QPoint expected = ownerShown ? owner.frameGeometry().center()
                                       : dialog.screen()->availableGeometry().center();
    QVERIFY2((dialog.frameGeometry().center() - expected).manhattanLength() <= 4,
        qPrintable(QStringLiteral("centre %1,%2, expected %3,%4")
                       .arg(dialog.frameGeometry().center().x())
                       .arg(dialog.frameGeometry().center().y())
                       .arg(expected.x())
                       .arg(expected.y())));
}

QTEST_MAIN(TestCoverDialog)
#include "tst_coverdialog.moc"
