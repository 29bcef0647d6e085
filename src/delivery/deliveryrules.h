#pragma once

#include "delivery/deliverydata.h"

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace zk {

// How an item's value is judged.
enum class ItemKind {
    Text, // JIS X 0208 text up to the length
    Choice, // one of a list (写真区分 only for 工事; free text otherwise)
    Flag, // "1" or "0"
    Date, // CCYY-MM-DD, a day that exists
    Digits, // a number from 1 of up to the length in digits
    FileName, // P0000001.JPG or D0000001.TIF
};

// One item of PHOTO.XML: its element name, kind and limit in half-width units.
struct ItemRule
{
    QString element;
    ItemKind kind = ItemKind::Text;
    int maxUnits = 0;
    bool required = false;
};

// The delivery's rules, kept as data in one place: several limits come from
// public notes rather than an official text, so they must be easy to correct.
class DeliveryRules
{
public:
    static const QList<ItemRule>& items();
    static const ItemRule* rule(const QString& element);

    // 土木202303-01, the edition of March 2023.
    static QString default_standard() { return QStringLiteral("土木202303-01"); }
    // The standard's indicator of a photo's size is 1 to 3 million pixels.
    static constexpr qint64 MaxPixels = 3'000'000;
    // The highest serial number a seven-digit file name can carry.
    static constexpr int MaxSerial = 9'999'999;

    // What is wrong with value as the item element ("" when nothing is).
    // 写真区分 needs the photo's 写真-大分類 (empty means 工事).
    static QString value_problem(
        const QString& element, const QString& value, const QString& largeClass = QString());
    // Every item rule a photo breaks, one message each, including the rule
    // that 工事 photos submitted for frequency name their 工種, 種別 and 細別.
    static QStringList photo_problems(const DeliveryPhoto& photo);

    // P0000001.JPG / D0000001.TIF: upper-case letter, seven digits, extension.
    static const QRegularExpression& photo_name();
    static const QRegularExpression& drawing_name();
    // The file name a delivered photo or drawing gets: P or D, the serial in
    // seven digits, the extension of the file's kind.
    static QString delivered_name(QChar letter, int serial, const QString& extension);
};

} // namespace zk
