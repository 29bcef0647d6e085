#include "ui/coverdialog.h"
#include "model/album.h"

#include <QLabel>
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
    void eraNamesTheLabels_data();
    void eraNamesTheLabels();
    void centredOnShownOwnerElseScreen_data();
    void centredOnShownOwnerElseScreen();
};

void TestCoverDialog::boxesShowAndEditTheCoverData()
{
    Document d;
    for (int n = 1; n <= CoverData::FieldCount; ++n)
        d.cover.setLine(n, QStringLiteral("v%1").arg(n));
    Album album;
    album.replace_document(d, {});
    CoverDialog dialog(album, nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("表紙データ"));
    for (int n = 1; n <= CoverData::FieldCount; ++n) {
        auto* box = dialog.findChild<QLineEdit*>(QStringLiteral("Text%1").arg(n));
        QVERIFY(box);
        QCOMPARE(box->text(), QStringLiteral("v%1").arg(n));
        QCOMPARE(box->maxLength(), 32767); // no limit of its own
    }
    QTest::keyClicks(dialog.box(CoverField::ProjectName), "X");
    QCOMPARE(album.cover().field(CoverField::ProjectName), QStringLiteral("v3X"));

    // An opened album's cover replaces what the boxes show.
    d.cover.setField(CoverField::Contractor, QStringLiteral("山田建設"));
    album.replace_document(d, {});
    QCOMPARE(dialog.box(CoverField::Contractor)->text(), QStringLiteral("山田建設"));
}

void TestCoverDialog::okAndCloseOnlyHide()
{
    Album album;
    CoverDialog dialog(album, nullptr);
    dialog.show();
    dialog.box(CoverField::StartDay)->setText(QStringLiteral("9"));
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("OKButton")), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    dialog.show();
    QVERIFY(dialog.close());
    QVERIFY(!dialog.testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(dialog.box(CoverField::StartDay)->text(), QStringLiteral("9"));
    QCOMPARE(album.cover().field(CoverField::StartDay), QStringLiteral("9"));
}

void TestCoverDialog::keyboardOrder()
{
    Album album;
    CoverDialog dialog(album, nullptr);
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

// The four date captions name the chosen era, switching back and forth;
// the years in the boxes, and so in the file, stay as they are.
void TestCoverDialog::eraNamesTheLabels_data()
{
    QTest::addColumn<QList<Era>>("choices");
    QTest::addColumn<QString>("name");
    QTest::newRow("令和") << QList<Era> { Era::Reiwa } << QStringLiteral("令和");
    QTest::newRow("back to 平成") << QList<Era> { Era::Reiwa, Era::Heisei }
                                  << QStringLiteral("平成");
}

void TestCoverDialog::eraNamesTheLabels()
{
    QFETCH(QList<Era>, choices);
    QFETCH(QString, name);
    Document d = Document::blank();
    d.cover.setField(CoverField::FiscalYear, QStringLiteral("38"));
    Album album;
    album.replace_document(d, {});
    CoverDialog dialog(album, nullptr);
    for (const Era era : choices)
        dialog.setEra(era);
    QStringList captions;
    const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
    for (const QLabel* l : labels) {
        if (l->text().contains(QStringLiteral("平成"))
            || l->text().contains(QStringLiteral("令和")))
            captions << l->text();
    }
    captions.sort();
    const QString date = name + QStringLiteral("　　　年　　 月　　 日");
    QCOMPARE(captions, (QStringList { name, date, date, date }));
    QCOMPARE(album.cover(), d.cover);
    QVERIFY(album.saved());
    QCOMPARE(dialog.box(CoverField::FiscalYear)->text(), QStringLiteral("38"));
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
    Album album;
    CoverDialog dialog(album, &owner);
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
