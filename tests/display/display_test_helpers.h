// Helpers for the display tests: a Screen on the heap, a palette in which every index has
// its own colour, and counts of pixels on a surface.
#pragma once

#include <memory>

#include "display/screen.h"

namespace display_test {

// A fresh Screen with every surface 0 (it is too large for the stack).
inline std::unique_ptr<Screen> makeScreen() { return std::make_unique<Screen>(); }

// Every index gets its own colour, as in the game's artwork, so colours map back to indices.
inline void giveUniqueColours(Screen& screen) {
    for (int i = 0; i < 256; ++i) {
        screen.BasePalette[i] = PaletteEntry{static_cast<uint8_t>(i),
                                             static_cast<uint8_t>(255 - i),
                                             static_cast<uint8_t>(i * 7), 0};
    }
    screen.LivePalette = screen.BasePalette;
}

inline void fillSurface(Screen& screen, SurfaceId id, uint8_t index) {
    uint8_t* pixels = screen.Pixels(id);
    for (int i = 0; i < kSurfaceBytes; ++i) {
        pixels[i] = index;
    }
}

inline int countIndex(const Screen& screen, SurfaceId id, uint8_t index) {
    const uint8_t* pixels = screen.Pixels(id);
    int count = 0;
    for (int i = 0; i < kSurfaceBytes; ++i) {
        count += pixels[i] == index ? 1 : 0;
    }
    return count;
}

inline int countNot(const Screen& screen, SurfaceId id, uint8_t index) {
    return kSurfaceBytes - countIndex(screen, id, index);
}

}  // namespace display_test
