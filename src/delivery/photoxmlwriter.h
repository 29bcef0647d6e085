#pragma once

#include "delivery/deliverydata.h"

#include <QByteArray>
#include <QString>

namespace zk {

// PHOTO.XML as the delivery wants it: Shift_JIS, CR LF line ends, the XML
// declaration and the DOCTYPE naming PHOTO05.DTD, elements in the DTD's
// order, empty optional elements left out, text escaped.
class PhotoXmlWriter
{
public:
    struct Result
    {
        QByteArray bytes;
        QString error; // empty on success

        bool ok() const { return error.isEmpty(); }
    };

    // remarkElement: the contractor's remark as the DTD in use names it
    // (請負者説明文 or 受注者説明文).
    static Result write(const DeliveryData& data, const QString& remarkElement);
};

} // namespace zk
