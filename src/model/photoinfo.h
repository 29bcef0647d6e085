#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace zk {

// A reference drawing (参考図) delivered with a photo: a file and its title.
struct ReferenceDrawing
{
    QString path;
    QString title;

    bool operator==(const ReferenceDrawing&) const = default;
};

// The items of one photo's delivery information, in the order the delivery
// standard lists them. Names are the standard's own; they are the keys of the
// JSON form and the headers of the CSV columns (info_item_name).
enum class InfoItem {
    LargeClass, // 写真-大分類
    PhotoClass, // 写真区分
    WorkType, // 工種
    Kind, // 種別
    Detail, // 細別
    Reserves, // 工種区分予備 (a list)
    Spot, // 撮影箇所
    ShotDate, // 撮影年月日, YYYY-MM-DD
    Representative, // 代表写真, "1" or "0"
    Frequency, // 提出頻度写真, "1" or "0"
    ControlValue, // 施工管理値
    Remark, // 受注者説明文
    Drawings, // 参考図 (a list of files with titles)
};

constexpr int InfoItemCount = int(InfoItem::Drawings) + 1;

// An entry's delivery information. An empty item means "not given": the
// delivery falls back to its default (工事, the EXIF date, 0).
struct PhotoInfo
{
    QString largeClass;
    QString photoClass;
    QString workType;
    QString kind;
    QString detail;
    QStringList reserves;
    QString spot;
    QString shotDate;
    QString representative;
    QString frequency;
    QString controlValue;
    QString remark;
    QList<ReferenceDrawing> drawings;

    bool isEmpty() const;
    bool operator==(const PhotoInfo&) const = default;

    bool has(InfoItem item) const;
    // The item as one text: lists joined by line feeds; for drawings the paths.
    QString text(InfoItem item) const;
    // An item that is one text, as it is kept; empty for the two lists.
    const QString& field(InfoItem item) const;
    // The member that keeps an item of one text; null for the two lists.
    static QString PhotoInfo::*member(InfoItem item);
    // Sets an item from one text (lists split at line feeds, empty lines
    // dropped). Drawings take their paths from the text and keep titles by index.
    void setText(InfoItem item, const QString& value);
    // Gives every empty item of this the value it has in `other`; returns
    // whether anything changed. Nothing already given is overwritten.
    bool fill_from(const PhotoInfo& other);
};

// The standard's name of an item ("写真-大分類", "工種", …).
QString info_item_name(InfoItem item);
// The item a name stands for; false when the name is none of them.
bool info_item_from_name(const QString& name, InfoItem* item);

// The fixed lists: 写真-大分類, and 写真区分 for 工事.
const QStringList& large_classes();
const QStringList& photo_classes();

} // namespace zk
