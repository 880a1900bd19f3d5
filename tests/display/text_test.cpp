// Text drawn from a synthetic character bitmap whose every glyph pixel tells where it came
// from, so each cell can be checked pixel for pixel.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <vector>

#include "display/screen.h"
#include "tests/display/display_test_helpers.h"

using display_test::fillSurface;
using display_test::makeScreen;

namespace {

constexpr uint8_t kBackground = 77;

// Plain glyph of code c: (c + 16 * py + px) mod 256; the space is all 0.
uint8_t plainAt(int code, int px, int py) {
    return code == ' ' ? 0 : static_cast<uint8_t>(code + 16 * py + px);
}
// Stencil glyph of code c: 0 where (px + py) is a multiple of 3, else 160 + (c - 32);
// the space is all 0.
uint8_t stencilAt(int code, int px, int py) {
    return code == ' ' || (px + py) % 3 == 0 ? 0 : static_cast<uint8_t>(160 + code - 32);
}
// Colour tile k: 100 + k on its left half, 116 + k on its right half.
uint8_t tileAt(int tile, int px, int) { return static_cast<uint8_t>(100 + tile + 16 * (px / 8)); }
constexpr uint8_t kRemainder = 250;  // the unused places of codes 112..127 beside the tiles

void paintCharBitmap(Screen& screen) {
    uint8_t* chars = screen.Pixels(SurfaceChars);
    for (int code = 32; code < 128; ++code) {
        const int column = (code - 32) % 16;
        const int row = (code - 32) / 16;
        for (int py = 0; py < 16; ++py) {
            for (int px = 0; px < 16; ++px) {
                const int y = 16 * row + py;
                chars[y * kSurfacePitch + 16 * column + px] = plainAt(code, px, py);
                if (code <= 95) {
                    chars[y * kSurfacePitch + 256 + 16 * column + px] = stencilAt(code, px, py);
                }
            }
        }
    }
    for (int tile = 0; tile < 16; ++tile) {
        for (int py = 0; py < 16; ++py) {
            for (int px = 0; px < 16; ++px) {
                chars[(64 + py) * kSurfacePitch + 256 + 16 * tile + px] = tileAt(tile, px, py);
                chars[(80 + py) * kSurfacePitch + 256 + 16 * tile + px] = kRemainder;
            }
        }
    }
}

struct TextScreen {
    std::unique_ptr<Screen> screen = makeScreen();
    std::vector<uint8_t> chars;

    TextScreen() {
        paintCharBitmap(*screen);
        chars.assign(screen->Pixels(SurfaceChars), screen->Pixels(SurfaceChars) + kSurfaceBytes);
        fillSurface(*screen, SurfacePage, kBackground);
    }
    bool charsUnchanged() const {
        return std::equal(chars.begin(), chars.end(), screen->Pixels(SurfaceChars));
    }
};

using Source = std::function<uint8_t(int px, int py)>;

// Pixels of the cell at (left, top) that do not show source pixel
// (16 * dx / width, 16 * dy / height); only the part on the page is looked at.
int cellMismatches(const Screen& screen, SurfaceId id, int left, int top, int width,
                   int height, const Source& source) {
    int wrong = 0;
    for (int dy = 0; dy < height; ++dy) {
        for (int dx = 0; dx < width; ++dx) {
            const int x = left + dx;
            const int y = top + dy;
            if (x < 0 || x >= kScreenWidth || y < 0 || y >= kScreenHeight) {
                continue;
            }
            wrong += screen.Pixel(id, x, y) != source(16 * dx / width, 16 * dy / height);
        }
    }
    return wrong;
}

// Pixels outside the box (right and bottom exclusive) that are no longer the background.
int changedOutside(const Screen& screen, SurfaceId id, int left, int top, int right,
                   int bottom) {
    int changed = 0;
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < kScreenWidth; ++x) {
            const bool inside = x >= left && x < right && y >= top && y < bottom;
            changed += !inside && screen.Pixel(id, x, y) != kBackground;
        }
    }
    return changed;
}

Source plain(int code) {
    return [code](int px, int py) { return plainAt(code, px, py); };
}

// What colour text shows for a character: the stencil where it is not 0, else the tile.
Source colour(int code, int tile) {
    return [code, tile](int px, int py) {
        const uint8_t stencil = stencilAt(code, px, py);
        return stencil != 0 ? stencil : tileAt(tile, px, py);
    };
}

}  // namespace

TEST(Text, PlacementCentresWithTruncatingDivision) {
    TextScreen t;
    Screen& screen = *t.screen;
    screen.DrawText(SurfacePage, "START", -1, -1, 64, 64);
    const char* start = "START";
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(cellMismatches(screen, SurfacePage, 160 + 64 * i, 208, 64, 64, plain(start[i])),
                  0)
            << i;
    }
    EXPECT_EQ(screen.Pixel(SurfacePage, 160, 208), plainAt('S', 0, 0));
    EXPECT_EQ(changedOutside(screen, SurfacePage, 160, 208, 480, 272), 0);

    // Three cells of 7: 21 / 2 truncates to 10, so the text starts at 310.
    fillSurface(screen, SurfacePage, kBackground);
    screen.DrawText(SurfacePage, "ABC", -1, 0, 7, 16);
    EXPECT_EQ(cellMismatches(screen, SurfacePage, 310, 0, 7, 16, plain('A')), 0);
    EXPECT_EQ(cellMismatches(screen, SurfacePage, 324, 0, 7, 16, plain('C')), 0);
    EXPECT_EQ(changedOutside(screen, SurfacePage, 310, 0, 331, 16), 0);

    // A single character centred; odd sizes truncate as well.
    fillSurface(screen, SurfacePage, kBackground);
    screen.DrawChar(SurfacePage, 'Q', -1, -1, 32, 33);
    EXPECT_EQ(cellMismatches(screen, SurfacePage, 304, 224, 32, 33, plain('Q')), 0);
    EXPECT_EQ(changedOutside(screen, SurfacePage, 304, 224, 336, 257), 0);

    // The empty text draws nothing wherever it is placed.
    fillSurface(screen, SurfacePage, kBackground);
    screen.DrawText(SurfacePage, "", -1, -1, 64, 64);
    screen.DrawText(SurfacePage, "", 10, 10, 16, 16);
    screen.DrawText(SurfacePage, nullptr, 10, 10, 16, 16);
    screen.DrawColourText(SurfacePage, "", -1, -1, 16, 16, 1);
    EXPECT_EQ(changedOutside(screen, SurfacePage, 0, 0, 0, 0), 0);
}

TEST(Text, ScaledCellsTakeTheirSourcePixelRoundedDown) {
    TextScreen t;
    Screen& screen = *t.screen;
    screen.DrawText(SurfacePage, "M", 100, 50, 112, 112);
    // Each glyph pixel becomes a 7 x 7 block.
    int wrong = 0;
    for (int dy = 0; dy < 7; ++dy) {
        for (int dx = 7; dx < 14; ++dx) {
            wrong += screen.Pixel(SurfacePage, 100 + dx, 50 + dy) != plainAt('M', 1, 0);
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(screen.Pixel(SurfacePage, 100 + 111, 50 + 111), plainAt('M', 15, 15));
    EXPECT_EQ(changedOutside(screen, SurfacePage, 100, 50, 212, 162), 0);

    // 16 x 16 is the glyph itself; a plain glyph is opaque, index 0 included.
    fillSurface(screen, SurfacePage, kBackground);
    screen.DrawText(SurfacePage, "0 Z", 20, 30, 16, 16);
    EXPECT_EQ(cellMismatches(screen, SurfacePage, 20, 30, 16, 16, plain('0')), 0);
    EXPECT_EQ(cellMismatches(screen, SurfacePage, 36, 30, 16, 16, plain(' ')), 0);
    EXPECT_EQ(cellMismatches(screen, SurfacePage, 52, 30, 16, 16, plain('Z')), 0);
    EXPECT_EQ(screen.Pixel(SurfacePage, 36, 30), 0);
    EXPECT_EQ(changedOutside(screen, SurfacePage, 20, 30, 68, 46), 0);
}

TEST(Text, PutGlyphCopiesTheGlyphAtItsCornerEvenAtMinusOne) {
    TextScreen t;
    Screen& screen = *t.screen;
    screen.PutGlyph(SurfacePage, 'W', 200, 100);
    EXPECT_EQ(cellMismatches(screen, SurfacePage, 200, 100, 16, 16, plain('W')), 0);
    EXPECT_EQ(changedOutside(screen, SurfacePage, 200, 100, 216, 116), 0);

    // The same pixels as DrawChar at 16 x 16, which the game uses after an item effect.
    fillSurface(screen, SurfaceBack, kBackground);
    screen.DrawChar(SurfaceBack, 'W', 200, 100, 16, 16);
    int differ = 0;
    for (int i = 0; i < kSurfaceBytes; ++i) {
        differ += screen.Pixels(SurfacePage)[i] != screen.Pixels(SurfaceBack)[i];
    }
    EXPECT_EQ(differ, 0);

    fillSurface(screen, SurfacePage, kBackground);
    screen.PutGlyph(SurfacePage, 'K', -1, -1);
    EXPECT_EQ(screen.Pixel(SurfacePage, 0, 0), plainAt('K', 1, 1));
    EXPECT_EQ(screen.Pixel(SurfacePage, 14, 14), plainAt('K', 15, 15));
    EXPECT_EQ(changedOutside(screen, SurfacePage, 0, 0, 15, 15), 0);
    EXPECT_TRUE(t.charsUnchanged());
}

TEST(Text, CodesWithoutAGlyphLeaveTheirCellButStillCount) {
    TextScreen t;
    Screen& screen = *t.screen;
    screen.DrawText(SurfacePage, "\x80" "A\x1f" "\x7f", 0, 0, 16, 16);
    EXPECT_EQ(cellMismatches(screen, SurfacePage, 16, 0, 16, 16, plain('A')), 0);
    EXPECT_EQ(cellMismatches(screen, SurfacePage, 48, 0, 16, 16, plain(127)), 0);
    const Source untouched = [](int, int) { return kBackground; };
    EXPECT_EQ(cellMismatches(screen, SurfacePage, 0, 0, 16, 16, untouched), 0);
    EXPECT_EQ(cellMismatches(screen, SurfacePage, 32, 0, 16, 16, untouched), 0);
    EXPECT_EQ(changedOutside(screen, SurfacePage, 0, 0, 64, 16), 0);
    screen.PutGlyph(SurfacePage, '\xff', 100, 100);
    screen.PutGlyph(SurfacePage, '\x05', 100, 100);
    screen.DrawChar(SurfacePage, '\0', 100, 100, 16, 16);

    // Colour text has glyphs for 32..95 only: '`' (96) and '\x7f' draw no tile either.
    screen.DrawColourText(SurfacePage, "`\x7f\x90", 100, 100, 16, 16, 2);
    EXPECT_EQ(changedOutside(screen, SurfacePage, 0, 0, 64, 16), 0);
}

TEST(Text, ColourTextLaysTilesThenStencilsAndSpacesErase) {
    TextScreen t;
    Screen& screen = *t.screen;
    screen.DrawColourText(SurfacePage, "A B", 10, 20, 16, 16, 3);
    EXPECT_EQ(cellMismatches(screen, SurfacePage, 10, 20, 16, 16, colour('A', 3)), 0);
    EXPECT_EQ(cellMismatches(screen, SurfacePage, 26, 20, 16, 16, plain(' ')), 0);
    EXPECT_EQ(cellMismatches(screen, SurfacePage, 42, 20, 16, 16, colour('B', 3)), 0);
    EXPECT_EQ(screen.Pixel(SurfacePage, 10, 20), tileAt(3, 0, 0));
    EXPECT_EQ(screen.Pixel(SurfacePage, 11, 20), stencilAt('A', 1, 0));
    EXPECT_EQ(changedOutside(screen, SurfacePage, 10, 20, 58, 36), 0);

    // A string of spaces erases its cells to 0 and lays no tile.
    screen.DrawColourText(SurfacePage, "   ", 10, 20, 16, 16, 3);
    for (int x = 10; x < 58; ++x) {
        for (int y = 20; y < 36; ++y) {
            ASSERT_EQ(screen.Pixel(SurfacePage, x, y), 0) << x << "," << y;
        }
    }
    EXPECT_EQ(changedOutside(screen, SurfacePage, 10, 20, 58, 36), 0);

    // Scaled and centred: "HI" with 32 x 32 cells starts at (288, 224).
    fillSurface(screen, SurfacePage, kBackground);
    screen.DrawColourText(SurfacePage, "HI", -1, -1, 32, 32, 8);
    EXPECT_EQ(cellMismatches(screen, SurfacePage, 288, 224, 32, 32, colour('H', 8)), 0);
    EXPECT_EQ(cellMismatches(screen, SurfacePage, 320, 224, 32, 32, colour('I', 8)), 0);
    EXPECT_EQ(changedOutside(screen, SurfacePage, 288, 224, 352, 256), 0);

    // A tile that does not exist: only the stencil is laid, over what was there.
    fillSurface(screen, SurfacePage, kBackground);
    screen.DrawColourText(SurfacePage, "A", 0, 0, 16, 16, 16);
    screen.DrawColourText(SurfacePage, "A", 16, 0, 16, 16, -1);
    const Source overBackground = [](int px, int py) {
        const uint8_t stencil = stencilAt('A', px, py);
        return stencil != 0 ? stencil : kBackground;
    };
    EXPECT_EQ(cellMismatches(screen, SurfacePage, 0, 0, 16, 16, overBackground), 0);
    EXPECT_EQ(cellMismatches(screen, SurfacePage, 16, 0, 16, 16, overBackground), 0);
    EXPECT_TRUE(t.charsUnchanged());
}

TEST(Text, TextLeavingTheSurfaceIsClipped) {
    TextScreen t;
    Screen& screen = *t.screen;
    // Past the bottom-right corner: no wrap onto the next row, nothing on the next surface.
    screen.DrawText(SurfacePage, "AB", 630, 470, 16, 16);
    EXPECT_EQ(cellMismatches(screen, SurfacePage, 630, 470, 16, 16, plain('A')), 0);
    EXPECT_EQ(changedOutside(screen, SurfacePage, 630, 470, 640, 480), 0);
    screen.DrawColourText(SurfacePage, "AB", 630, 470, 32, 32, 1);
    EXPECT_EQ(cellMismatches(screen, SurfacePage, 630, 470, 32, 32, colour('A', 1)), 0);
    EXPECT_EQ(changedOutside(screen, SurfacePage, 630, 470, 640, 480), 0);
    EXPECT_EQ(display_test::countNot(screen, SurfaceOverlay, 0), 0);

    // Before the top-left corner: the surface before it in memory stays as it was.
    fillSurface(screen, SurfacePage, kBackground);
    screen.DrawText(SurfacePage, "XY", -20, -8, 16, 16);
    EXPECT_EQ(cellMismatches(screen, SurfacePage, -4, -8, 16, 16, plain('Y')), 0);
    screen.DrawColourText(SurfacePage, "XY", -20, -8, 16, 16, 4);
    EXPECT_EQ(cellMismatches(screen, SurfacePage, -4, -8, 16, 16, colour('Y', 4)), 0);
    screen.PutGlyph(SurfacePage, 'Z', -10, 470);
    EXPECT_EQ(changedOutside(screen, SurfacePage, 0, 0, 12, 8) -
                  (6 * 10),  // the visible corner of the Z
              0);
    EXPECT_TRUE(t.charsUnchanged());

    // Absurd places and sizes draw nothing and break nothing.
    fillSurface(screen, SurfacePage, kBackground);
    screen.DrawText(SurfacePage, "ABC", INT_MAX, INT_MAX, INT_MAX, INT_MAX);
    screen.DrawText(SurfacePage, "ABC", INT_MIN, INT_MIN, 16, 16);
    screen.DrawColourText(SurfacePage, "ABC", -1, -1, INT_MIN, INT_MIN, 1);
    screen.DrawText(SurfacePage, "ABC", 10, 10, 0, 16);
    screen.DrawText(SurfacePage, "ABC", 10, 10, -16, -16);
    screen.PutGlyph(SurfacePage, 'A', INT_MIN, INT_MAX);
    EXPECT_EQ(changedOutside(screen, SurfacePage, 0, 0, 0, 0), 0);
    // Centred cells of 2^31 - 1 pixels: the middle one covers the whole page, which shows
    // the middle four pixels of its glyph, the seam at (321, 241).
    screen.DrawText(SurfacePage, "ABC", -1, -1, INT_MAX, INT_MAX);
    EXPECT_EQ(screen.Pixel(SurfacePage, 0, 0), plainAt('B', 7, 7));
    EXPECT_EQ(screen.Pixel(SurfacePage, 320, 240), plainAt('B', 7, 7));
    EXPECT_EQ(screen.Pixel(SurfacePage, 321, 241), plainAt('B', 8, 8));
    EXPECT_EQ(screen.Pixel(SurfacePage, 639, 479), plainAt('B', 8, 8));
    EXPECT_TRUE(t.charsUnchanged());
}
