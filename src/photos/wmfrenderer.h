#pragma once

#include <QByteArrayView>
#include <QSize>

namespace zk {

struct Picture;

// Windows metafiles, which Qt cannot read, drawn through libwmf's gd device
// into memory at the size they are shown at.
class WmfRenderer
{
public:
    // True for a placeable metafile or a plain one, told by content: files
    // are often named .wmf wrongly or not at all.
    static bool isMetafile(QByteArrayView data);

    // The metafile's drawing stretched to exactly size pixels on white.
    static Picture render(QByteArrayView data, const QSize& size);
};

} // namespace zk
