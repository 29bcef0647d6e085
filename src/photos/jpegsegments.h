#pragma once

#include <QByteArrayView>

#include <functional>

namespace zk {

enum class JpegWalk { Complete, NeedMore, Malformed };

using JpegSegmentVisitor = std::function<void(quint8 marker, QByteArrayView body)>;

// Walks a JPEG's segments up to its first scan, handing each complete one
// to visit. Complete when the scan (or the end of the image) was reached,
// NeedMore when the bytes end inside the header.
JpegWalk walk_jpeg_segments(QByteArrayView data, const JpegSegmentVisitor& visit);

} // namespace zk
