#include "platform/palette_conversion.h"

#include <bit>
#include <cstddef>
#include <cstring>

namespace platform {

namespace {

// Pixels converted per step: one 64-bit load of indices, eight table look-ups, no branches.
constexpr int kStep = 8;

void convertRow(const uint8_t* source, int columns, const uint32_t* colourTable, uint32_t* target) {
    int x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; x + kStep <= columns; x += kStep) {
            uint64_t indices;
            std::memcpy(&indices, source + x, sizeof indices);  // pixel x is byte 0
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
    for (; x < columns; ++x) target[x] = colourTable[source[x]];
}

void convertRowWidened(const uint8_t* source, int columns, const uint32_t* colourTable,
                       uint32_t* target, int scale) {
    for (int x = 0; x < columns; ++x) {
        const uint32_t colour = colourTable[source[x]];
        for (int k = 0; k < scale; ++k) *target++ = colour;
    }
}

}  // namespace

void convertBlock(const PageBlock& block, const uint32_t* colourTable, uint32_t* out, int outPitch,
                  int scale) {
    auto* target = reinterpret_cast<uint8_t*>(out);
    const size_t rowBytes = size_t(block.columns) * size_t(scale) * sizeof(uint32_t);
    for (int y = 0; y < block.rows; ++y) {
        const uint8_t* source = block.pixels + ptrdiff_t{block.pitch} * y;
        auto* first = reinterpret_cast<uint32_t*>(target);
        if (scale == 1) {
            convertRow(source, block.columns, colourTable, first);
        } else {
            convertRowWidened(source, block.columns, colourTable, first, scale);
        }
        target += outPitch;
        // The other rows of the squares are copies of the first.
        for (int k = 1; k < scale; ++k, target += outPitch) std::memcpy(target, first, rowBytes);
    }
}

}  // namespace platform
