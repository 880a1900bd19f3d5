// Checks of what a page shows, made by drawing the expected text with the same Screen text
// operation on a scratch surface of a reference screen and comparing the cells pixel for
// pixel. The reference screen must have the character bitmap loaded.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "display/screen.h"

namespace menu_checks {

inline constexpr SurfaceId kScratch = SurfaceSpare7;

// The pixels of a rectangle of a page (pitch 640), row after row.
inline std::vector<uint8_t> cutRect(const uint8_t* page, int x, int y, int width, int height) {
    std::vector<uint8_t> block;
    block.reserve(size_t(width) * height);
    for (int row = y; row < y + height; ++row) {
        const uint8_t* from = page + size_t(row) * kSurfacePitch + x;
        block.insert(block.end(), from, from + width);
    }
    return block;
}

inline bool hasVisibleCharacter(const char* text) {
    for (; *text != '\0'; ++text) {
        if (*text != ' ') return true;
    }
    return false;
}

// Compares the rectangle of `shown` with the same rectangle of the scratch surface, which
// holds the expected drawing. A reference without a single solid pixel proves nothing, so
// it fails unless the text is all spaces.
inline ::testing::AssertionResult matchesScratch(Screen& reference, const uint8_t* shown,
                                                 const char* text, int x, int y, int width,
                                                 int height) {
    const std::vector<uint8_t> expected = cutRect(reference.Pixels(kScratch), x, y, width, height);
    const std::vector<uint8_t> actual = cutRect(shown, x, y, width, height);
    size_t solid = 0;
    for (uint8_t pixel : expected) solid += pixel != 0 ? 1 : 0;
    if (solid == 0 && hasVisibleCharacter(text)) {
        return ::testing::AssertionFailure() << "the reference of \"" << text << "\" is empty";
    }
    size_t differing = 0;
    for (size_t i = 0; i < expected.size(); ++i) differing += expected[i] != actual[i] ? 1 : 0;
    if (differing != 0) {
        return ::testing::AssertionFailure()
               << differing << " of " << expected.size() << " pixels differ from \"" << text
               << "\" at (" << x << ", " << y << ")";
    }
    return ::testing::AssertionSuccess();
}

// `shown` holds DrawColourText(text, x, y, 16 x 16, tile) in the text's cells.
inline ::testing::AssertionResult showsColourText(Screen& reference, const uint8_t* shown,
                                                  const char* text, int x, int y, int tile) {
    reference.Clear(kScratch);
    reference.DrawColourText(kScratch, text, x, y, 16, 16, tile);
    const int width = static_cast<int>(std::strlen(text)) * 16;
    return matchesScratch(reference, shown, text, x, y, width, 16);
}

// `shown` holds DrawText(text, x, y, cell x cell) in the text's cells; x is the first cell's.
inline ::testing::AssertionResult showsText(Screen& reference, const uint8_t* shown,
                                            const char* text, int x, int y, int cell) {
    reference.Clear(kScratch);
    reference.DrawText(kScratch, text, x, y, cell, cell);
    const int width = static_cast<int>(std::strlen(text)) * cell;
    return matchesScratch(reference, shown, text, x, y, width, cell);
}

inline ::testing::AssertionResult showsChar(Screen& reference, const uint8_t* shown,
                                            char character, int x, int y, int cell) {
    const char text[2] = {character, '\0'};
    return showsText(reference, shown, text, x, y, cell);
}

}  // namespace menu_checks
