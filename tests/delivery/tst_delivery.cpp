#include "delivery/deliverycheck.h"
#include "delivery/deliverydtd.h"
#include "delivery/deliveryexport.h"
#include "delivery/deliveryplan.h"
#include "delivery/jistext.h"
#include "docfile/cp932codec.h"
#include "model/document.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include "filesizelimit.h"
#include "testfiles.h"
#include "testphotos.h"

using namespace zk;

namespace {

// A photo file from a short recipe: "exif:DATE" and "tiff:DATE" carry an EXIF
// shooting date, "big:DATE" is 3.2 million pixels, "plain" has no EXIF,
// "png" is no delivery format, "missing" names no file, "none" no photo.
QString makePhoto(const QDir& dir, const QString& recipe, const QString& name)
{
    const QString kind = recipe.section(QLatin1Char(':'), 0, 0);
    const QByteArray time = recipe.section(QLatin1Char(':'), 1).replace(QLatin1Char('-'), QLatin1Char(':')).toLatin1() + " 09:00:00";
    QByteArray bytes;
    if (kind == QLatin1String("exif"))
        bytes = exifJpeg(time);
    else if (kind == QLatin1String("tiff"))
        bytes = exifBody(time, true);
    else if (kind == QLatin1String("big"))
        bytes = exifJpeg(time, false, QSize(2000, 1600));
    else if (kind == QLatin1String("plain"))
        bytes = plainJpeg();
    else if (kind == QLatin1String("png"))
        bytes = QByteArray("\x89PNG\r\n\x1A\n", 8) + QByteArray(64, '\0');
    else if (kind == QLatin1String("none"))
        return QString();
    const QString path = dir.filePath(name);
    if (kind != QLatin1String("missing") && !writeAll(path, bytes))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// Entries from photo recipes, then items "N:name=value" for entry N: the
// standard's item names, 写真タイトル, 参考図 as "file recipe|title", and 変更
// for a placement record the file no longer matches.
QList<DeliverySource> makeSources(const QDir& dir, const QStringList& photos, const QStringList& items)
{
    QList<DeliverySource> sources;
    for (qsizetype i = 0; i < photos.size(); ++i) {
        const QString name = photos.at(i).startsWith(QLatin1String("tiff")) ? QStringLiteral("写真%1.tif")
                                                                            : QStringLiteral("写真%1.jpg");
        sources.append({ int(i + 1), makePhoto(dir, photos.at(i), name.arg(i + 1)),
            QStringLiteral("写真%1").arg(i + 1), PhotoInfo(), PhotoRecord() });
    }
    for (const QString& item : items) {
        DeliverySource& s = sources[item.section(QLatin1Char(':'), 0, 0).toInt() - 1];
        const QString name = item.section(QLatin1Char(':'), 1).section(QLatin1Char('='), 0, 0);
        const QString value = item.section(QLatin1Char('='), 1);
        InfoItem known;
        if (name == QStringLiteral("写真タイトル"))
            s.title = value;
        else if (name == QStringLiteral("参考図"))
            s.info.drawings.append({ makePhoto(dir, value.section(QLatin1Char('|'), 0, 0), value.section(QLatin1Char('|'), 0, 0).section(QLatin1Char(':'), 0, 0) + QStringLiteral("図.jpg")),
                value.section(QLatin1Char('|'), 1) });
        else if (name == QStringLiteral("触る")) // a new time, the same bytes
            s.record = { QFileInfo(s.image).size(), 1, QCryptographicHash::hash(readAll(s.image), QCryptographicHash::Sha256).toHex() };
        else if (name == QStringLiteral("変更"))
            s.record = { QFileInfo(s.image).size() + 1, 0, {} };
        else if (info_item_from_name(name, &known))
            s.info.setText(known, value);
        else
            qFatal("no item %s", qPrintable(name));
    }
    return sources;
}

QStringList lines(const QList<DeliveryProblem>& problems)
{
    QStringList out;
    for (const DeliveryProblem& p : problems)
        out.append(p.toString());
    return out;
}

QStringList lines(const QList<DeliveryFinding>& findings)
{
    QStringList out;
    for (const DeliveryFinding& f : findings)
        out.append(f.toString());
    return out;
}

const DeliveryOptions period2023 { QString(), QDate(2023, 4, 1), QDate(2024, 3, 31) };

} // namespace

class TestDelivery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void jisText_data();
    void jisText();
    void exportPassesCheck_data();
    void exportPassesCheck();
    void refusal_data();
    void refusal();
    void allOrNothing_data();
    void allOrNothing();
    void checker_data();
    void checker();
};

void TestDelivery::jisText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("outside");
    QTest::addColumn<int>("units");
    QTest::newRow("ASCII and kanji") << "No.1 床掘り" << -1 << 11;
    QTest::newRow("JIS row 2 symbols ≒ ∵") << "≒∵" << -1 << 4;
    QTest::newRow("yen typed on Linux") << "¥100" << -1 << 4;
    QTest::newRow("circled digit, NEC row 13") << "測点①" << 2 << 6;
    QTest::newRow("㈱") << "㈱○○建設" << 0 << 10;
    QTest::newRow("Roman numeral Ⅲ") << "Ⅲ工区" << 0 << 6;
    QTest::newRow("IBM extension 髙") << "髙橋" << 0 << 4;
    QTest::newRow("half-width katakana") << "ｱｲｳ" << 0 << 6;
    QTest::newRow("not in Shift_JIS") << "한" << 0 << 2;
    QTest::newRow("outside the BMP") << "𠮷野" << 0 << 6;
    QTest::newRow("tab") << "a\tb" << 1 << 3;
}

void TestDelivery::jisText()
{
    QFETCH(QString, text);
    QFETCH(int, outside);
    QFETCH(int, units);
    QCOMPARE(JisText::first_outside(text), outside);
    QCOMPARE(JisText::units(text), units);
}

void TestDelivery::exportPassesCheck_data()
{
    QTest::addColumn<QStringList>("photos");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<bool>("newDtd"); // a DTD that names 受注者説明文
    QTest::addColumn<QStringList>("inXml");
    QTest::addColumn<QStringList>("warnings");
    QTest::newRow("one photo, defaults")
        << QStringList { "exif:2023-07-14" } << QStringList() << false
        << QStringList { "<写真-大分類>工事</写真-大分類>", "<撮影年月日>2023-07-14</撮影年月日>",
               "<写真ファイル日本語名>写真1.jpg</写真ファイル日本語名>", "<提出頻度写真>0</提出頻度写真>" }
        << QStringList();
    QTest::newRow("every item, TIFF, drawings shared, escaped")
        << QStringList { "exif:2023-07-14", "none", "tiff:2023-07-15", "exif:2023-07-16" }
        << QStringList { "1:写真区分=施工状況写真", "1:工種=道路土工", "1:種別=掘削工", "1:細別=土砂掘削",
               "1:提出頻度写真=1", "1:代表写真=1", "1:工種区分予備=予備1\n予備2", "1:撮影箇所=No.3+20",
               "1:施工管理値=幅 3.0m", "1:受注者説明文=A&B <c>", "1:参考図=exif:2023-01-01|位置図",
               "3:参考図=exif:2023-01-01|位置図", "4:参考図=tiff:2023-01-02|平面図", "4:写真タイトル=\"床\"掘り" }
        << false
        << QStringList { "<参考図フォルダ名>PHOTO/DRA</参考図フォルダ名>", "<写真ファイル名>P0000002.TIF</写真ファイル名>",
               "<参考図ファイル名>D0000001.JPG</参考図ファイル名>", "<参考図ファイル名>D0000002.TIF</参考図ファイル名>",
               "<請負者説明文>A&amp;B &lt;c&gt;</請負者説明文>", "<工種区分予備>予備2</工種区分予備>",
               "<写真タイトル>&quot;床&quot;掘り</写真タイトル>", "<シリアル番号>3</シリアル番号>" }
        << QStringList();
    QTest::newRow("newer DTD names 受注者説明文")
        << QStringList { "exif:2023-07-14" } << QStringList { "1:受注者説明文=確認済み" } << true
        << QStringList { "<受注者説明文>確認済み</受注者説明文>" } << QStringList();
    QTest::newRow("warnings: period, EXIF differs, changed, pixels")
        << QStringList { "exif:2023-03-31", "exif:2023-07-14", "big:2023-07-14" }
        << QStringList { "2:撮影年月日=2023-07-13", "2:変更=", "3:触る=", "3:写真タイトル=大きな写真" }
        << false << QStringList { "<撮影年月日>2023-07-13</撮影年月日>" }
        << QStringList { "No.1: 撮影年月日 2023-03-31 が工期 (2023-04-01〜2024-03-31) の外です",
               "No.2: 撮影年月日 2023-07-13 が写真の EXIF の撮影日 2023-07-14 と違います",
               "No.2: 写真ファイルが配置後に変更されています", "No.3: 写真の画素数が 300 万を超えています (2000×1600)" };
    QTest::newRow("no EXIF date but the item")
        << QStringList { "plain" } << QStringList { "1:撮影年月日=2023-07-01" } << false
        << QStringList { "<撮影年月日>2023-07-01</撮影年月日>" } << QStringList();
}

void TestDelivery::exportPassesCheck()
{
    QFETCH(QStringList, photos);
    QFETCH(QStringList, items);
    QFETCH(bool, newDtd);
    QFETCH(QStringList, inXml);
    QFETCH(QStringList, warnings);
    QTemporaryDir dir;
    QList<DeliverySource> sources = makeSources(QDir(dir.path()), photos, items);
    // Through an album: entries without a photo stay out, information and records come along.
    Document album;
    for (qsizetype i = 0; i < photos.size(); ++i) {
        const DeliverySource& s = sources.at(i);
        album.entries.append_entry(number_text(i + 1), s.title, {}, s.image);
        album.entries.set_info(int(i + 1), s.info);
        if (s.record.isValid())
            album.records.insert(s.image, s.record);
    }
    sources = DeliveryPlan::sources(album);
    QString dtd = DeliveryDtd::installed();
    QVERIFY(!dtd.isEmpty());
    if (newDtd) {
        dtd = dir.filePath(QStringLiteral("new.dtd"));
        QByteArray bytes;
        Cp932Codec::instance().encode(Cp932Codec::instance().decode(readAll(DeliveryDtd::installed())).replace(QStringLiteral("請負者説明文"), QStringLiteral("受注者説明文")), bytes);
        QVERIFY(writeAll(dtd, bytes));
    }

    const DeliveryPlanResult plan = DeliveryPlan::make(sources, period2023);
    QVERIFY2(plan.ok(), qPrintable(lines(plan.problems).join(QLatin1Char('\n'))));
    for (qsizetype i = 0; i < warnings.size(); ++i)
        QVERIFY2(lines(plan.warnings).value(i).startsWith(warnings.at(i)), qPrintable(lines(plan.warnings).join(QLatin1Char('\n'))));
    QCOMPARE(plan.warnings.size(), warnings.size());
    const DeliveryExport::Result result = DeliveryExport::run(plan.data, dir.filePath(QStringLiteral("out")), dtd);
    QVERIFY2(result.ok(), qPrintable(result.error));

    const QByteArray xml = readAll(dir.filePath(QStringLiteral("out/PHOTO/PHOTO.XML")));
    QVERIFY(xml.startsWith("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<!DOCTYPE photodata SYSTEM \"PHOTO05.DTD\">\r\n"));
    QVERIFY(!xml.contains("\n\n") && xml.count('\n') == xml.count("\r\n"));
    const QString text = Cp932Codec::instance().decode(xml);
    for (const QString& wanted : inXml)
        QVERIFY2(text.contains(wanted), qPrintable(wanted));
    // Byte for byte, the sources untouched.
    for (const DeliveryPhoto& p : plan.data.photos) {
        QCOMPARE(readAll(dir.filePath(QStringLiteral("out/PHOTO/PIC/") + p.fileName)), readAll(p.source));
        for (const DeliveryDrawing& d : p.drawings)
            QCOMPARE(readAll(dir.filePath(QStringLiteral("out/PHOTO/DRA/") + d.fileName)), readAll(d.source));
    }
    const QList<DeliveryFinding> findings = DeliveryCheck::run(dir.filePath(QStringLiteral("out")));
    QVERIFY2(!DeliveryCheck::has_error(findings), qPrintable(lines(findings).join(QLatin1Char('\n'))));
}

void TestDelivery::refusal_data()
{
    QTest::addColumn<QStringList>("photos");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("problem");
    const QStringList ok { "exif:2023-07-14", "exif:2023-07-14" };
    QTest::newRow("photo missing") << QStringList { "exif:2023-07-14", "missing" } << QStringList() << "No.2: 写真ファイルが見つかりません";
    QTest::newRow("PNG") << QStringList { "png" } << QStringList() << "No.1: 写真が JPEG でも TIFF でもありません (PNG)";
    QTest::newRow("no date at all") << QStringList { "plain" } << QStringList() << "No.1: 撮影年月日がなく";
    QTest::newRow("date that does not exist") << ok << QStringList { "2:撮影年月日=2023-02-29" } << "No.2: 撮影年月日「2023-02-29」は CCYY-MM-DD";
    QTest::newRow("circled digit") << ok << QStringList { "2:工種=測点①" } << "No.2: 工種に使えない文字「①」";
    QTest::newRow("half-width kana title") << ok << QStringList { "1:写真タイトル=ｸｲ" } << "No.1: 写真タイトルに使えない文字「ｸ」";
    QTest::newRow("item over 127 units") << ok << QStringList { "1:撮影箇所=" + QString(64, u'地') } << "No.1: 撮影箇所が長すぎます（半角で 128 文字分、127 まで）";
    QTest::newRow("large class not in list") << ok << QStringList { "1:写真-大分類=工事写真" } << "No.1: 写真-大分類「工事写真」は一覧";
    QTest::newRow("photo class not in list") << ok << QStringList { "1:写真区分=施工写真" } << "No.1: 写真区分「施工写真」は一覧";
    QTest::newRow("frequency photo without 細別") << ok << QStringList { "1:提出頻度写真=1", "1:工種=道路土工", "1:種別=掘削工" } << "No.1: 写真-大分類が工事で提出頻度写真が 1 のときは";
    QTest::newRow("flag not 1 or 0") << ok << QStringList { "1:代表写真=はい" } << "No.1: 代表写真は 1 か 0";
    QTest::newRow("drawing not JPEG or TIFF") << ok << QStringList { "1:参考図=png|図" } << "No.1: 参考図";
    QTest::newRow("no photo in the album") << QStringList { "none" } << QStringList() << "写真のある項目がありません";
    QTest::newRow("PHOTO exists, not empty") << ok << QStringList() << "がすでにあり、空ではありません";
}

void TestDelivery::refusal()
{
    QFETCH(QStringList, photos);
    QFETCH(QStringList, items);
    QFETCH(QString, problem);
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out"));
    const bool occupied = problem.contains(QStringLiteral("すでに"));
    if (occupied)
        QVERIFY(QDir().mkpath(out + QStringLiteral("/PHOTO/old")));
    const DeliveryPlanResult plan = DeliveryPlan::make(makeSources(QDir(dir.path()), photos, items), {});
    QList<DeliveryProblem> problems = plan.problems;
    const QString target = DeliveryExport::target_problem(out);
    if (!target.isEmpty())
        problems.append({ 0, target });
    QCOMPARE(problems.size(), 1);
    QVERIFY2(problems.first().toString().startsWith(problem) || (occupied && problems.first().message.contains(problem)),
        qPrintable(problems.first().toString()));
    // The export refuses on its own too, and nothing is written.
    if (occupied)
        QVERIFY(!DeliveryExport::run(plan.data, out, DeliveryDtd::installed()).ok());
    QCOMPARE(QDir(out).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        occupied ? QStringList { "PHOTO" } : QStringList());
}

void TestDelivery::allOrNothing_data()
{
    QTest::addColumn<int>("fileLimit"); // bytes any one file may take; 0 for none
    QTest::addColumn<int>("stopAfter"); // files before 中止; -1 for never
    QTest::addColumn<QString>("error");
    QTest::newRow("disk full on the second photo") << 30000 << -1 << "P0000002.JPG に書けません";
    QTest::newRow("stopped before the first") << 0 << 0 << "";
    QTest::newRow("stopped after the second") << 0 << 2 << "";
}

void TestDelivery::allOrNothing()
{
    QFETCH(int, fileLimit);
    QFETCH(int, stopAfter);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QList<DeliverySource> sources = makeSources(QDir(dir.path()),
        { "exif:2023-07-14", "big:2023-07-14", "exif:2023-07-14" }, {});
    QList<QByteArray> before;
    for (const DeliverySource& s : sources)
        before.append(readAll(s.image));
    const DeliveryPlanResult plan = DeliveryPlan::make(sources, {});
    QVERIFY(plan.ok());
    int calls = 0;
    const auto progress = [&](qint64, qint64) { return stopAfter < 0 || calls++ < stopAfter; };
    const QString out = dir.filePath(QStringLiteral("out"));
    DeliveryExport::Result result;
    {
        std::optional<FileSizeLimit> limit;
        if (fileLimit)
            limit.emplace(fileLimit);
        result = DeliveryExport::run(plan.data, out, DeliveryDtd::installed(), progress);
    }
    QVERIFY(!result.ok());
    QCOMPARE(result.cancelled, stopAfter >= 0);
    QVERIFY2(result.error.contains(error), qPrintable(result.error));
    QCOMPARE(QDir(out).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    for (qsizetype i = 0; i < sources.size(); ++i)
        QCOMPARE(readAll(sources.at(i).image), before.at(i));
}

void TestDelivery::checker_data()
{
    // Each row changes a folder our export wrote (two photos, a drawing):
    // "write PATH TEXT", "remove PATH", "mkdir PATH", "move FROM TO", or
    // "xml FROM TO" (a text replaced in PHOTO.XML), then looks for its line.
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<QString>("period");
    QTest::addColumn<QString>("finding");
    QTest::newRow("PHOTO.XML missing") << QStringList { "remove PHOTO.XML" } << "" << "エラー: ";
    QTest::newRow("not well formed") << QStringList { "xml </写真タイトル> </写真題>" } << "" << "エラー: PHOTO.XML: XML として正しくありません";
    QTest::newRow("not valid") << QStringList { "xml <メディア番号>1</メディア番号> " } << "" << "エラー: PHOTO.XML: DTD に合いません";
    QTest::newRow("official DTD without declaration") << QStringList { "dtd-plain" } << "" << "";
    QTest::newRow("DTD missing") << QStringList { "remove PHOTO05.DTD" } << "" << "エラー: DTD ファイル PHOTO05.DTD がありません";
    QTest::newRow("listed photo missing") << QStringList { "remove PIC/P0000002.JPG" } << "" << "エラー: PIC/P0000002.JPG: PHOTO.XML にある写真ファイルがありません";
    QTest::newRow("listed drawing missing") << QStringList { "remove DRA/D0000001.JPG" } << "" << "エラー: DRA/D0000001.JPG: PHOTO.XML にある参考図ファイルがありません";
    QTest::newRow("lower-case name") << QStringList { "move PIC/P0000001.JPG PIC/p0000001.jpg", "xml P0000001.JPG p0000001.jpg" } << "" << "エラー: PIC/p0000001.jpg: 写真ファイル名「p0000001.jpg」が名前の決まり";
    QTest::newRow("serials not 1..n") << QStringList { "xml <シリアル番号>2< <シリアル番号>3<" } << "" << "エラー: PIC/P0000002.JPG: シリアル番号「3」が 1 からの連番";
    QTest::newRow("folder inside PIC") << QStringList { "mkdir PIC/old" } << "" << "エラー: PIC/old: PIC の中にフォルダがあります";
    QTest::newRow("machine-dependent character") << QStringList { "xml 写真2</写真タイトル> 写真②</写真タイトル>" } << "" << "エラー: PIC/P0000002.JPG: 写真タイトルに使えない文字「②」";
    QTest::newRow("frequency photo without 工種") << QStringList { "xml <提出頻度写真>0< <提出頻度写真>1<" } << "" << "エラー: PIC/P0000001.JPG: 写真-大分類が工事で提出頻度写真が 1";
    QTest::newRow("unlisted Thumbs.db") << QStringList { "write PIC/Thumbs.db x" } << "" << "注意: PIC/Thumbs.db: PHOTO.XML にないファイルです";
    QTest::newRow("unlisted desktop.ini") << QStringList { "write desktop.ini x" } << "" << "注意: desktop.ini: PHOTO.XML にないファイルです";
    QTest::newRow("outside the period") << QStringList() << "2023-08-01:2023-12-31" << "注意: PIC/P0000001.JPG: 撮影年月日 2023-07-14 が期間 (2023-08-01〜2023-12-31) の外です";
    QTest::newRow("EXIF differs") << QStringList { "xml 2023-07-15 2023-07-16" } << "" << "注意: PIC/P0000002.JPG: 撮影年月日 2023-07-16 が EXIF の撮影日 2023-07-15 と違います";
    QTest::newRow("no EXIF date") << QStringList { "copy-plain PIC/P0000002.JPG" } << "" << "注意: PIC/P0000002.JPG: 写真に EXIF の撮影日時がありません";
    QTest::newRow("over 3 million pixels") << QStringList { "copy-big PIC/P0000002.JPG" } << "" << "注意: PIC/P0000002.JPG: 画素数が 300 万を超えています (2000×1600)";
}

void TestDelivery::checker()
{
    QFETCH(QStringList, changes);
    QFETCH(QString, period);
    QFETCH(QString, finding);
    QTemporaryDir dir;
    const DeliveryPlanResult plan = DeliveryPlan::make(makeSources(QDir(dir.path()),
        { "exif:2023-07-14", "exif:2023-07-15" }, { "1:参考図=exif:2023-01-01|位置図" }), {});
    QVERIFY(DeliveryExport::run(plan.data, dir.path(), DeliveryDtd::installed()).ok());
    const QDir photo(dir.filePath(QStringLiteral("PHOTO")));
    for (const QString& change : changes) {
        const QStringList w = change.split(QLatin1Char(' '));
        const QString path = photo.filePath(w.value(1));
        if (w.at(0) == QLatin1String("xml")) {
            const QString xml = Cp932Codec::instance().decode(readAll(photo.filePath(QStringLiteral("PHOTO.XML"))));
            QVERIFY(xml.contains(w.at(1)));
            QByteArray bytes;
            Cp932Codec::instance().encode(QString(xml).replace(w.at(1), w.value(2)), bytes);
            QVERIFY(writeAll(photo.filePath(QStringLiteral("PHOTO.XML")), bytes));
        } else if (w.at(0) == QLatin1String("dtd-plain")) {
            const QString dtd = photo.filePath(QStringLiteral("PHOTO05.DTD"));
            const QByteArray bytes = readAll(dtd);
            QVERIFY(QFile::remove(dtd) && writeAll(dtd, bytes.mid(bytes.indexOf('\n') + 1)));
        } else if (w.at(0) == QLatin1String("remove")) {
            QVERIFY(QFile::remove(path));
        } else if (w.at(0) == QLatin1String("mkdir")) {
            QVERIFY(photo.mkpath(w.at(1)));
        } else if (w.at(0) == QLatin1String("move")) {
            QVERIFY(QFile::rename(path, photo.filePath(w.at(2))));
        } else if (w.at(0) == QLatin1String("write")) {
            QVERIFY(writeAll(path, w.at(2).toUtf8()));
        } else {
            QVERIFY(QFile::remove(path) && writeAll(path, w.at(0) == QLatin1String("copy-big") ? exifJpeg("2023:07:15 09:00:00", false, QSize(2000, 1600)) : plainJpeg()));
        }
    }
    DeliveryCheckOptions options;
    options.periodStart = QDate::fromString(period.section(QLatin1Char(':'), 0, 0), QStringLiteral("yyyy-MM-dd"));
    options.periodEnd = QDate::fromString(period.section(QLatin1Char(':'), 1), QStringLiteral("yyyy-MM-dd"));
    // Either the PHOTO folder or the folder holding it.
    const QStringList found = lines(DeliveryCheck::run(changes.size() % 2 ? photo.path() : dir.path(), options));
    if (finding.isEmpty()) {
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
        return;
    }
    bool seen = false;
    for (const QString& line : found)
        seen = seen || line.startsWith(finding);
    QVERIFY2(seen, qPrintable(found.join(QLatin1Char('\n'))));
}

QTEST_GUILESS_MAIN(TestDelivery)
#include "tst_delivery.moc"
