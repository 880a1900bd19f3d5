// Palette indices to colours: the one conversion of the picture, used by the platform's
// present. Plain memory in, plain memory out, so that it can be measured and tested without
// a window.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace platform {

// A block of page pixels to convert: `columns` x `rows` indices, rows `pitch` bytes apart.
struct PageBlock {
    const uint8_t* pixels = nullptr;
    int pitch = kPageWidth;
    int columns = kPageWidth;
    int rows = kPageHeight;
};

// Converts the block, every index becoming a `scale` x `scale` square of its colour:
// out pixel (x, y) := colourTable[index (x / scale, y / scale)]. The table holds the 256
// palette entries as pixels of the target's format. `outPitch` is the distance
// in bytes between rows of `out` (a multiple of 4, at least columns * scale * 4).
void convertBlock(const PageBlock& block, const uint32_t* colourTable, uint32_t* out, int outPitch,
                  int scale = 1);

}  // namespace platform
