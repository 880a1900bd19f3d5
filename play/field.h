// The field as the rules read it: the shown page's own bytes (FieldPixels / FieldPitch) are
// both picture and collision map.
#pragma once

#include <cstdint>

#include "display/screen.h"

// The field byte at (x, y); anything off the 640 x 480 page counts as solid.
inline uint8_t fieldByte(const Screen& screen, int x, int y) {
    if (!kPage.contains(x, y)) return ColourFrame;
    return screen.FieldPixels[y * screen.FieldPitch + x];
}
