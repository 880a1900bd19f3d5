// 1:1 rectangle copies between surfaces, opaque or keyed. A keyed copy leaves the destination
// alone wherever the source holds ColourEmpty (index 0), the transparent key of every surface.
// Rectangles that leave either surface are clipped on both sides.

#include <cstring>

#include "display/clip.h"
#include "display/screen.h"

namespace {

void copyRowKeyed(uint8_t* destination, const uint8_t* source, int width) {
    for (int i = 0; i < width; ++i) {
        const uint8_t pixel = source[i];
        destination[i] = pixel != ColourEmpty ? pixel : destination[i];
    }
}

// Copies row by row. Within one surface the rows are taken in the order that reads every
// source row before it is overwritten, and each row goes through a buffer, so an overlapping
// copy moves the picture as a whole.
void copyArea(uint8_t* destination, const uint8_t* source, const CopyArea& area, bool keyed) {
    const bool sameSurface = destination == source;
    const bool bottomUp = sameSurface && area.dstY > area.srcY;
    uint8_t row[kScreenWidth];
    for (int i = 0; i < area.height; ++i) {
        const int line = bottomUp ? area.height - 1 - i : i;
        uint8_t* to = destination + (area.dstY + line) * kSurfacePitch + area.dstX;
        const uint8_t* from = source + (area.srcY + line) * kSurfacePitch + area.srcX;
        if (sameSurface) {
            std::memcpy(row, from, area.width);
            from = row;
        }
        if (keyed) {
            copyRowKeyed(to, from, area.width);
        } else {
            std::memcpy(to, from, area.width);
        }
    }
}

}  // namespace

void Screen::CopyRect(int x, int y, Rect source, SurfaceId destination, SurfaceId from) {
    CopyArea area;
    if (clipCopy(x, y, source, area)) {
        copyArea(Pixels(destination), Pixels(from), area, false);
    }
}

void Screen::CopyRectKeyed(int x, int y, Rect source, SurfaceId destination, SurfaceId from) {
    CopyArea area;
    if (clipCopy(x, y, source, area)) {
        copyArea(Pixels(destination), Pixels(from), area, true);
    }
}

namespace {

// The source rectangle of width x height at (srcX, srcY), kept in int range; sizes of 0 or
// less give an empty rectangle.
Rect areaAt(int srcX, int srcY, int width, int height) {
    const auto end = [](int start, int size) {
        const int64_t sum = int64_t{start} + std::max(size, 0);
        return static_cast<int>(std::min<int64_t>(sum, INT32_MAX));
    };
    return Rect{srcX, srcY, end(srcX, width), end(srcY, height)};
}

}  // namespace

void Screen::Copy(int x, int y, int srcX, int srcY, int width, int height, SurfaceId destination,
                  SurfaceId from) {
    CopyRect(x, y, areaAt(srcX, srcY, width, height), destination, from);
}

void Screen::CopyKeyed(int x, int y, int srcX, int srcY, int width, int height,
                       SurfaceId destination, SurfaceId from) {
    CopyRectKeyed(x, y, areaAt(srcX, srcY, width, height), destination, from);
}

void copyPage(Screen& screen, SurfaceId destination, SurfaceId from) {
    screen.CopyRect(kPage.left, kPage.top, kPage, destination, from);
}

void copyField(Screen& screen, SurfaceId destination, SurfaceId from) {
    screen.CopyRect(kField.left, kField.top, kField, destination, from);
}

void copyFieldKeyed(Screen& screen, SurfaceId destination, SurfaceId from) {
    screen.CopyRectKeyed(kField.left, kField.top, kField, destination, from);
}

void showPage(Screen& screen) {
    copyPage(screen, SurfaceBack, SurfacePage);
    screen.Flip();
}
