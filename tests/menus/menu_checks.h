// Checks of what a menu page shows: the expected text is drawn with the Screen's own text
// operation on a scratch surface of a reference Game and compared pixel for pixel.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/test_game.h"

// `page` (pitch 640) holds `text` at (x, y) in cells of `cell` pixels: DrawColourText in
// `tile`, or DrawText when tile is -1. A non-blank text must draw something to prove anything.
inline ::testing::AssertionResult shows(Screen& ref, const uint8_t* page, const char* text,
                                        int x, int y, int tile = -1, int cell = 16) {
    ref.Clear(SurfaceSpare7);
    if (tile < 0) ref.DrawText(SurfaceSpare7, text, x, y, cell, cell);
    else ref.DrawColourText(SurfaceSpare7, text, x, y, cell, cell, tile);
    const uint8_t* want = ref.Pixels(SurfaceSpare7);
    int ink = 0, differing = 0, width = cell * int(std::strlen(text));
    for (int row = y; row < y + cell; ++row)
        for (int at = row * kSurfacePitch + x; at < row * kSurfacePitch + x + width; ++at)
            ink += want[at] != 0, differing += want[at] != page[at];
    if (differing == 0 && (ink > 0 || std::strspn(text, " ") == std::strlen(text)))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " pixels differ from \"" << text
                                         << "\" (" << ink << " drawn) at " << x << "," << y;
}

// The pointer '>' stands at column x on row `row` and every other row's pointer is blank.
inline void expectPointer(Screen& ref, const uint8_t* page, int x, int top, int spacing,
                          int rows, int row) {
    for (int r = 0; r < rows; ++r)
        EXPECT_TRUE(shows(ref, page, r == row ? ">" : " ", x, top + spacing * r)) << "row " << r;
}

inline const uint8_t* shown(TestGame& t) { return t.machine.lastPage().pixels.data(); }
