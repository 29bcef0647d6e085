#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace zk {

// A reference drawing as delivered: the file copied into DRA and its title.
struct DeliveryDrawing
{
    QString source; // the user's file, read only
    QString fileName; // D0000001.JPG
    QString japaneseName; // the original file name, when it may be delivered
    QString title;
};

// One photo of PHOTO.XML with the file behind it, every item as written.
struct DeliveryPhoto
{
    int entry = 0; // the album's entry, from 1; 0 for a folder made elsewhere
    QString source;
    QString serial; // 1..n as text, as PHOTO.XML holds it
    QString fileName; // P0000001.JPG
    QString japaneseName;
    QString media = QStringLiteral("1");
    QString largeClass;
    QString photoClass;
    QString workType;
    QString kind;
    QString detail;
    QString title;
    QStringList reserves;
    QList<DeliveryDrawing> drawings;
    QString spot;
    QString shotDate; // CCYY-MM-DD
    QString representative;
    QString frequency;
    QString controlValue;
    QString remark;
};

// PHOTO.XML as data: its basic information and its photos in order.
struct DeliveryData
{
    QString photoFolder = QStringLiteral("PHOTO/PIC");
    QString drawingFolder; // PHOTO/DRA when there are drawings
    QString standard;
    QList<DeliveryPhoto> photos;

    // Every drawing once, in the order of first use.
    QList<DeliveryDrawing> distinctDrawings() const;
};

// A reason not to deliver, or a warning, for the user: "No.N: message".
struct DeliveryProblem
{
    int entry = 0; // from 1; 0 when it concerns no one entry
    QString message;

    QString toString() const;
    bool operator==(const DeliveryProblem&) const = default;
};

} // namespace zk
