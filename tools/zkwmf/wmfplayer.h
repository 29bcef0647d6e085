#pragma once

#include <string>

namespace zk {

// Plays a metafile through libwmf's gd device into a PNG.
class WmfPlayer
{
public:
    // Also the helper's exit status.
    enum Status { Drawn = 0, Usage = 2, BadInput = 3, NoMemory = 4, CannotDraw = 5 };

    // The metafile's drawing stretched to exactly width x height pixels.
    static Status play(const std::string& metafile, int width, int height, std::string& png);
};

} // namespace zk
