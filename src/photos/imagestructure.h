#pragma once

#include <QByteArrayView>

namespace zk {

// What an image file's own structure tells before it is decoded. Qt's
// readers hand back what they could decode of a JPEG, BMP or GIF file that
// ends early, with at most a warning; a photo cut short by an interrupted copy
// must be reported rather than shown half grey.
struct ImageStructure
{
    // The file ends before the picture does.
    bool truncated = false;
    // A part the decoder needs fails its own check (a PNG chunk whose CRC
    // does not match): libpng refuses the whole picture.
    bool damaged = false;
    // Memory the decoder needs besides the image it fills: a progressive
    // JPEG keeps the coefficients of the whole image until its last scan.
    qint64 decoderBytes = 0;
    // The picture's size in pixels from the JPEG frame header or the first
    // TIFF directory; 0 when the data do not reach it.
    qint64 width = 0;
    qint64 height = 0;

    static ImageStructure inspect(QByteArrayView data);

    // The first bytes of a JPEG hold every segment up to the first scan, so
    // that a file whose last bytes are the end marker is known to be whole
    // without reading the scan data between (a scan never holds 0xFF 0xD9).
    static bool jpegHeadersComplete(QByteArrayView head);
};

} // namespace zk
