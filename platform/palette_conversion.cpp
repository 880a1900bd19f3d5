#include "platform/palette_conversion.h"

#include <bit>
#include <cstddef>
#include <cstring>

namespace platform {

namespace {

// Pixels converted per step: one 64-bit load of indices, eight table look-ups, no branches.
constexpr int kStep = 8;
static_assert(kPageWidth % kStep == 0, "a row must be a whole number of steps");

void convertRow(const uint8_t* source, const uint32_t* colourTable, uint32_t* target) {
    if constexpr (std::endian::native != std::endian::little) {
        for (int x = 0; x < kPageWidth; ++x) target[x] = colourTable[source[x]];
        return;
    }
    for (int x = 0; x < kPageWidth; x += kStep) {
        uint64_t indices;
        std::memcpy(&indices, source + x, sizeof indices);  // little-endian: pixel x is byte 0
        target[x + 0] = colourTable[indices & 0xFF];
        target[x + 1] = colourTable[(indices >> 8) & 0xFF];
        target[x + 2] = colourTable[(indices >> 16) & 0xFF];
        target[x + 3] = colourTable[(indices >> 24) & 0xFF];
        target[x + 4] = colourTable[(indices >> 32) & 0xFF];
        target[x + 5] = colourTable[(indices >> 40) & 0xFF];
        target[x + 6] = colourTable[(indices >> 48) & 0xFF];
        target[x + 7] = colourTable[indices >> 56];
    }
}

}  // namespace

void buildColourTable(const PaletteEntry* palette, uint32_t* colourTable) {
    for (int i = 0; i < kColourTableSize; ++i) colourTable[i] = colourOf(palette[i]);
}

void convertPage(const uint8_t* pixels, int pitch, const uint32_t* colourTable, uint32_t* out,
                 int outPitch) {
    auto* target = reinterpret_cast<uint8_t*>(out);
    for (int y = 0; y < kPageHeight; ++y) {
        convertRow(pixels + ptrdiff_t{pitch} * y, colourTable,
                   reinterpret_cast<uint32_t*>(target + ptrdiff_t{outPitch} * y));
    }
}

}  // namespace platform
