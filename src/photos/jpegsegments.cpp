#include "jpegsegments.h"

namespace zk {

JpegWalk walk_jpeg_segments(QByteArrayView data, const JpegSegmentVisitor& visit)
{
    if (data.size() < 2)
        return JpegWalk::NeedMore;
    if (!data.startsWith("\xFF\xD8"))
        return JpegWalk::Malformed;
    qsizetype pos = 2;
    for (;;) {
        if (pos + 2 > data.size())
            return JpegWalk::NeedMore;
        if (quint8(data[pos]) != 0xFF)
            return JpegWalk::Malformed;
        const quint8 marker = quint8(data[pos + 1]);
        if (marker == 0xFF) {
            ++pos; // fill byte
            continue;
        }
        if (marker == 0xDA || marker == 0xD9)
            return JpegWalk::Complete;
        // Markers without a length: TEM and the restart markers.
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;
            continue;
        }
        if (pos + 4 > data.size())
            return JpegWalk::NeedMore;
        const int length = quint8(data[pos + 2]) << 8 | quint8(data[pos + 3]);
        if (length < 2)
            return JpegWalk::Malformed;
        if (pos + 2 + length > data.size())
            return JpegWalk::NeedMore;
        if (visit)
            visit(marker, data.sliced(pos + 4, length - 2));
        pos += 2 + length;
    }
}

} // namespace zk
