#pragma once

#include <QByteArrayView>
#include <QString>

namespace zk {

struct PhotoFacts;

// Reads an electronic blackboard's data from an XMP packet (the RDF that
// cameras write into a JPEG's APP1 segment). Each property may be written as
// an element or as an attribute of rdf:Description, under any prefix. The
// XML is read by a small scanner of its own, straight from the UTF-8 bytes:
// placing hundreds of photos must not spend most of its time on a general
// XML reader.
class BlackboardXmp
{
public:
    // Packets and trees larger than these are refused: one APP1 segment holds
    // at most 64 KiB, and a board is a few dozen elements deep at most.
    static constexpr qsizetype MaxBytes = 1024 * 1024;
    static constexpr int MaxDepth = 48;
    static constexpr int MaxNodes = 20000;

    static constexpr char PhotoInfoNs[] = "http://dcpadv.org/schema/3.0/photoinfo";
    static constexpr char MeasurementNs[] = "http://dcpadv.org/schema/3.0/measurement";
    static constexpr char MeasurementItemNs[] = "http://dcpadv.org/schema/3.0/measurementitem";

    // Fills the board's items, title, project and company into facts and sets
    // facts->hasBoard. False with a reason when the packet holds no board
    // or is malformed, oversized or declares a DTD; facts then stays as it was.
    static bool read(QByteArrayView packet, PhotoFacts* facts, QString* reason = nullptr);
};

} // namespace zk
