#pragma once

#include <QByteArray>
#include <QString>

namespace zk {

// The DTD of PHOTO.XML: the copy installed with the program, and what the
// delivery needs to know of any copy.
class DeliveryDtd
{
public:
    static QString fileName() { return QStringLiteral("PHOTO05.DTD"); }

    // The installed copy: beside the program (the build tree), then the
    // program's data folder (../share/zelkora) and the system's data folders.
    // Empty when none is found.
    static QString installed();

    // The DTD as UTF-8 with its text declaration dropped. Official copies are
    // Shift_JIS without one, so text that names no encoding is read as Shift_JIS.
    static QByteArray to_utf8(const QByteArray& dtd);

    // The name this DTD gives the contractor's remark: 受注者説明文 where it
    // declares that element, else 請負者説明文.
    static QString remark_element(const QByteArray& dtd);
};

} // namespace zk
