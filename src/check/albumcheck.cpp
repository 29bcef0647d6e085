#include "albumcheck.h"

#include "docfile/cp932codec.h"
#include "model/document.h"
#include "photos/exifdate.h"
#include "photos/photofile.h"
#include "photos/wmfrenderer.h"
#include "print/photopage.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QRawFont>
#include <QStringList>

namespace zk {

namespace {

// Text is measured as the PDF is drawn: at 1200 dots per inch.
constexpr double MeasureDpi = 1200;
constexpr double MmPerInch = 25.4;
// Enough of a file to hold the headers that tell an image format.
constexpr qint64 HeaderBytes = 64 * 1024;

QString mm(double value)
{
    return QString::number(value, 'f', 1);
}

// A number typed on the cover: digits half- or full-width, 元 for the
// first year of an era; -1 for anything else.
int coverNumber(const QString& field)
{
    QString digits = field.trimmed();
    if (digits == u"元")
        return 1;
    for (QChar& c : digits) {
        if (c >= QChar(0xFF10) && c <= QChar(0xFF19))
            c = QChar(u'0' + (c.unicode() - 0xFF10));
    }
    bool ok = false;
    const int n = digits.toInt(&ok);
    return ok && n >= 0 ? n : -1;
}

QDate coverDate(const CoverData& cover, CoverField year, Era era)
{
    const int y = coverNumber(cover.field(year));
    const int m = coverNumber(cover.field(CoverField(int(year) + 1)));
    const int d = coverNumber(cover.field(CoverField(int(year) + 2)));
    if (y < 1 || m < 1 || d < 1)
        return {};
    // The cover's years count from the era's year 0: 1988 for 平成, 2018 for 令和.
    return QDate(y + (era == Era::Reiwa ? 2018 : 1988), m, d);
}

QString sha256Of(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return {};
    return QString::fromLatin1(hash.result().toHex());
}

// Fonts of the printed page, measured on a device of the PDF's resolution.
class PrintFonts
{
public:
    PrintFonts() : device(1, 1, QImage::Format_RGB32)
    {
        const int dotsPerMeter = qRound(MeasureDpi / MmPerInch * 1000);
        device.setDotsPerMeterX(dotsPerMeter);
        device.setDotsPerMeterY(dotsPerMeter);
    }

    static QFont font(double points)
    {
        QFont font(QStringLiteral("ＭＳ 明朝"));
        font.setPointSizeF(points);
        return font;
    }

    QFontMetricsF metrics(double points) const { return QFontMetricsF(font(points), &device); }

    static double toMm(double pixels) { return pixels / MeasureDpi * MmPerInch; }

private:
    QImage device;
};

class Checker
{
public:
    Checker(const Document& d, Era era)
        : document(d), label(fonts.metrics(LabelPoints)), text(fonts.metrics(TextPoints)),
          // The face itself, without the fallback fonts that metrics would
          // consult: the print embeds this face, and its missing characters
          // come out as empty boxes.
          face(QRawFont::fromFont(PrintFonts::font(TextPoints))),
          start(coverDate(d.cover, CoverField::StartYear, era)),
          completion(coverDate(d.cover, CoverField::CompletionYear, era))
    {
        for (int i = 1; i <= d.entries.entry_count() && !withInfo; ++i)
            withInfo = !d.entries.entry(i).info.isEmpty();
    }

    void add(int entry, const QString& message) { problems.append({ entry, message }); }

    // Characters of value that the print font lacks or Shift-JIS cannot hold.
    void characters(int entry, const QString& what, const QString& value)
    {
        QString missing;
        QString unsaved;
        const Cp932Codec& codec = Cp932Codec::instance();
        QByteArray scratch;
        for (qsizetype i = 0; i < value.size();) {
            const char32_t c = value.at(i).isHighSurrogate() && i + 1 < value.size()
                ? QChar::surrogateToUcs4(value.at(i), value.at(i + 1))
                : value.at(i).unicode();
            const qsizetype length = c > 0xFFFF ? 2 : 1;
            const QString one = value.mid(i, length);
            i += length;
            if (c == '\r' || c == '\n' || Cp932Codec::isEscapedByte(char16_t(c)))
                continue;
            if (!face.supportsCharacter(uint(c)) && !missing.contains(one))
                missing += one;
            scratch.clear();
            if (codec.encode(one, scratch) >= 0 && !unsaved.contains(one))
                unsaved += one;
        }
        if (!missing.isEmpty())
            add(entry,
                QStringLiteral("%1の「%2」は印刷の字体にないため、空の四角で印刷されます.")
                    .arg(what, missing));
        if (!unsaved.isEmpty())
            add(entry,
                QStringLiteral("%1の「%2」は Shift-JIS で保存できないため、保存すると失われます.")
                    .arg(what, unsaved));
    }

    // How many characters of line stay in the column and how far it runs over.
    void width(int entry, const QString& what, const QString& line, const QFontMetricsF& metrics)
    {
        const double wide = PrintFonts::toMm(metrics.horizontalAdvance(line));
        if (wide <= ColumnWidthMm)
            return;
        qsizetype fits = line.size();
        while (fits > 0 && PrintFonts::toMm(metrics.horizontalAdvance(line.left(fits))) > ColumnWidthMm)
            --fits;
        add(entry,
            QStringLiteral("%1が欄の幅より %2 mm 長く、終わりの %3 文字が欄からはみ出します.")
                .arg(what, mm(wide - ColumnWidthMm))
                .arg(line.size() - fits));
    }

    void texts(int entry, const Entry& e)
    {
        width(entry, QStringLiteral("題名"), e.title, label);
        characters(entry, QStringLiteral("題名"), e.title);
        QStringList lines = e.text.split(QLatin1String("\r\n"));
        // Empty lines at the end take room but print nothing.
        while (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        if (lines.size() > TextLinesPerSlot)
            add(entry,
                QStringLiteral("文章が %1 行あり、欄に収まるのは %2 行までです (終わりの %3 "
                               "行が欄からはみ出します).")
                    .arg(lines.size())
                    .arg(TextLinesPerSlot)
                    .arg(lines.size() - TextLinesPerSlot));
        for (qsizetype k = 0; k < lines.size(); ++k)
            width(entry, QStringLiteral("文章の %1 行目").arg(k + 1), lines.at(k), text);
        characters(entry, QStringLiteral("文章"), e.text);
    }

    void photo(int entry, const QString& path)
    {
        const QString shown = QDir::toNativeSeparators(path);
        if (!QFileInfo::exists(path)) {
            add(entry, QStringLiteral("写真ファイル %1 が見つかりません.").arg(shown));
            return;
        }
        PhotoFile file(path);
        if (!file.error().isEmpty()) {
            add(entry, QStringLiteral("写真ファイル %1 を読めません. %2").arg(shown, file.error()));
            return;
        }
        // Only the header: enough to tell a picture, without decoding it.
        QFile header(path);
        if (!header.open(QIODevice::ReadOnly)) {
            add(entry,
                QStringLiteral("写真ファイル %1 を開けません (%2).").arg(shown, header.errorString()));
            return;
        }
        // The EXIF block may stand further in than the format's header.
        const Entry& e = document.entries.entry(entry);
        const bool wantsExif = e.info.shotDate.isEmpty() && (withInfo || start.isValid());
        QByteArray bytes = header.read(wantsExif ? ExifDate::HeadBytes : HeaderBytes);
        if (!WmfRenderer::isMetafile(bytes)) {
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::ReadOnly);
            QImageReader reader(&buffer);
            if (!reader.canRead()) {
                add(entry,
                    QStringLiteral("%1 は写真ファイルではないか、読めない形式のファイルです.")
                        .arg(shown));
                return;
            }
        }
        shootingDate(entry, e, wantsExif ? ExifDate::read(bytes).date() : QDate());
        record(entry, path);
    }

    // The date a delivery gives the photo, within the construction period.
    void shootingDate(int entry, const Entry& e, const QDate& exif)
    {
        QDate date = exif;
        QString from = QStringLiteral("写真の撮影日時");
        if (!e.info.shotDate.isEmpty()) {
            date = QDate::fromString(e.info.shotDate, QStringLiteral("yyyy-MM-dd"));
            from = QStringLiteral("写真情報の撮影年月日");
            if (!date.isValid()) {
                add(entry,
                    QStringLiteral("写真情報の撮影年月日「%1」は 2026-04-01 のような年-月-日の形では"
                                   "ありません.")
                        .arg(e.info.shotDate));
                return;
            }
        }
        if (!date.isValid()) {
            if (withInfo)
                add(entry,
                    QStringLiteral("撮影年月日がわかりません. 写真に撮影日時の記録がないため, "
                                   "写真情報の撮影年月日を入力してください."));
            return;
        }
        if (start.isValid() && completion.isValid() && (date < start || date > completion))
            add(entry,
                QStringLiteral("%1 (%2) が表紙の工期 (%3〜%4) の外です.")
                    .arg(from, date.toString(Qt::ISODate), start.toString(Qt::ISODate),
                        completion.toString(Qt::ISODate)));
    }

    // A photo file that differs from what was placed. Size and time come
    // from one stat; the file is hashed only when the size matches and the
    // time does not, to tell a touched file from a changed one.
    void record(int entry, const QString& path)
    {
        const auto found = document.records.constFind(path);
        if (found == document.records.cend() || !found->isValid())
            return;
        const QFileInfo file(path);
        QStringList differs;
        const bool size = file.size() != found->size;
        const bool time = file.lastModified().toMSecsSinceEpoch() != found->modified;
        if (size)
            differs << QStringLiteral("大きさ %1 → %2 バイト").arg(found->size).arg(file.size());
        if (time)
            differs << QStringLiteral("更新日時");
        if (!size && time && !found->sha256.isEmpty()) {
            if (sha256Of(path) == QLatin1String(found->sha256))
                return; // only touched: the same bytes
            differs << QStringLiteral("内容");
        }
        if (!differs.isEmpty())
            add(entry,
                QStringLiteral("写真ファイルが配置後に変更されています (%1).")
                    .arg(differs.join(QStringLiteral("・"))));
    }

    void cover()
    {
        for (int n = 1; n <= CoverData::FieldCount; ++n) {
            const CoverField f = CoverField(n);
            characters(0, CoverData::fieldName(f), document.cover.field(f));
        }
    }

    void entries(int first, int last, bool emptyPagesPrintBlank)
    {
        const EntryTable& table = document.entries;
        // The last page with a photo: empty pages after it are the album's
        // room to grow, not gaps.
        int lastWithPhoto = 0;
        for (int page = 1; page <= table.page_count(); ++page) {
            for (int s = 0; s < 3; ++s) {
                if (!table.get_field(entry_index(page, s), EntryField::Image).isEmpty())
                    lastWithPhoto = page;
            }
        }
        // Where each photo file was first placed, over the whole album.
        QHash<QString, int> placed;
        for (int i = 1; i <= table.entry_count(); ++i) {
            const QString& path = table.get_field(i, EntryField::Image);
            if (path.isEmpty())
                continue;
            const QFileInfo info(path);
            const QString key = info.exists() ? info.canonicalFilePath()
                                              : QDir::cleanPath(info.absoluteFilePath());
            const auto earlier = placed.constFind(key);
            if (earlier == placed.cend())
                placed.insert(key, i);
            else if (i > entry_index(first, 0) - 1 && i <= entry_index(last, 2))
                add(i,
                    QStringLiteral("写真ファイル %1 は No. %2 にも置かれています.")
                        .arg(QDir::toNativeSeparators(path))
                        .arg(*earlier));
        }
        for (int page = first; page <= last; ++page) {
            bool anyPhoto = false;
            for (int s = 0; s < 3; ++s) {
                const int i = entry_index(page, s);
                const Entry& e = table.entry(i);
                texts(i, e);
                if (!e.image.isEmpty()) {
                    anyPhoto = true;
                    photo(i, e.image);
                } else if (!e.title.isEmpty() || !e.text.isEmpty()) {
                    add(i, QStringLiteral("題名か文章がありますが、写真がありません."));
                }
            }
            if (emptyPagesPrintBlank && !anyPhoto && page < lastWithPhoto)
                add(entry_index(page, 0),
                    QStringLiteral("%1 ページには写真が一枚もないため、白紙の用紙が印刷されます.")
                        .arg(page));
        }
    }

    QList<CheckProblem> problems;

private:
    const Document& document;
    PrintFonts fonts;
    QFontMetricsF label;
    QFontMetricsF text;
    QRawFont face;
    // The construction period on the cover; invalid where it does not read as dates.
    QDate start;
    QDate completion;
    // Whether the album carries delivery information: only then is a photo
    // without a shooting date a problem.
    bool withInfo = false;
};

} // namespace

QString CheckProblem::toString() const
{
    return entry == 0 ? QStringLiteral("表紙: %1").arg(message)
                      : QStringLiteral("No.%1: %2").arg(entry).arg(message);
}

QList<CheckProblem> AlbumCheck::run(const Document& document, int firstPage, int lastPage, Era era)
{
    const int pages = document.entries.page_count();
    const int first = std::max(1, firstPage);
    const int last = lastPage <= 0 ? pages : std::min(lastPage, pages);
    Checker checker(document, era);
    if (first == 1)
        checker.cover();
    if (first <= last)
        checker.entries(first, last, true);
    // In the order of the album: the cover first, then by entry.
    std::stable_sort(checker.problems.begin(), checker.problems.end(),
        [](const CheckProblem& a, const CheckProblem& b) { return a.entry < b.entry; });
    return checker.problems;
}

QList<CheckProblem> AlbumCheck::run_single_page(const Document& document, int page, Era era)
{
    Checker checker(document, era);
    if (page >= 1 && page <= document.entries.page_count())
        checker.entries(page, page, false);
    return checker.problems;
}

} // namespace zk
