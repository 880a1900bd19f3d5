// The two palettes: BasePalette holds the colours of the character bitmap and never changes
// after loading; LivePalette is what the display shows, shaded entry by entry for fades.
// A palette change shows with the next present of the page.

#include "display/screen.h"

namespace {

constexpr int kPaletteSize = 256;
constexpr int kComponentMax = 255;

bool isPaletteIndex(int index) { return index >= 0 && index < kPaletteSize; }

uint8_t shadeComponent(uint8_t base, int32_t delta) {
    const int64_t shaded = int64_t{base} + delta;
    if (shaded <= 0) {
        return 0;
    }
    if (shaded >= kComponentMax) {
        return kComponentMax;
    }
    return static_cast<uint8_t>(shaded);
}

}  // namespace

void Screen::ResetPalette() { LivePalette = BasePalette; }

// Always shaded from the base entry, so a fade is a run of calls with a growing delta and
// delta 0 gives the loaded colour back exactly.
void Screen::ShadePaletteEntry(int index, int32_t delta) {
    if (!isPaletteIndex(index)) {
        return;
    }
    const PaletteEntry& base = BasePalette[index];
    if (delta == 0) {
        LivePalette[index] = base;
        return;
    }
    LivePalette[index] =
        PaletteEntry{shadeComponent(base.red, delta), shadeComponent(base.green, delta),
                     shadeComponent(base.blue, delta), 0};
}

uint32_t Screen::PaletteRgb(int index) const {
    if (!isPaletteIndex(index)) {
        return 0;
    }
    const PaletteEntry& entry = BasePalette[index];
    return uint32_t{entry.red} | (uint32_t{entry.green} << 8) | (uint32_t{entry.blue} << 16);
}

uint8_t Screen::IndexOfColour(uint32_t colour) const {
    for (int index = 0; index < kPaletteSize; ++index) {
        if (PaletteRgb(index) == colour) {
            return static_cast<uint8_t>(index);
        }
    }
    return ColourEmpty;
}
