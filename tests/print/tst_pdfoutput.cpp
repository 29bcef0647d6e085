// The album on paper: zkrtool pdf and the painter device checked through
// poppler's tools (pdftotext, pdffonts, pdfinfo, pdfimages, pdftoppm).

#include "docfile/documentwriter.h"
#include "model/document.h"
#include "print/fontsubstitutes.h"
#include "print/painterprintdevice.h"

#include <QFile>
#include <QImageReader>
#include <QPageLayout>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
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
    QByteArray out;
    QByteArray err;
};

Run run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(60000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
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
    const Run r = run(QStringLiteral("pdftotext"), { "-bbox", pdf, "-" });
    QList<QList<Word>> pages;
    static const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="[\d.]+">([^<]*)</word>)re");
    for (const QString& line : QString::fromUtf8(r.out).split(QLatin1Char('\n'))) {
        if (line.contains(QLatin1String("<page ")))
            pages.append(QList<Word>());
        const QRegularExpressionMatch m = word.match(line);
        if (m.hasMatch() && !pages.isEmpty())
            pages.last().append({ m.captured(1).toDouble() * MmPerPoint,
                m.captured(2).toDouble() * MmPerPoint, m.captured(3) });
    }
    return pages;
}

int pdfPageCount(const QString& pdf)
{
    const Run r = run(QStringLiteral("pdfinfo"), { pdf });
    static const QRegularExpression pages(R"(Pages:\s+(\d+))");
    const QRegularExpressionMatch m = pages.match(QString::fromUtf8(r.out));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// "WIDTHxHEIGHT encoding" of every image, from pdfimages -list.
QStringList pdfImages(const QString& pdf)
{
    const Run r = run(QStringLiteral("pdfimages"), { "-list", pdf });
    QStringList images;
    const QStringList lines = QString::fromUtf8(r.out).split(QLatin1Char('\n'));
    for (const QString& line : lines.mid(2)) {
        const QStringList f = line.simplified().split(QLatin1Char(' '));
        if (f.size() > 8)
            images << f.at(3) + QLatin1Char('x') + f.at(4) + QLatin1Char(' ') + f.at(8);
    }
    return images;
}

// The page rendered in grey at 600 dpi.
QImage renderPage(const QString& pdf, int page, const QString& dir)
{
    const QString prefix = dir + QStringLiteral("/render");
    const QString n = QString::number(page);
    run(QStringLiteral("pdftoppm"),
        { "-r", "600", "-gray", "-singlefile", "-f", n, "-l", n, pdf, prefix });
    return QImage(prefix + QStringLiteral(".pgm"));
}

// The dark run crossing the line at (alongMm, acrossFromMm..acrossToMm):
// its centre in mm and its thickness in pixels at 600 dpi.
QPair<double, int> darkRun(
    const QImage& page, bool horizontalLine, double alongMm, double fromMm, double toMm)
{
    const double px = 600 / 25.4;
    int first = -1;
    int last = -1;
    for (int i = int(fromMm * px); i <= int(toMm * px); ++i) {
        const int x = horizontalLine ? int(alongMm * px) : i;
        const int y = horizontalLine ? i : int(alongMm * px);
        if (qGray(page.pixel(x, y)) < 128) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0)
        return { -1, 0 };
    return { (first + last + 1) / 2.0 / px, last - first + 1 };
}

void writeJpeg(const QString& path, QRgb colour)
{
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(path, "JPG"));
}

} // namespace

class TestPdfOutput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void albumStandsWhereTheLayoutSays_data();
    void albumStandsWhereTheLayoutSays();
    void albumSheetsFontsAndPhotos();
    void pensOnPaper_data();
    void pensOnPaper();
    void singlePage_data();
    void singlePage();
    void unreadablePhotoLeavesNoPdf();
    void wrongUsageExitsWithTwo();
    void deviceOriginIsThePrintableArea_data();
    void deviceOriginIsThePrintableArea();
    void deviceFailures();

private:
    QString path(const QString& name) const { return dir.filePath(name); }
    Document sampleAlbum() const;
    QString albumPdf();

    QString tool;
    QTemporaryDir dir;
    QString pdf;
};

void TestPdfOutput::initTestCase()
{
    tool = qEnvironmentVariable("ZKRTOOL");
    QVERIFY2(QFile::exists(tool), "ZKRTOOL must name the zkrtool program");
    for (const char* program : { "pdftotext", "pdffonts", "pdfinfo", "pdfimages", "pdftoppm" })
        QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(program)).isEmpty(), program);
    install_font_substitutes();
    // A sheet rendered at 600 dpi is larger than Qt reads by default.
    QImageReader::setAllocationLimit(256);
    writeJpeg(path("red.jpg"), qRgb(200, 0, 0));
    writeJpeg(path("green.jpg"), qRgb(0, 160, 0));
    writeJpeg(path("blue.jpg"), qRgb(0, 0, 200));
    pdf = albumPdf();
}

// Three pages: photos in entries 1, 2, 3 and 5; page 3 has texts but no photo.
Document TestPdfOutput::sampleAlbum() const
{
    Document d;
    const QStringList cover = { "18", "123", "市道改良工事", "北区", "17", "4", "1", "18", "12",
        "25", "山田建設", "19", "3", "7" };
    for (int n = 1; n <= CoverData::FieldCount; ++n)
        d.cover.setLine(n, cover.at(n - 1));
    const QStringList images = { path("red.jpg"), path("green.jpg"), path("blue.jpg"), "",
        path("red.jpg"), "", "", "", "" };
    for (int i = 1; i <= 9; ++i)
        d.entries.append_entry(number_text(i), QStringLiteral("題%1").arg(i),
            i == 1 ? QStringLiteral("一行目\r\n二行目") : QString(), images.at(i - 1));
    return d;
}

QString TestPdfOutput::albumPdf()
{
    const QString zkr = path("album.zkr");
    if (!write_document(zkr, sampleAlbum()).ok())
        return {};
    const QString out = path("album.pdf");
    const Run r = run(tool, { "pdf", zkr, out });
    if (r.exitCode != 0)
        qWarning() << r.err;
    return out;
}

// Texts of the cover and of photo pages within 0.5 mm of their places. The
// layout's x and y become paper mm through the origins: cover x, y - 4;
// photo pages x + 13.5, y - 4.
void TestPdfOutput::albumStandsWhereTheLayoutSays_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    const auto cover = [](const char* name, const char* text, double x, double y) {
        QTest::newRow(name) << 0 << QString::fromUtf8(text) << x << y - 4;
    };
    const auto photo = [](const char* name, int page, const char* text, double x, double y) {
        QTest::newRow(name) << page << QString::fromUtf8(text) << x + 13.5 << y - 4;
    };
    cover("title", "工", 77, 50);
    cover("工事番号", "工事番号", 54, 82);
    cover("fiscal year", "平成", 87.5, 82.5);
    cover("project name", "市道改良工事", 87.5, 111.5);
    cover("工事施工者", "工事施工者", 54, 247);
    cover("提出年月日", "提出年月日", 54, 258.5);
    cover("completion month 12", "12", 144, 190);
    cover("submission month 3", "3月", 123, 258.5); // pdftotext joins the two
    photo("slot 1 number", 1, "No.", 143.5, 15);
    photo("slot 1 title", 1, "題1", 143.5, 23);
    photo("slot 1 text line 2", 1, "二行目", 143.5, 37);
    photo("slot 3 number", 1, "No.", 143.5, 198);
    photo("slot 2 title page 2", 2, "題5", 143.5, 115);
    photo("slot 3 title page 2", 2, "題6", 143.5, 206);
}

void TestPdfOutput::albumStandsWhereTheLayoutSays()
{
    QFETCH(int, page);
    QFETCH(QString, text);
    QFETCH(double, x);
    QFETCH(double, y);
    const QList<QList<Word>> pages = pdfWords(pdf);
    QVERIFY(page < pages.size());
    QStringList seen;
    for (const Word& w : pages.at(page)) {
        if (w.text != text)
            continue;
        if (std::abs(w.x - x) <= 0.5 && std::abs(w.y - y) <= 0.5)
            return;
        seen << QStringLiteral("(%1, %2)").arg(w.x, 0, 'f', 2).arg(w.y, 0, 'f', 2);
    }
    QFAIL(qPrintable(QStringLiteral("%1 not within 0.5 mm of (%2, %3); found at %4")
                         .arg(text)
                         .arg(x)
                         .arg(y)
                         .arg(seen.join(QLatin1String(" ")))));
}

// Cover plus one sheet per page, the last one empty; every font embedded;
// each photo once, at 300 dpi, stored as JPEG.
void TestPdfOutput::albumSheetsFontsAndPhotos()
{
    QCOMPARE(pdfPageCount(pdf), 4);
    const QList<QList<Word>> pages = pdfWords(pdf);
    QCOMPARE(pages.size(), 4);
    QVERIFY(pages.at(3).isEmpty());

    const Run fonts = run(QStringLiteral("pdffonts"), { pdf });
    const QStringList lines
        = QString::fromUtf8(fonts.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY2(lines.size() >= 4, fonts.out.constData()); // header, rule, two fonts
    for (const QString& line : lines.mid(2)) {
        // name type... encoding emb sub uni object ID: "emb" is the fourth from the end.
        const QStringList f = line.simplified().split(QLatin1Char(' '));
        QVERIFY2(f.size() > 5 && f.at(f.size() - 5) == QLatin1String("yes"), qPrintable(line));
    }
    QVERIFY(fonts.out.contains("IPAMincho"));
    QVERIFY(fonts.out.contains("IPAGothic"));

    QCOMPARE(pdfImages(pdf), QStringList(4, QStringLiteral("1417x1028 jpeg")));
}

// The rendered sheets: the cover's frame of 4 device pixels is twice as heavy
// as its rules of 2, photo page lines are 1 pixel (1/300 inch = 2 pixels at
// 600 dpi), and every line lies within 0.5 mm of its place.
void TestPdfOutput::pensOnPaper_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("horizontal");
    QTest::addColumn<double>("along");
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<double>("expected");
    QTest::addColumn<int>("pixels");
    QTest::newRow("cover frame left") << 1 << false << 150.0 << 35.0 << 41.0 << 38.0 << 8;
    QTest::newRow("cover frame top") << 1 << true << 60.0 << 15.0 << 21.0 << 18.0 << 8;
    QTest::newRow("cover frame bottom") << 1 << true << 60.0 << 269.0 << 276.0 << 272.5 << 8;
    QTest::newRow("cover rule 工事番号") << 1 << true << 100.0 << 84.0 << 88.0 << 86.0 << 4;
    QTest::newRow("cover rule under start date")
        << 1 << true << 120.0 << 171.0 << 175.0 << 173.0 << 4;
    QTest::newRow("photo short rule slot 1") << 2 << true << 165.0 << 7.0 << 11.0 << 9.0 << 2;
    QTest::newRow("photo rule slot 3 title") << 2 << true << 190.0 << 206.0 << 210.0 << 208.0 << 2;
    QTest::newRow("photo frame slot 2 top") << 2 << true << 33.5 << 96.0 << 98.7 << 98.0 << 2;
    QTest::newRow("photo frame left") << 2 << false << 50.0 << 30.0 << 32.4 << 32.0 << 2;
}

void TestPdfOutput::pensOnPaper()
{
    QFETCH(int, page);
    QFETCH(bool, horizontal);
    QFETCH(double, along);
    QFETCH(double, from);
    QFETCH(double, to);
    QFETCH(double, expected);
    QFETCH(int, pixels);
    const QImage sheet = renderPage(pdf, page, dir.path());
    QVERIFY(!sheet.isNull());
    const QPair<double, int> line = darkRun(sheet, horizontal, along, from, to);
    QVERIFY2(std::abs(line.first - expected) <= 0.5, qPrintable(QString::number(line.first)));
    QVERIFY2(std::abs(line.second - pixels) <= 1, qPrintable(QString::number(line.second)));
}

// --page N: one sheet as the single-page print draws it, also without photos.
void TestPdfOutput::singlePage_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("photos");
    QTest::newRow("page 2, one photo") << 2 << "題4" << 1;
    QTest::newRow("page 3, no photo, drawn in full") << 3 << "題7" << 0;
}

void TestPdfOutput::singlePage()
{
    QFETCH(int, page);
    QFETCH(QString, title);
    QFETCH(int, photos);
    const QString out = path(QStringLiteral("page%1.pdf").arg(page));
    const Run r = run(tool, { "pdf", path("album.zkr"), out, "--page", QString::number(page) });
    QVERIFY2(r.exitCode == 0, r.err.constData());
    QCOMPARE(pdfPageCount(out), 1);
    QCOMPARE(pdfImages(out).size(), photos);
    const QList<QList<Word>> pages = pdfWords(out);
    QCOMPARE(pages.size(), 1);
    int labels = 0;
    bool titleInPlace = false;
    for (const Word& w : pages.at(0)) {
        labels += w.text == QLatin1String("No.");
        titleInPlace |= w.text == title && std::abs(w.x - 157) <= 0.5 && std::abs(w.y - 19) <= 0.5;
    }
    QCOMPARE(labels, 3);
    QVERIFY(titleInPlace);
}

// A photo that cannot be read: exit 1, one message naming the entry and the
// file, and the output file as it was (or absent).
void TestPdfOutput::unreadablePhotoLeavesNoPdf()
{
    Document d = sampleAlbum();
    const QString gone = path("gone.jpg");
    d.entries.set_field(5, EntryField::Image, gone);
    QVERIFY(write_document(path("broken.zkr"), d).ok());

    QFile old(path("old.pdf"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    for (const QStringList& extra : { QStringList(), QStringList { "--page", "2" } }) {
        const Run r = run(tool, QStringList { "pdf", path("broken.zkr"), path("old.pdf") } + extra);
        QCOMPARE(r.exitCode, 1);
        const QString err = QString::fromUtf8(r.err);
        const QString message = err.section(QLatin1Char('\n'), -2, -2); // Qt may warn before
        QVERIFY2(message.startsWith(QLatin1String("zkrtool: ")) && message.contains("No. 5")
                && message.contains(gone),
            qPrintable(err));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        old.close();
    }
    QCOMPARE(run(tool, { "pdf", path("broken.zkr"), path("new.pdf") }).exitCode, 1);
    QVERIFY(!QFile::exists(path("new.pdf")));
    // Entry 5 is on page 2: page 1 alone prints.
    QCOMPARE(run(tool, { "pdf", path("broken.zkr"), path("new.pdf"), "--page", "1" }).exitCode, 0);
}

void TestPdfOutput::wrongUsageExitsWithTwo()
{
    const QString zkr = path("album.zkr");
    const QString out = path("usage.pdf");
    const QList<QStringList> wrong = {
        { "pdf" },
        { "pdf", zkr },
        { "pdf", zkr, out, out },
        { "pdf", zkr, out, "--page" },
        { "pdf", zkr, out, "--page", "0" },
        { "pdf", zkr, out, "--page", "two" },
        { "pdf", zkr, out, "--page", "4" },
    };
    for (const QStringList& args : wrong) {
        QCOMPARE(run(tool, args).exitCode, 2);
        QVERIFY(!QFile::exists(out));
    }
    QCOMPARE(run(tool, { "pdf", path("nothing.zkr"), out }).exitCode, 1);
    const Run help = run(tool, { "--help" });
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.out.contains("pdf FILE.zkr OUT.pdf [--page N]"));
}

// The origin is the printable area's top-left corner: inside the page
// layout's margins, the same in full-page mode, the sheet's corner without
// margins. A text at layout (30, 44) with origin (0, 4) stands 30 mm right
// of and 40 mm below it. (Margins in whole points, as printers give them:
// Qt's PDF engine places the paint rect on whole points.)
void TestPdfOutput::deviceOriginIsThePrintableArea_data()
{
    QTest::addColumn<QMarginsF>("margins");
    QTest::addColumn<bool>("fullPage");
    QTest::addColumn<int>("resolution");
    QTest::newRow("no margins") << QMarginsF(0, 0, 0, 0) << false << 1200;
    QTest::newRow("margins") << QMarginsF(28, 57, 14, 14) << false << 1200;
    QTest::newRow("margins, full-page mode") << QMarginsF(28, 57, 14, 14) << true << 1200;
    QTest::newRow("margins at 300 dpi") << QMarginsF(21, 35, 14, 14) << false << 300;
    QTest::newRow("margins at 300 dpi, full-page mode") << QMarginsF(21, 35, 14, 14) << true << 300;
}

void TestPdfOutput::deviceOriginIsThePrintableArea()
{
    QFETCH(QMarginsF, margins);
    QFETCH(bool, fullPage);
    QFETCH(int, resolution);
    const QString out = path("origin.pdf");
    {
        QPdfWriter writer(out);
        writer.setResolution(resolution);
        QPageLayout layout(
            QPageSize(QPageSize::A4), QPageLayout::Portrait, margins, QPageLayout::Point);
        layout.setMode(fullPage ? QPageLayout::FullPageMode : QPageLayout::StandardMode);
        QVERIFY(writer.setPageLayout(layout));
        PainterPrintDevice device(&writer);
        QCOMPARE(device.pictureDpi(), 300.0);
        device.setOrigin(0, 4);
        device.setPosition(30, 44);
        device.setFontName(QStringLiteral("ＭＳ 明朝"));
        device.setFontSize(14);
        device.printText(QStringLiteral("原点"));
        device.endJob();
        QVERIFY(!device.failed());
    }
    const QList<QList<Word>> pages = pdfWords(out);
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pages.at(0).size(), 1);
    const Word w = pages.at(0).at(0);
    const double left = margins.left() * MmPerPoint + 30;
    const double top = margins.top() * MmPerPoint + 40;
    QVERIFY2(std::abs(w.x - left) <= 0.1 && std::abs(w.y - top) <= 0.1,
        qPrintable(QStringLiteral("(%1, %2) for (%3, %4)").arg(w.x).arg(w.y).arg(left).arg(top)));
}

// A target that cannot be opened fails the job with a message; an aborted
// job runs the owner's abort hook, which here discards the file.
void TestPdfOutput::deviceFailures()
{
    QPdfWriter nowhere(path("no-such-dir/x.pdf"));
    PainterPrintDevice broken(&nowhere);
    broken.setOrigin(0, 4);
    QVERIFY(broken.failed());
    QVERIFY(!broken.errorString().isEmpty());
    broken.abortJob();

    QSaveFile file(path("aborted.pdf"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QPdfWriter writer(&file);
    bool hookRan = false;
    PainterPrintDevice device(&writer, [&] {
        hookRan = true;
        file.cancelWriting();
    });
    device.setOrigin(0, 4);
    device.drawLine(0, 10, 100, 10);
    QVERIFY(!device.failed());
    device.abortJob();
    QVERIFY(hookRan);
    QVERIFY(!file.commit());
    QVERIFY(!QFile::exists(path("aborted.pdf")));
}

QTEST_MAIN(TestPdfOutput)
#include "tst_pdfoutput.moc"
