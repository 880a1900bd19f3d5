// 1:1 copies: opaque ones carry index 0 along, keyed ones skip it; all are clipped.

#include <gtest/gtest.h>

#include <climits>

#include "tests/display/display_test_helpers.h"

namespace display_test {

// A keyed copy changes exactly the non-zero pixels, the 448 x 16 message copy writes 0s too;
// parts outside either surface are dropped, the rest keeps its place, nothing lands beside.
TEST(Copies, CopiesWriteExactlyTheirArea) {
    auto screen = makeScreen();
    paint(*screen, SurfacePrimary, patternAt);
    screen->Pixels(SurfaceOverlay)[200 * kSurfacePitch + 300] = 156;  // 0 elsewhere
    screen->CopyKeyed(kFieldLeft, kFieldTop, kFieldLeft, kFieldTop, kFieldWidth, kFieldHeight,
                      SurfacePrimary, SurfaceOverlay);
    EXPECT_EQ(mismatches(*screen, SurfacePrimary, [](int x, int y) {
                  return x == 300 && y == 200 ? 156 : patternAt(x, y);
              }), 0);
    screen->Pixels(SurfaceBack)[5 * kSurfacePitch + 447] = 27;  // the message, 0 elsewhere
    screen->Copy(96, 232, 0, 0, 448, 16, SurfacePrimary, SurfaceBack);
    EXPECT_EQ(mismatches(*screen, SurfacePrimary, [](int x, int y) {
                  const int under = x == 300 && y == 200 ? 156 : patternAt(x, y);
                  return x == 543 && y == 237 ? 27 : inBox(x, y, 96, 232, 544, 248) ? 0 : under;
              }), 0);

    const struct { int x, y, srcX, srcY, width, height, left, top, right, bottom; } cases[] = {
        {600, 470, 0, 0, 100, 30, 600, 470, 640, 480}, {-10, -5, 0, 0, 20, 20, 0, 0, 10, 15},
        {0, 0, 630, 470, 20, 20, 0, 0, 10, 10},        {50, 50, -3, -4, 8, 10, 53, 54, 58, 60},
        {-100, -100, -100, -100, INT_MAX, INT_MAX, 0, 0, 640, 480},
        {640, 0, 0, 0, 10, 10, 0, 0, 0, 0},            {0, 0, 640, 0, 10, 10, 0, 0, 0, 0},
        {100, 100, 0, 0, -5, 10, 0, 0, 0, 0},          {INT_MAX, 0, 0, 0, INT_MAX, 9, 0, 0, 0, 0},
        {INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX, INT_MAX, 0, 0, 0, 0},
    };  // a copy, and where it lands (right and bottom exclusive)
    paint(*screen, SurfacePage, patternAt);
    for (const auto& c : cases) {
        for (const bool keyed : {false, true}) {  // the source holds no 0: both agree
            screen->Clear(SurfaceOverlay);
            const auto copy = keyed ? &Screen::CopyKeyed : &Screen::Copy;
            ((*screen).*copy)(c.x, c.y, c.srcX, c.srcY, c.width, c.height, SurfaceOverlay,
                              SurfacePage);
            EXPECT_EQ(mismatches(*screen, SurfaceOverlay, [&](int x, int y) {
                          return inBox(x, y, c.left, c.top, c.right, c.bottom)
                                     ? patternAt(x - c.x + c.srcX, y - c.y + c.srcY) : 0;
                      }), 0) << c.x << "," << c.y << "," << keyed;
        }
        EXPECT_EQ(mismatches(*screen, SurfacePage, patternAt), 0);
        EXPECT_EQ(countIndex(*screen, SurfaceSpare5, 0), kSurfaceBytes);
    }
}

}  // namespace display_test
