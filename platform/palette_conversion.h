// Palette indices to colours: the one conversion of the picture, used by the platform's
// present. Plain memory in, plain memory out, so that it can be measured and tested without
// a window.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace platform {

inline constexpr int kColourTableSize = 256;
inline constexpr uint32_t kOpaqueAlpha = 0xFF000000u;

// The colour of one palette entry as a 32-bit ARGB pixel (alpha 255, then red, green, blue).
constexpr uint32_t colourOf(const PaletteEntry& entry) {
    return kOpaqueAlpha | uint32_t{entry.red} << 16 | uint32_t{entry.green} << 8 | entry.blue;
}

// colourTable[i] := colourOf(palette[i]) for all 256 entries.
void buildColourTable(const PaletteEntry* palette, uint32_t* colourTable);

// Converts one kPageWidth x kPageHeight page: out pixel (x, y) := colourTable[pixel (x, y)].
// `pitch` is the distance in bytes between rows of `pixels`, `outPitch` the distance in
// bytes between rows of `out` (at least kPageWidth * 4, a multiple of 4).
void convertPage(const uint8_t* pixels, int pitch, const uint32_t* colourTable, uint32_t* out,
                 int outPitch);

}  // namespace platform
