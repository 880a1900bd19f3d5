// Display test helpers: whole-surface pictures, so a test states every pixel it expects.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "display/screen.h"

namespace display_test {

// A Screen on the heap whose every index has its own colour, as in the game's artwork.
inline std::unique_ptr<Screen> makeScreen() {
    auto screen = std::make_unique<Screen>();
    for (int i = 0; i < 256; ++i) {
        screen->BasePalette[i] = PaletteEntry{static_cast<uint8_t>(i), 0, 50, 0};
    }
    screen->LivePalette = screen->BasePalette;
    return screen;
}

inline int patternAt(int x, int y) { return 1 + (x * 7 + y * 13) % 250; }  // never 0

template <typename Picture>  // every pixel (x, y) := picture(x, y)
void paint(Screen& screen, SurfaceId id, Picture picture) {
    for (int i = 0; i < kSurfaceBytes; ++i) {
        screen.Pixels(id)[i] = static_cast<uint8_t>(picture(i % kSurfacePitch, i / kSurfacePitch));
    }
}

template <typename Picture>  // how many pixels (x, y) differ from expected(x, y)
int mismatches(const Screen& screen, SurfaceId id, Picture expected) {
    int wrong = 0;
    for (int i = 0; i < kSurfaceBytes; ++i) {
        wrong += screen.Pixels(id)[i] != expected(i % kSurfacePitch, i / kSurfacePitch);
    }
    return wrong;
}

inline int countIndex(const Screen& screen, SurfaceId id, int index) {
    return int(std::count(screen.Pixels(id), screen.Pixels(id) + kSurfaceBytes, index));
}

inline bool inBox(int x, int y, int left, int top, int right, int bottom) {  // right, bottom out
    return x >= left && x < right && y >= top && y < bottom;
}

inline std::vector<int> rgbFlags(const PaletteEntry& e) {
    return {e.red, e.green, e.blue, e.flags};
}

}  // namespace display_test
