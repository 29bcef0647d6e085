#pragma once

#include <QRect>

namespace zk {

// The window is laid out in twips (1/1440 inch). At 96 logical dots per inch
// that is 15 twips per logical pixel; high-dpi screens scale it as Qt scales
// every widget.
constexpr int twips(int t)
{
    return (t + 7) / 15;
}

inline QRect twips(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

} // namespace zk
