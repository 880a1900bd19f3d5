// Figures: exact pixels of lines, frames and boxes; circles and discs; all clipped.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <set>

#include "tests/display/display_test_helpers.h"

namespace display_test {

using PixelSet = std::set<std::pair<int, int>>;

// One circle on a cleared page: its pixels (all 107); nothing may land beside the page.
PixelSet figure(Screen& screen, bool disc, int x, int y, int radius) {
    screen.Clear(SurfacePage);
    disc ? screen.FillCircle(SurfacePage, x, y, radius, 107)
         : screen.DrawCircle(SurfacePage, x, y, radius, screen.PaletteRgb(107));
    EXPECT_EQ(countIndex(screen, SurfaceOverlay, 0) + countIndex(screen, SurfaceChars, 0),
              2 * kSurfaceBytes);
    PixelSet found;
    for (int i = 0; i < kSurfaceBytes; ++i) {
        if (screen.Pixels(SurfacePage)[i] != 0) {
            EXPECT_EQ(screen.Pixels(SurfacePage)[i], 107);
            found.insert({i % kSurfacePitch, i / kSurfacePitch});
        }
    }
    return found;
}

// Lines keep the end-point rule (+1 where the end differs, end excluded); boxes fill exactly
// their clipped box; the field frame is exactly its four edges.
TEST(Primitives, LinesBoxesAndFramesSetExactlyTheirPixels) {
    enum Kind { Line, Diagonal, Box };  // a Diagonal line sets the pixels x == y of its box
    const struct { Kind kind; int a, b, c, d, left, top, right, bottom; } figures[] = {
        {Line, 0, 32, 639, 32, 0, 32, 640, 33},  {Line, 5, 5, 5, 5, 0, 0, 0, 0},
        {Line, 10, 0, 5, 0, 7, 0, 11, 1},        {Line, 3, 10, 3, 6, 3, 8, 4, 11},
        {Line, INT_MAX, 479, INT_MIN, 479, 0, 479, 640, 480}, {Line, 639, -1, 0, -1, 0, 0, 0, 0},
        {Diagonal, 0, 0, 10, 10, 0, 0, 11, 11},  {Diagonal, -100, -100, 700, 700, 0, 0, 480, 480},
        {Diagonal, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0, 0, 480, 480},
        {Box, 10, 10, 0, 50, 0, 0, 0, 0},        {Box, 10, 10, 50, 0, 0, 0, 0, 0},
        {Box, 0, 0, 640, 480, 0, 0, 640, 480},   {Box, 630, 470, 20, 20, 630, 470, 640, 480},
        {Box, -5, -5, 7, 8, 0, 0, 2, 3},         {Box, INT_MAX, 0, INT_MAX, 10, 0, 0, 0, 0},
        {Box, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0, 0, 0, 0},
    };
    auto screen = makeScreen();
    for (const auto& f : figures) {
        screen->Clear(SurfacePage);
        if (f.kind == Box) {
            screen->FillBox(SurfacePage, f.a, f.b, f.c, f.d, screen->PaletteRgb(246));
        } else {
            screen->DrawLine(SurfacePage, f.a, f.b, f.c, f.d, screen->PaletteRgb(246));
        }
        EXPECT_EQ(mismatches(*screen, SurfacePage, [&](int x, int y) {
                      const bool on = inBox(x, y, f.left, f.top, f.right, f.bottom);
                      return on && (f.kind != Diagonal || x == y) ? 246 : 0;
                  }), 0) << f.a << "," << f.b << "," << f.c << "," << f.d;
    }
    screen->Clear(SurfacePage);
    screen->DrawFrame(SurfacePage, 0, 32, 639, 415, screen->PaletteRgb(255));
    EXPECT_EQ(mismatches(*screen, SurfacePage, [](int x, int y) {
                  return inBox(x, y, 0, 32, 640, 416) && !inBox(x, y, 1, 33, 639, 415) ? 255 : 0;
              }), 0);
    EXPECT_EQ(countIndex(*screen, SurfaceOverlay, 0) + countIndex(*screen, SurfaceChars, 0),
              2 * kSurfaceBytes);
}

// Outlines are symmetric and inscribed, discs one index bounded by them; both are clipped.
TEST(Primitives, CirclesAreSymmetricBoundedAndClipped) {
    auto screen = makeScreen();
    for (int r = 0; r <= 30; ++r) {
        const PixelSet disc = figure(*screen, true, 100, 200, r);
        const PixelSet ring = figure(*screen, false, 100, 200, r);
        for (const auto& [x, y] : ring) {
            const int a = x - 100, b = y - 200;
            EXPECT_TRUE(ring.count({100 - a, y}) && ring.count({x, 200 - b}) &&
                        ring.count({100 + b, 200 + a}) && disc.count({x, y})) << r;
            EXPECT_LT(std::abs(std::hypot(a, b) - r), 0.75) << r;
        }
        for (const auto& [x, y] : disc) {  // and the disc lies within its outline
            EXPECT_LT(std::hypot(x - 100, y - 200), r + 0.75) << r;
        }
    }
    const int places[][3] = {{0, 0, 20}, {639, 479, 20}, {630, 5, 200}};  // x, y, radius
    for (const bool disc : {false, true}) {
        for (const auto& [x, y, r] : places) {
            PixelSet expected;
            for (const auto& [px, py] : figure(*screen, disc, 320, 240, r)) {
                if (inBox(px - 320 + x, py - 240 + y, 0, 0, kScreenWidth, kScreenHeight)) {
                    expected.insert({px - 320 + x, py - 240 + y});
                }
            }
            EXPECT_EQ(figure(*screen, disc, x, y, r), expected) << disc << "," << x;
        }
        EXPECT_TRUE(figure(*screen, disc, INT_MAX, INT_MAX, INT_MAX).empty());
        EXPECT_EQ(figure(*screen, disc, 320, 240, disc ? 2000 : INT_MAX).size(),
                  disc ? size_t{kSurfaceBytes} : 0u);
    }
}

}  // namespace display_test
