#pragma once

#include <QByteArrayView>
#include <QSize>
#include <QString>

namespace zk {

struct Picture;

// Windows metafiles, which Qt cannot read, drawn at the size they are shown
// at by the helper program zkwmf (libwmf's gd device) beside the running
// program. libwmf crashes, loops or asks for gigabytes on damaged files, so
// it runs in a process of its own with limits on time, memory and output: a
// helper that fails in any way fails that one picture, with a reason.
class WmfRenderer
{
public:
    // True for a placeable metafile or a plain one, told by content: files
    // are often named .wmf wrongly or not at all.
    static bool isMetafile(QByteArrayView data);

    // Limits on the helper: wall-clock time (ms) and address space (bytes).
    static constexpr int TimeLimitMs = 5000;
    static constexpr qint64 MemoryLimitBytes = 512 * 1024 * 1024;

    // The helper beside the running executable.
    static QString helperPath();

    // The metafile's drawing stretched to exactly size pixels on white.
    static Picture render(QByteArrayView data, const QSize& size);
};

} // namespace zk
