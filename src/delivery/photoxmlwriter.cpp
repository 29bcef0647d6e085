#include "photoxmlwriter.h"

#include "docfile/cp932codec.h"

namespace zk {

namespace {

QString escaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        case '\'':
            out += QLatin1String("&apos;");
            break;
        case '\r':
            break; // line breaks are written as CR LF below
        case '\n':
            out += QLatin1String("\r\n");
            break;
        default:
            out += c;
        }
    }
    return out;
}

class Lines
{
public:
    void open(int depth, const QString& name)
    {
        text += QString(depth, QLatin1Char('\t')) + QLatin1Char('<') + name + QLatin1String(">\r\n");
    }
    void close(int depth, const QString& name)
    {
        text += QString(depth, QLatin1Char('\t')) + QLatin1String("</") + name + QLatin1String(">\r\n");
    }
    // An element with text; optional ones are left out when empty.
    void item(int depth, const QString& name, const QString& value, bool optional = true)
    {
        if (optional && value.isEmpty())
            return;
        text += QString(depth, QLatin1Char('\t')) + QLatin1Char('<') + name + QLatin1Char('>')
            + escaped(value) + QLatin1String("</") + name + QLatin1String(">\r\n");
    }

    QString text;
};

} // namespace

PhotoXmlWriter::Result PhotoXmlWriter::write(const DeliveryData& data, const QString& remarkElement)
{
    Lines x;
    x.text = QStringLiteral("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n"
                            "<!DOCTYPE photodata SYSTEM \"PHOTO05.DTD\">\r\n"
                            "<photodata DTD_version=\"05\">\r\n");
    x.open(1, QStringLiteral("基礎情報"));
    x.item(2, QStringLiteral("写真フォルダ名"), data.photoFolder, false);
    x.item(2, QStringLiteral("参考図フォルダ名"), data.drawingFolder);
    x.item(2, QStringLiteral("適用要領基準"), data.standard, false);
    x.close(1, QStringLiteral("基礎情報"));
    for (const DeliveryPhoto& p : data.photos) {
        x.open(1, QStringLiteral("写真情報"));
        x.open(2, QStringLiteral("写真ファイル情報"));
        x.item(3, QStringLiteral("シリアル番号"), p.serial, false);
        x.item(3, QStringLiteral("写真ファイル名"), p.fileName, false);
        x.item(3, QStringLiteral("写真ファイル日本語名"), p.japaneseName);
        x.item(3, QStringLiteral("メディア番号"), p.media, false);
        x.close(2, QStringLiteral("写真ファイル情報"));
        x.open(2, QStringLiteral("撮影工種区分"));
        x.item(3, QStringLiteral("写真-大分類"), p.largeClass, false);
        x.item(3, QStringLiteral("写真区分"), p.photoClass);
        x.item(3, QStringLiteral("工種"), p.workType);
        x.item(3, QStringLiteral("種別"), p.kind);
        x.item(3, QStringLiteral("細別"), p.detail);
        x.item(3, QStringLiteral("写真タイトル"), p.title, false);
        for (const QString& reserve : p.reserves)
            x.item(3, QStringLiteral("工種区分予備"), reserve);
        x.close(2, QStringLiteral("撮影工種区分"));
        for (const DeliveryDrawing& d : p.drawings) {
            x.open(2, QStringLiteral("付加情報"));
            x.item(3, QStringLiteral("参考図ファイル名"), d.fileName, false);
            x.item(3, QStringLiteral("参考図ファイル日本語名"), d.japaneseName);
            x.item(3, QStringLiteral("参考図タイトル"), d.title, false);
            x.close(2, QStringLiteral("付加情報"));
        }
        x.open(2, QStringLiteral("撮影情報"));
        x.item(3, QStringLiteral("撮影箇所"), p.spot);
        x.item(3, QStringLiteral("撮影年月日"), p.shotDate, false);
        x.close(2, QStringLiteral("撮影情報"));
        x.item(2, QStringLiteral("代表写真"), p.representative, false);
        x.item(2, QStringLiteral("提出頻度写真"), p.frequency, false);
        x.item(2, QStringLiteral("施工管理値"), p.controlValue);
        x.item(2, remarkElement, p.remark);
        x.close(1, QStringLiteral("写真情報"));
    }
    x.text += QLatin1String("</photodata>\r\n");

    Result result;
    const qsizetype bad = Cp932Codec::instance().encode(x.text, result.bytes);
    if (bad >= 0) {
        result.bytes.clear();
        result.error = QStringLiteral("PHOTO.XML に Shift_JIS で書けない文字「%1」があります")
                           .arg(x.text.mid(bad, 1));
    }
    return result;
}

} // namespace zk
