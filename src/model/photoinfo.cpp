#include "photoinfo.h"

#include <array>

namespace zk {

namespace {

QString PhotoInfo::*scalar(InfoItem item)
{
    switch (item) {
    case InfoItem::LargeClass:
        return &PhotoInfo::largeClass;
    case InfoItem::PhotoClass:
        return &PhotoInfo::photoClass;
    case InfoItem::WorkType:
        return &PhotoInfo::workType;
    case InfoItem::Kind:
        return &PhotoInfo::kind;
    case InfoItem::Detail:
        return &PhotoInfo::detail;
    case InfoItem::Spot:
        return &PhotoInfo::spot;
    case InfoItem::ShotDate:
        return &PhotoInfo::shotDate;
    case InfoItem::Representative:
        return &PhotoInfo::representative;
    case InfoItem::Frequency:
        return &PhotoInfo::frequency;
    case InfoItem::ControlValue:
        return &PhotoInfo::controlValue;
    case InfoItem::Remark:
        return &PhotoInfo::remark;
    case InfoItem::Reserves:
    case InfoItem::Drawings:
        break;
    }
    return nullptr;
}

QStringList lines(const QString& value)
{
    QStringList out;
    const QStringList parts = QString(value).replace(QLatin1String("\r\n"), QLatin1String("\n")).split(QLatin1Char('\n'));
    for (const QString& part : parts) {
        if (!part.isEmpty())
            out.append(part);
    }
    return out;
}

} // namespace

bool PhotoInfo::isEmpty() const
{
    return *this == PhotoInfo {};
}

bool PhotoInfo::has(InfoItem item) const
{
    if (item == InfoItem::Reserves)
        return !reserves.isEmpty();
    if (item == InfoItem::Drawings)
        return !drawings.isEmpty();
    return !(this->*scalar(item)).isEmpty();
}

const QString& PhotoInfo::field(InfoItem item) const
{
    static const QString none;
    const auto text = scalar(item);
    return text ? this->*text : none;
}

QString PhotoInfo::*PhotoInfo::member(InfoItem item)
{
    return scalar(item);
}

QString PhotoInfo::text(InfoItem item) const
{
    if (item == InfoItem::Reserves)
        return reserves.join(QLatin1Char('\n'));
    if (item == InfoItem::Drawings) {
        QStringList paths;
        for (const ReferenceDrawing& d : drawings)
            paths.append(d.path);
        return paths.join(QLatin1Char('\n'));
    }
    return this->*scalar(item);
}

void PhotoInfo::setText(InfoItem item, const QString& value)
{
    if (item == InfoItem::Reserves) {
        reserves = lines(value);
    } else if (item == InfoItem::Drawings) {
        const QStringList paths = lines(value);
        QList<ReferenceDrawing> next;
        for (qsizetype i = 0; i < paths.size(); ++i)
            next.append({ paths.at(i), i < drawings.size() ? drawings.at(i).title : QString() });
        drawings = next;
    } else {
        this->*scalar(item) = value;
    }
}

bool PhotoInfo::fill_from(const PhotoInfo& other)
{
    bool changed = false;
    for (int i = 0; i < InfoItemCount; ++i) {
        const auto item = InfoItem(i);
        if (has(item) || !other.has(item))
            continue;
        if (item == InfoItem::Reserves)
            reserves = other.reserves;
        else if (item == InfoItem::Drawings)
            drawings = other.drawings;
        else
            this->*scalar(item) = other.*scalar(item);
        changed = true;
    }
    return changed;
}

QString info_item_name(InfoItem item)
{
    static const std::array<QString, InfoItemCount> names = {
        QStringLiteral("写真-大分類"),
        QStringLiteral("写真区分"),
        QStringLiteral("工種"),
        QStringLiteral("種別"),
        QStringLiteral("細別"),
        QStringLiteral("工種区分予備"),
        QStringLiteral("撮影箇所"),
        QStringLiteral("撮影年月日"),
        QStringLiteral("代表写真"),
        QStringLiteral("提出頻度写真"),
        QStringLiteral("施工管理値"),
        QStringLiteral("受注者説明文"),
        QStringLiteral("参考図"),
    };
    return names.at(size_t(item));
}

bool info_item_from_name(const QString& name, InfoItem* item)
{
    for (int i = 0; i < InfoItemCount; ++i) {
        if (info_item_name(InfoItem(i)) == name) {
            *item = InfoItem(i);
            return true;
        }
    }
    return false;
}

const QStringList& large_classes()
{
    static const QStringList list = {
        QStringLiteral("工事"),
        QStringLiteral("測量"),
        QStringLiteral("調査"),
        QStringLiteral("地質"),
        QStringLiteral("広報"),
        QStringLiteral("設計"),
        QStringLiteral("その他"),
    };
    return list;
}

const QStringList& photo_classes()
{
    static const QStringList list = {
        QStringLiteral("着手前及び完成写真"),
        QStringLiteral("施工状況写真"),
        QStringLiteral("安全管理写真"),
        QStringLiteral("使用材料写真"),
        QStringLiteral("品質管理写真"),
        QStringLiteral("出来形管理写真"),
        QStringLiteral("災害写真"),
        QStringLiteral("事故写真"),
        QStringLiteral("その他"),
    };
    return list;
}

} // namespace zk
