// One surface and the palette index a figure writes on it, with clipped pixel and span writes.
#pragma once

#include <cstdint>
#include <cstring>

#include "display/clip.h"
#include "display/screen.h"

struct Canvas {
    uint8_t* pixels;
    uint8_t index;

    void plot(int64_t x, int64_t y) const {
        if (x >= 0 && x < kScreenWidth && y >= 0 && y < kScreenHeight) {
            pixels[y * kSurfacePitch + x] = index;
        }
    }

    // Pixels left..right of row y, both included.
    void span(int64_t left, int64_t right, int64_t y) const {
        CopyArea area;
        if (clipBox(left, y, right - left + 1, 1, area)) {
            std::memset(pixels + area.dstY * kSurfacePitch + area.dstX, index, area.width);
        }
    }
};
