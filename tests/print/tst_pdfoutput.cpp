// The album on paper: zkrtool pdf and the painter device checked through
// poppler's tools (pdftotext, pdffonts, pdfimages).

#include "docfile/documentwriter.h"
#include "model/document.h"
#include "print/fontsubstitutes.h"
#include "print/painterprintdevice.h"
#include "testphotos.h"

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace zk;

namespace {

constexpr double MmPerPoint = 25.4 / 72;

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return { p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
        QString::fromUtf8(p.readAllStandardError()) };
}

struct Word
{
    double x = 0; // mm from the sheet's left edge
    double y = 0; // mm from the sheet's top edge, top of the line box
    QString text;
};

// The words of each page as pdftotext -bbox gives them. Poppler's box of a
// word starts at the pen position of its first glyph and reaches up from the
// baseline by the font's ascent as the embedded font declares it; the device
// puts the baseline at the line box top plus the same ascent, so yMin is the
// top of the line box and xMin its left edge.
QList<QList<Word>> pdfWords(const QString& pdf)
{
    static const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="[\d.]+">([^<]*)</word>)re");
    QList<QList<Word>> pages;
    for (const QString& line : run("pdftotext", { "-bbox", pdf, "-" }).out.split('\n')) {
        if (line.contains(QLatin1String("<page ")))
            pages.append(QList<Word>());
        const QRegularExpressionMatch m = word.match(line);
        if (m.hasMatch() && !pages.isEmpty())
            pages.last().append({ m.captured(1).toDouble() * MmPerPoint,
                m.captured(2).toDouble() * MmPerPoint, m.captured(3) });
    }
    return pages;
}

} // namespace

class TestPdfOutput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void textStandsWhereTheLayoutSays_data();
    void textStandsWhereTheLayoutSays();
    void sheetsFontsAndPhotos();
    void exitCodesAndNoOutputOnFailure();
    void deviceOriginIsThePrintableArea();
    void deviceFailures();

private:
    QString path(const QString& name) const { return dir.filePath(name); }

    QString tool;
    QTemporaryDir dir;
    Document album;
};

// Three pages: photos in entries 1, 2, 3 and 5, none on page 3.
void TestPdfOutput::initTestCase()
{
    tool = qEnvironmentVariable("ZKRTOOL");
    QVERIFY2(QFile::exists(tool), "ZKRTOOL must name the zkrtool program");
    for (const char* program : { "pdftotext", "pdffonts", "pdfimages" })
        QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(program)).isEmpty(), program);
    install_font_substitutes();

    const QStringList cover = { "18", "123", "市道改良工事", "北区", "17", "4", "1", "18", "12",
        "25", "山田建設", "19", "3", "7" };
    for (int n = 1; n <= CoverData::FieldCount; ++n)
        album.cover.setLine(n, cover.at(n - 1));
    for (int i = 1; i <= 9; ++i) {
        const QImage photo = solidPhoto(QSize(400, 300), qRgb(i * 25, 0, 0));
        const QString file = path(QStringLiteral("%1.jpg").arg(i));
        QVERIFY(photo.save(file));
        album.entries.append_entry(
            number_text(i), QStringLiteral("題%1").arg(i), {}, i <= 3 || i == 5 ? file : QString());
    }
    QVERIFY(write_document(path("album.zkr"), album).ok());
    const Run r = run(tool, { "pdf", path("album.zkr"), path("album.pdf") });
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
}

// Texts within 0.5 mm of their places. The layout's x and y become paper mm
// through the origins: cover x, y - 4; photo pages x + 13.5, y - 4.
void TestPdfOutput::textStandsWhereTheLayoutSays_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::newRow("title") << 0 << "工" << 77.0 << 46.0;
    QTest::newRow("工事番号") << 0 << "工事番号" << 54.0 << 78.0;
    QTest::newRow("fiscal year") << 0 << "平成" << 87.5 << 78.5;
    QTest::newRow("completion month 12") << 0 << "12" << 144.0 << 186.0;
    QTest::newRow("提出年月日") << 0 << "提出年月日" << 54.0 << 254.5;
    QTest::newRow("page 2 slot 3 title") << 2 << "題6" << 157.0 << 202.0;
}

void TestPdfOutput::textStandsWhereTheLayoutSays()
{
    QFETCH(int, page);
    QFETCH(QString, text);
    QFETCH(double, x);
    QFETCH(double, y);
    QStringList seen;
    for (const Word& w : pdfWords(path("album.pdf")).value(page)) {
        if (w.text == text && std::abs(w.x - x) <= 0.5 && std::abs(w.y - y) <= 0.5)
            return;
        if (w.text == text)
            seen << QStringLiteral("(%1, %2)").arg(w.x, 0, 'f', 2).arg(w.y, 0, 'f', 2);
    }
    QFAIL(qPrintable(text + " not within 0.5 mm; found at " + seen.join(' ')));
}

// The cover and a sheet for each page, the empty page 3 included; every font
// embedded; each photo at 300 dpi (not the screen picture), kept as JPEG.
void TestPdfOutput::sheetsFontsAndPhotos()
{
    const QString pdf = path("album.pdf");
    QCOMPARE(pdfWords(pdf).size(), 4);

    const QString fonts = run("pdffonts", { pdf }).out;
    QVERIFY2(fonts.contains("IPAMincho") && fonts.contains("IPAGothic"), qPrintable(fonts));
    // name type encoding emb sub uni object ID: "emb" is the fifth from the end.
    for (const QString& line : fonts.split('\n', Qt::SkipEmptyParts).mid(2)) {
        const QStringList f = line.simplified().split(' ');
        QVERIFY2(f.size() > 5 && f.at(f.size() - 5) == "yes", qPrintable(line));
    }

    static const QRegularExpression printSized(R"(\s1417\s+1028\s+\w+\s+\d+\s+\d+\s+jpeg\s)");
    QCOMPARE(run("pdfimages", { "-list", pdf }).out.count(printSized), 4);
}

// Exit 1 with a message naming the entry and the file when a photo cannot
// be read, 2 for wrong arguments, 1 for an album that cannot be read; on any
// failure the output file is left as it was (or absent).
void TestPdfOutput::exitCodesAndNoOutputOnFailure()
{
    Document broken = album;
    broken.entries.set_field(5, EntryField::Image, path("gone.jpg"));
    QVERIFY(write_document(path("broken.zkr"), broken).ok());
    QFile old(path("old.pdf"));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    for (const QStringList& extra : { QStringList(), QStringList { "--page", "2" } }) {
        const Run r = run(tool, QStringList { "pdf", path("broken.zkr"), path("old.pdf") } + extra);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("No. 5") && r.err.contains(path("gone.jpg")), qPrintable(r.err));
        QCOMPARE(QFileInfo(old).size(), 3);
    }
    // Page 1 does not need the missing photo.
    QCOMPARE(run(tool, { "pdf", path("broken.zkr"), path("one.pdf"), "--page", "1" }).exitCode, 0);
    QCOMPARE(pdfWords(path("one.pdf")).size(), 1);

    const QString zkr = path("album.zkr");
    const QString out = path("new.pdf");
    for (const QStringList& args : QList<QStringList> { { "pdf", zkr },
             { "pdf", zkr, out, "--page", "0" }, { "pdf", zkr, out, "--page", "4" } })
        QCOMPARE(run(tool, args).exitCode, 2);
    QCOMPARE(run(tool, { "pdf", path("nothing.zkr"), out }).exitCode, 1);
    QCOMPARE(run(tool, { "pdf", path("broken.zkr"), out }).exitCode, 1);
    QVERIFY(!QFile::exists(out));
}

// The origin is the printable area's top-left corner, inside the page
// layout's margins, also in full-page mode (here at 300 dpi): a text at layout (30, 44) with
// origin (0, 4) stands 30 mm right of and 40 mm below it. (Margins in whole
// points, as printers give them: Qt's PDF engine places the paint rect on
// whole points.)
void TestPdfOutput::deviceOriginIsThePrintableArea()
{
    const QMarginsF margins(28, 57, 14, 14);
    const double left = margins.left() * MmPerPoint + 30;
    const double top = margins.top() * MmPerPoint + 40;
    for (const bool fullPage : { false, true }) {
        const QString pdf = path(QStringLiteral("origin%1.pdf").arg(fullPage));
        {
            QPdfWriter writer(pdf);
            writer.setResolution(fullPage ? 300 : 1200);
            QPageLayout layout(
                QPageSize(QPageSize::A4), QPageLayout::Portrait, margins, QPageLayout::Point);
            layout.setMode(fullPage ? QPageLayout::FullPageMode : QPageLayout::StandardMode);
            QVERIFY(writer.setPageLayout(layout));
            PainterPrintDevice device(&writer);
            device.setOrigin(0, 4);
            device.setPosition(30, 44);
            device.setFontName(QStringLiteral("ＭＳ 明朝"));
            device.setFontSize(14);
            device.printText(QStringLiteral("原点"));
            device.endJob();
        }
        const QList<Word> words = pdfWords(pdf).value(0);
        QCOMPARE(words.size(), 1);
        QVERIFY2(std::abs(words[0].x - left) <= 0.1 && std::abs(words[0].y - top) <= 0.1,
            qPrintable(QStringLiteral("full page %1: (%2, %3)")
                           .arg(fullPage)
                           .arg(words[0].x)
                           .arg(words[0].y)));
    }
}

// A target that cannot be opened fails the job with a reason; an aborted job
// runs the owner's abort hook (the print commands cancel the printer there).
void TestPdfOutput::deviceFailures()
{
    QPdfWriter nowhere(path("no-such-dir/x.pdf"));
    PainterPrintDevice broken(&nowhere);
    broken.setOrigin(0, 4);
    QVERIFY(broken.failed() && !broken.errorString().isEmpty());

    QPdfWriter writer(path("aborted.pdf"));
    bool hookRan = false;
    PainterPrintDevice device(&writer, [&] { hookRan = true; });
    device.drawLine(0, 10, 100, 10);
    device.abortJob();
    QVERIFY(!device.failed() && hookRan);
}

QTEST_MAIN(TestPdfOutput)
#include "tst_pdfoutput.moc"
