#include "deliveryrules.h"

#include "delivery/jistext.h"
#include "model/photoinfo.h"

#include <QDate>

namespace zk {

namespace {

QString quoted(const QString& value)
{
    return QStringLiteral("「%1」").arg(value);
}

} // namespace

const QList<ItemRule>& DeliveryRules::items()
{
    // Text items take 127 half-width units; 写真区分 outside 工事 16 full-width characters.
    static const QList<ItemRule> table = {
        { QStringLiteral("写真フォルダ名"), ItemKind::Text, 127, true },
        { QStringLiteral("参考図フォルダ名"), ItemKind::Text, 127, false },
        { QStringLiteral("適用要領基準"), ItemKind::Text, 127, true },
        { QStringLiteral("シリアル番号"), ItemKind::Digits, 7, true },
        { QStringLiteral("写真ファイル名"), ItemKind::FileName, 12, true },
        { QStringLiteral("写真ファイル日本語名"), ItemKind::Text, 127, false },
        { QStringLiteral("メディア番号"), ItemKind::Digits, 4, true },
        { QStringLiteral("写真-大分類"), ItemKind::Choice, 127, true },
        { QStringLiteral("写真区分"), ItemKind::Choice, 32, false },
        { QStringLiteral("工種"), ItemKind::Text, 127, false },
        { QStringLiteral("種別"), ItemKind::Text, 127, false },
        { QStringLiteral("細別"), ItemKind::Text, 127, false },
        { QStringLiteral("写真タイトル"), ItemKind::Text, 127, true },
        { QStringLiteral("工種区分予備"), ItemKind::Text, 127, false },
        { QStringLiteral("参考図ファイル名"), ItemKind::FileName, 12, true },
        { QStringLiteral("参考図ファイル日本語名"), ItemKind::Text, 127, false },
        { QStringLiteral("参考図タイトル"), ItemKind::Text, 127, true },
        { QStringLiteral("付加情報予備"), ItemKind::Text, 127, false },
        { QStringLiteral("撮影箇所"), ItemKind::Text, 127, false },
        { QStringLiteral("撮影年月日"), ItemKind::Date, 10, true },
        { QStringLiteral("代表写真"), ItemKind::Flag, 1, true },
        { QStringLiteral("提出頻度写真"), ItemKind::Flag, 1, true },
        { QStringLiteral("施工管理値"), ItemKind::Text, 127, false },
        { QStringLiteral("請負者説明文"), ItemKind::Text, 127, false },
        { QStringLiteral("受注者説明文"), ItemKind::Text, 127, false },
    };
    return table;
}

const ItemRule* DeliveryRules::rule(const QString& element)
{
    for (const ItemRule& r : items()) {
        if (r.element == element)
            return &r;
    }
    return nullptr;
}

QString DeliveryRules::value_problem(
    const QString& element, const QString& value, const QString& largeClass)
{
    const ItemRule* r = rule(element);
    if (!r)
        return QString();
    if (value.isEmpty()) {
        return r->required ? QStringLiteral("%1がありません").arg(element) : QString();
    }
    const qsizetype bad = JisText::first_outside(value);
    if (bad >= 0) {
        const QString c = value.at(bad).isSurrogate() && bad + 1 < value.size()
            ? value.mid(bad, 2)
            : value.mid(bad, 1);
        return QStringLiteral("%1に使えない文字%2があります（機種依存文字、半角カナなど JIS X 0208 "
                              "にない文字は使えません）")
            .arg(element, quoted(c));
    }
    switch (r->kind) {
    case ItemKind::Flag:
        if (value != QLatin1String("1") && value != QLatin1String("0"))
            return QStringLiteral("%1は 1 か 0 で書きます（%2）").arg(element, quoted(value));
        return QString();
    case ItemKind::Date: {
        static const QRegularExpression shape(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
        if (!shape.match(value).hasMatch()
            || !QDate::fromString(value, QStringLiteral("yyyy-MM-dd")).isValid())
            return QStringLiteral("%1%2は CCYY-MM-DD の形の、実在する日付ではありません")
                .arg(element, quoted(value));
        return QString();
    }
    case ItemKind::Digits: {
        static const QRegularExpression digits(QStringLiteral("^[1-9][0-9]*$"));
        if (!digits.match(value).hasMatch() || value.size() > r->maxUnits)
            return QStringLiteral("%1%2は 1 から始まる%3桁までの半角数字で書きます")
                .arg(element, quoted(value))
                .arg(r->maxUnits);
        return QString();
    }
    case ItemKind::FileName: {
        const QRegularExpression& shape
            = element == QStringLiteral("写真ファイル名") ? photo_name() : drawing_name();
        if (!shape.match(value).hasMatch())
            return QStringLiteral("%1%2が名前の決まり（%3 と 7 桁の番号、大文字の拡張子 JPG か "
                                  "TIF）に合いません")
                .arg(element, quoted(value),
                    element == QStringLiteral("写真ファイル名") ? QStringLiteral("P")
                                                              : QStringLiteral("D"));
        return QString();
    }
    case ItemKind::Choice: {
        if (element == QStringLiteral("写真-大分類")) {
            if (!large_classes().contains(value))
                return QStringLiteral("%1%2は一覧（%3）にない値です")
                    .arg(element, quoted(value), large_classes().join(QStringLiteral("、")));
            return QString();
        }
        if (largeClass.isEmpty() || largeClass == QStringLiteral("工事")) {
            if (!photo_classes().contains(value))
                return QStringLiteral("%1%2は一覧（%3）にない値です")
                    .arg(element, quoted(value), photo_classes().join(QStringLiteral("、")));
            return QString();
        }
        break; // outside 工事 a free text of limited length
    }
    case ItemKind::Text:
        break;
    }
    const qsizetype units = JisText::units(value);
    if (units > r->maxUnits)
        return QStringLiteral("%1が長すぎます（半角で %2 文字分、%3 まで）")
            .arg(element)
            .arg(units)
            .arg(r->maxUnits);
    return QString();
}

QStringList DeliveryRules::photo_problems(const DeliveryPhoto& photo)
{
    QStringList out;
    const auto check = [&out, &photo](const QString& element, const QString& value) {
        const QString problem = value_problem(element, value, photo.largeClass);
        if (!problem.isEmpty())
            out.append(problem);
    };
    check(QStringLiteral("シリアル番号"), photo.serial);
    check(QStringLiteral("写真ファイル名"), photo.fileName);
    check(QStringLiteral("写真ファイル日本語名"), photo.japaneseName);
    check(QStringLiteral("メディア番号"), photo.media);
    check(QStringLiteral("写真-大分類"), photo.largeClass);
    check(QStringLiteral("写真区分"), photo.photoClass);
    check(QStringLiteral("工種"), photo.workType);
    check(QStringLiteral("種別"), photo.kind);
    check(QStringLiteral("細別"), photo.detail);
    check(QStringLiteral("写真タイトル"), photo.title);
    for (const QString& reserve : photo.reserves)
        check(QStringLiteral("工種区分予備"), reserve);
    for (const DeliveryDrawing& drawing : photo.drawings) {
        check(QStringLiteral("参考図ファイル名"), drawing.fileName);
        check(QStringLiteral("参考図ファイル日本語名"), drawing.japaneseName);
        check(QStringLiteral("参考図タイトル"), drawing.title);
    }
    check(QStringLiteral("撮影箇所"), photo.spot);
    check(QStringLiteral("撮影年月日"), photo.shotDate);
    check(QStringLiteral("代表写真"), photo.representative);
    check(QStringLiteral("提出頻度写真"), photo.frequency);
    check(QStringLiteral("施工管理値"), photo.controlValue);
    check(QStringLiteral("請負者説明文"), photo.remark);
    if (photo.largeClass == QStringLiteral("工事") && photo.frequency == QLatin1String("1")
        && (photo.workType.isEmpty() || photo.kind.isEmpty() || photo.detail.isEmpty()))
        out.append(QStringLiteral("写真-大分類が工事で提出頻度写真が 1 のときは、工種・種別・細別を"
                                  "すべて書きます"));
    return out;
}

const QRegularExpression& DeliveryRules::photo_name()
{
    static const QRegularExpression re(QStringLiteral("^P[0-9]{7}\\.(JPG|TIF)$"));
    return re;
}

const QRegularExpression& DeliveryRules::drawing_name()
{
    static const QRegularExpression re(QStringLiteral("^D[0-9]{7}\\.(JPG|TIF)$"));
    return re;
}

QString DeliveryRules::delivered_name(QChar letter, int serial, const QString& extension)
{
    return QStringLiteral("%1%2.%3").arg(letter).arg(serial, 7, 10, QLatin1Char('0')).arg(extension);
}

} // namespace zk
