// Clipping of 1:1 copies and fills to the 640 x 480 surfaces. Every drawing operation of the
// Screen clips: nothing is ever written or read outside a surface, whatever the arguments.
#pragma once

#include <algorithm>
#include <cstdint>

#include "display/screen.h"

// A copy that lies wholly inside both surfaces.
struct CopyArea {
    int dstX = 0;
    int dstY = 0;
    int srcX = 0;
    int srcY = 0;
    int width = 0;
    int height = 0;
};

// Clips the copy of `source` (right and bottom exclusive) to (x, y) against both surfaces;
// parts that leave either surface are dropped on both sides, so the pixels that remain keep
// their places. False when nothing is left.
inline bool clipCopy(int x, int y, const Rect& source, CopyArea& area) {
    // 64-bit so that no sum of the caller's values can overflow.
    int64_t left = source.left, top = source.top, right = source.right, bottom = source.bottom;
    int64_t dstX = x, dstY = y;
    if (left < 0) {
        dstX -= left;
        left = 0;
    }
    if (top < 0) {
        dstY -= top;
        top = 0;
    }
    if (dstX < 0) {
        left -= dstX;
        dstX = 0;
    }
    if (dstY < 0) {
        top -= dstY;
        dstY = 0;
    }
    right = std::min({right, int64_t{kScreenWidth}, left + kScreenWidth - dstX});
    bottom = std::min({bottom, int64_t{kScreenHeight}, top + kScreenHeight - dstY});
    if (right <= left || bottom <= top) {
        return false;
    }
    area = CopyArea{static_cast<int>(dstX),         static_cast<int>(dstY),
                    static_cast<int>(left),         static_cast<int>(top),
                    static_cast<int>(right - left), static_cast<int>(bottom - top)};
    return true;
}

// Clips the box of width x height at (x, y) to a surface. False when nothing is left.
inline bool clipBox(int64_t x, int64_t y, int64_t width, int64_t height, CopyArea& area) {
    const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(x + width, kScreenWidth);
    const int64_t bottom = std::min<int64_t>(y + height, kScreenHeight);
    if (right <= left || bottom <= top) {
        return false;
    }
    area = CopyArea{static_cast<int>(left),         static_cast<int>(top),         0, 0,
                    static_cast<int>(right - left), static_cast<int>(bottom - top)};
    return true;
}
