#pragma once

#include <QByteArrayView>
#include <QString>

namespace zk {

struct PhotoFacts;

// Reads an electronic blackboard's data from an XMP packet (the RDF that
// cameras write into a JPEG's APP1 segment). Each property may be written as
// an element or as an attribute of rdf:Description, under any prefix.
class BlackboardXmp
{
public:
    // Packets and trees larger than these are refused: one APP1 segment holds
    // at most 64 KiB, and a board is a few dozen elements deep at most.
    static constexpr qsizetype MaxBytes = 1024 * 1024;
    static constexpr int MaxDepth = 48;
    static constexpr int MaxNodes = 20000;

    static const QString PhotoInfoNs;
    static const QString MeasurementNs;
    static const QString MeasurementItemNs;

    // Fills the board's items, title, project and company into facts and sets
    // facts->hasBoard. False with a reason when the packet holds no board
    // or is malformed, oversized or declares a DTD; facts then stays as it was.
    static bool read(QByteArrayView packet, PhotoFacts* facts, QString* reason = nullptr);
};

} // namespace zk
