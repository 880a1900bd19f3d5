// Text from a synthetic character bitmap, checked pixel for pixel against its cells.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "tests/display/display_test_helpers.h"

namespace display_test {

constexpr int kBackground = 77;
constexpr int kPlain = -1;  // the tile of a case drawn with DrawText
constexpr int kGlyph = -2;  // the tile of a case drawn with PutGlyph

// The test "char.bmp": space glyphs all 0, stencils 0 (see-through) where x + y divides by 3.
int charsAt(int x, int y) {
    const bool space = y < 16 && (x < 16 || (x >= 256 && x < 272));
    const bool seeThrough = x >= 256 && y < 64 && (x + y) % 3 == 0;
    return x >= 512 || y >= 96 || space || seeThrough ? 0 : patternAt(x, y);
}

// Code c at source pixel (px, py): plain glyph, or stencil over tile; -1 leaves the page.
int shows(int tile, int c, int px, int py) {
    const int x = 16 * ((c - 32) % 16) + px, y = 16 * ((c - 32) / 16) + py;
    if (tile < 0) {
        return c >= 32 && c <= 127 ? charsAt(x, y) : -1;
    }
    const int stencil = c >= 32 && c <= 95 ? charsAt(256 + x, y) : -1;
    const int tileAt = tile < 16 ? charsAt(256 + 16 * tile + px, 64 + py) : -1;
    return stencil != 0 ? stencil : c == ' ' ? 0 : tileAt;
}

// Page pixels unlike `text` in w x h cells at (left, top), pixel (dx, dy) of a cell showing
// source pixel (16 * dx / w, 16 * dy / h); the background elsewhere.
int textMismatches(const Screen& screen, const char* text, int left, int top, int w, int h,
                   int tile) {
    const int64_t length = static_cast<int64_t>(std::strlen(text));
    return mismatches(screen, SurfacePage, [&](int x, int y) {
        const int64_t dx = int64_t{x} - left, dy = int64_t{y} - top;
        const bool inText = dx >= 0 && dy >= 0 && dy < h && dx < length * w;
        const int shown = inText ? shows(tile, static_cast<signed char>(text[dx / w]),
                                         int(16 * (dx % w) / w), int(16 * dy / h)) : -1;
        return shown < 0 ? kBackground : shown;
    });
}

// Centring (-1) truncates; unknown codes keep their cell; colour text: tiles, then stencils.
TEST(Text, CellsShowTheirGlyphsPixelForPixel) {
    const struct { const char* text; int x, y, w, h, tile, left, top; } cases[] = {
        {"START", -1, -1, 64, 64, kPlain, 160, 208}, {"ABC", -1, 0, 7, 16, kPlain, 310, 0},
        {"M", 100, 50, 112, 112, kPlain, 100, 50},   {"Q", -1, -1, 32, 33, kPlain, 304, 224},
        {"", -1, -1, 64, 64, kPlain, 0, 0},          {"\x80" "A\x1f\x7f", 0, 0, 16, 16, -1, 0, 0},
        {"A B", 10, 20, 16, 16, 3, 10, 20},          {"   ", 10, 20, 16, 16, 3, 10, 20},
        {"HI", -1, -1, 32, 32, 8, 288, 224},         {"AZ", 0, 0, 16, 16, 16, 0, 0},
        {"`\x7f\x90" "5", 0, 0, 16, 16, 2, 0, 0},    {"AB", 630, 470, 16, 16, kPlain, 630, 470},
        {"XY", -20, -8, 32, 32, 4, -20, -8},         {"K", -1, -1, 16, 16, kGlyph, -1, -1},
        {"Z", 630, 470, 16, 16, kGlyph, 630, 470},   {"\xff", 9, 9, 16, 16, kGlyph, 9, 9},
        {"ABC", INT_MAX, INT_MAX, INT_MAX, INT_MAX, kPlain, INT_MAX, INT_MAX},
        {"ABC", INT_MIN, INT_MIN, 16, 16, kPlain, INT_MIN, INT_MIN},
        {"ABC", -1, -1, INT_MIN, INT_MIN, 1, 0, 0},
    };
    for (const auto& c : cases) {
        auto screen = makeScreen();
        paint(*screen, SurfaceChars, charsAt);
        paint(*screen, SurfacePage, [](int, int) { return kBackground; });
        if (c.tile == kGlyph) {
            screen->PutGlyph(SurfacePage, c.text[0], c.x, c.y);
        } else if (c.tile != kPlain) {
            screen->DrawColourText(SurfacePage, c.text, c.x, c.y, c.w, c.h, c.tile);
        } else {
            screen->DrawText(SurfacePage, c.text, c.x, c.y, c.w, c.h);
        }
        EXPECT_EQ(textMismatches(*screen, c.text, c.left, c.top, c.w, c.h, c.tile), 0) << c.text;
        EXPECT_EQ(mismatches(*screen, SurfaceChars, charsAt), 0);
        EXPECT_EQ(countIndex(*screen, SurfaceOverlay, 0), kSurfaceBytes);
    }
}

}  // namespace display_test
