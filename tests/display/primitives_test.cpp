// Figures: exact pixels of lines, frames and boxes; circle outlines and discs that are
// symmetric, closed and clipped; colours written as the index of their palette colour.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <set>
#include <utility>

#include "display/screen.h"
#include "tests/display/display_test_helpers.h"

using display_test::countIndex;
using display_test::countNot;
using display_test::makeScreen;

namespace {

using Pixel = std::pair<int, int>;

std::set<Pixel> pixelsOf(const Screen& screen, SurfaceId id) {
    std::set<Pixel> found;
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < kScreenWidth; ++x) {
            if (screen.Pixel(id, x, y) != 0) {
                found.insert({x, y});
            }
        }
    }
    return found;
}

std::unique_ptr<Screen> paletteScreen() {
    auto screen = makeScreen();
    display_test::giveUniqueColours(*screen);
    return screen;
}

// The pixels relative to (cx, cy) are the same under all eight mirrorings of the octants.
bool symmetricAbout(const std::set<Pixel>& pixels, int cx, int cy) {
    for (const auto& [x, y] : pixels) {
        const int a = x - cx;
        const int b = y - cy;
        for (const Pixel& mirror : {Pixel{-a, b}, Pixel{a, -b}, Pixel{b, a}, Pixel{-b, -a}}) {
            if (!pixels.count({cx + mirror.first, cy + mirror.second})) {
                return false;
            }
        }
    }
    return true;
}

bool surfaceIsZero(const Screen& screen, SurfaceId id) { return countNot(screen, id, 0) == 0; }

}  // namespace

TEST(Primitives, LinesKeepTheEndPointRule) {
    auto screen = paletteScreen();
    const uint32_t frame = screen->PaletteRgb(255);
    screen->DrawLine(SurfacePage, 0, 32, 639, 32, frame);
    EXPECT_EQ(countIndex(*screen, SurfacePage, 255), 640);
    for (int x = 0; x < 640; ++x) {
        ASSERT_EQ(screen->Pixel(SurfacePage, x, 32), 255) << x;
    }

    screen->Clear(SurfacePage);
    screen->DrawLine(SurfacePage, 5, 5, 5, 5, frame);
    EXPECT_TRUE(surfaceIsZero(*screen, SurfacePage));

    // Towards smaller coordinates the line stops two short of the given end.
    screen->DrawLine(SurfacePage, 10, 0, 5, 0, frame);
    EXPECT_EQ(pixelsOf(*screen, SurfacePage), (std::set<Pixel>{{10, 0}, {9, 0}, {8, 0}, {7, 0}}));
    screen->Clear(SurfacePage);
    screen->DrawLine(SurfacePage, 3, 10, 3, 6, frame);
    EXPECT_EQ(pixelsOf(*screen, SurfacePage), (std::set<Pixel>{{3, 10}, {3, 9}, {3, 8}}));

    // Right and down at 45 degrees both ends are included.
    screen->Clear(SurfacePage);
    screen->DrawLine(SurfacePage, 0, 0, 10, 10, frame);
    std::set<Pixel> diagonal;
    for (int i = 0; i <= 10; ++i) {
        diagonal.insert({i, i});
    }
    EXPECT_EQ(pixelsOf(*screen, SurfacePage), diagonal);

    // A sloped line: one pixel per column from the start towards the adjusted end (21, 6),
    // each within half a pixel of the ideal line.
    screen->Clear(SurfacePage);
    screen->DrawLine(SurfacePage, 0, 0, 20, 5, screen->PaletteRgb(156));
    const std::set<Pixel> sloped = pixelsOf(*screen, SurfacePage);
    EXPECT_EQ(sloped.size(), 21u);
    EXPECT_TRUE(sloped.count({0, 0}));
    int lastY = 0;
    for (const auto& [x, y] : sloped) {
        EXPECT_LE(std::abs(y - x * 6.0 / 21.0), 0.5) << x;
        EXPECT_GE(y, lastY);
        lastY = y;
        EXPECT_EQ(screen->Pixel(SurfacePage, x, y), 156);
    }
}

TEST(Primitives, LinesAreClippedAtTheSurfaceEdges) {
    auto screen = paletteScreen();
    const uint32_t colour = screen->PaletteRgb(71);
    screen->DrawLine(SurfacePage, -100, -100, 700, 700, colour);
    std::set<Pixel> diagonal;
    for (int i = 0; i < 480; ++i) {
        diagonal.insert({i, i});
    }
    EXPECT_EQ(pixelsOf(*screen, SurfacePage), diagonal);
    screen->Clear(SurfacePage);
    screen->DrawLine(SurfacePage, INT_MIN, INT_MIN, INT_MAX, INT_MAX, colour);
    EXPECT_EQ(pixelsOf(*screen, SurfacePage), diagonal);

    screen->Clear(SurfacePage);
    screen->DrawLine(SurfacePage, INT_MAX, 479, INT_MIN, 479, colour);
    EXPECT_EQ(countIndex(*screen, SurfacePage, 71), 640);
    screen->DrawLine(SurfacePage, 700, 0, 700, 479, colour);  // wholly outside
    screen->DrawLine(SurfacePage, 639, -1, 0, -1, colour);
    EXPECT_EQ(countIndex(*screen, SurfacePage, 71), 640);
    EXPECT_TRUE(surfaceIsZero(*screen, SurfaceOverlay));
    EXPECT_TRUE(surfaceIsZero(*screen, SurfaceChars));
}

TEST(Primitives, FrameAndBoxCoverExactlyTheirPixels) {
    auto screen = paletteScreen();
    screen->DrawFrame(SurfacePage, 0, 32, 639, 415, screen->PaletteRgb(255));
    int wrong = 0;
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < kScreenWidth; ++x) {
            const bool side = (x == 0 || x == 639) && y >= 32 && y <= 415;
            const bool edge = y == 32 || y == 415;
            wrong += screen->Pixel(SurfacePage, x, y) != ((side || edge) ? 255 : 0);
        }
    }
    EXPECT_EQ(wrong, 0);

    screen->Clear(SurfacePage);
    screen->DrawFrame(SurfacePage, 10, 20, 13, 22, screen->PaletteRgb(27));
    EXPECT_EQ(pixelsOf(*screen, SurfacePage),
              (std::set<Pixel>{{10, 20}, {11, 20}, {12, 20}, {13, 20}, {10, 21}, {13, 21},
                               {10, 22}, {11, 22}, {12, 22}, {13, 22}}));

    screen->Clear(SurfaceBack);
    const uint32_t flash = screen->PaletteRgb(246);
    screen->FillBox(SurfaceBack, 10, 10, 0, 50, flash);
    screen->FillBox(SurfaceBack, 10, 10, 50, 0, flash);
    screen->FillBox(SurfaceBack, 10, 10, -5, 50, flash);
    EXPECT_TRUE(surfaceIsZero(*screen, SurfaceBack));
    screen->FillBox(SurfaceBack, 0, 0, 640, 480, flash);
    EXPECT_EQ(countIndex(*screen, SurfaceBack, 246), kSurfaceBytes);

    screen->Clear(SurfaceBack);
    screen->FillBox(SurfaceBack, 630, 470, 20, 20, flash);
    EXPECT_EQ(countIndex(*screen, SurfaceBack, 246), 100);
    EXPECT_EQ(screen->Pixel(SurfaceBack, 630, 470), 246);
    screen->FillBox(SurfaceBack, -5, -5, 7, 8, flash);
    EXPECT_EQ(countIndex(*screen, SurfaceBack, 246), 100 + 2 * 3);
    screen->FillBox(SurfaceBack, INT_MIN, INT_MIN, INT_MAX, INT_MAX, flash);
    screen->FillBox(SurfaceBack, INT_MAX, 0, INT_MAX, 10, flash);
    EXPECT_EQ(countIndex(*screen, SurfaceBack, 246), 106);

    // A colour held at two indices is written as the first of them.
    screen->BasePalette[200] = screen->BasePalette[100];
    screen->Clear(SurfaceBack);
    screen->FillBox(SurfaceBack, 0, 0, 3, 3, screen->PaletteRgb(200));
    EXPECT_EQ(countIndex(*screen, SurfaceBack, 100), 9);
}

TEST(Primitives, CircleOutlinesAreClosedSymmetricAndInscribedInTheirBox) {
    auto screen = paletteScreen();
    const uint32_t colour = screen->PaletteRgb(156);
    for (int radius = 1; radius <= 40; ++radius) {
        screen->Clear(SurfaceOverlay);
        screen->DrawCircle(SurfaceOverlay, 100, 200, radius, colour);
        const std::set<Pixel> ring = pixelsOf(*screen, SurfaceOverlay);
        EXPECT_TRUE(symmetricAbout(ring, 100, 200)) << radius;
        EXPECT_TRUE(ring.count({100 + radius, 200}) && ring.count({100, 200 - radius}));
        bool near = true;
        bool closed = true;
        for (const auto& [x, y] : ring) {
            const double distance = std::hypot(x - 100, y - 200);
            near = near && std::abs(distance - radius) < 0.75;
            int neighbours = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    neighbours += (dx || dy) && ring.count({x + dx, y + dy});
                }
            }
            closed = closed && neighbours >= 2;
        }
        EXPECT_TRUE(near) << radius;
        EXPECT_TRUE(closed) << radius;
        EXPECT_EQ(countIndex(*screen, SurfaceOverlay, 156), static_cast<int>(ring.size()));
    }

    screen->Clear(SurfaceOverlay);
    screen->DrawCircle(SurfaceOverlay, 50, 60, 0, colour);
    EXPECT_EQ(pixelsOf(*screen, SurfaceOverlay), (std::set<Pixel>{{50, 60}}));
    screen->DrawCircle(SurfaceOverlay, 50, 60, -3, colour);
    EXPECT_EQ(pixelsOf(*screen, SurfaceOverlay).size(), 1u);
}

TEST(Primitives, CirclesLeavingTheSurfaceDrawOnlyTheirInsidePart) {
    auto screen = paletteScreen();
    const uint32_t colour = screen->PaletteRgb(107);
    // The same figure drawn in the open, moved to a corner, keeps just what lies inside.
    const auto clippedMatches = [&](bool filled, int radius, int cx, int cy) {
        screen->Clear(SurfacePage);
        if (filled) {
            screen->FillCircle(SurfacePage, 320, 240, radius, 107);
        } else {
            screen->DrawCircle(SurfacePage, 320, 240, radius, colour);
        }
        std::set<Pixel> expected;
        for (const auto& [x, y] : pixelsOf(*screen, SurfacePage)) {
            const int movedX = x - 320 + cx;
            const int movedY = y - 240 + cy;
            if (movedX >= 0 && movedX < kScreenWidth && movedY >= 0 && movedY < kScreenHeight) {
                expected.insert({movedX, movedY});
            }
        }
        screen->Clear(SurfacePage);
        if (filled) {
            screen->FillCircle(SurfacePage, cx, cy, radius, 107);
        } else {
            screen->DrawCircle(SurfacePage, cx, cy, radius, colour);
        }
        return pixelsOf(*screen, SurfacePage) == expected && !expected.empty();
    };
    for (const bool filled : {false, true}) {
        EXPECT_TRUE(clippedMatches(filled, 20, 0, 0)) << filled;
        EXPECT_TRUE(clippedMatches(filled, 20, 639, 479)) << filled;
        EXPECT_TRUE(clippedMatches(filled, 200, 630, 5)) << filled;
        EXPECT_TRUE(clippedMatches(filled, 230, 100, 400)) << filled;
    }
    EXPECT_TRUE(surfaceIsZero(*screen, SurfaceChars));
    EXPECT_TRUE(surfaceIsZero(*screen, SurfaceOverlay));

    // Wholly outside, or round the whole surface: the outline misses it.
    screen->Clear(SurfacePage);
    screen->DrawCircle(SurfacePage, -50, -50, 20, colour);
    screen->DrawCircle(SurfacePage, 320, 240, 2000, colour);
    screen->DrawCircle(SurfacePage, 320, 240, INT_MAX, colour);
    screen->FillCircle(SurfacePage, INT_MAX, INT_MAX, INT_MAX, 107);
    screen->FillCircle(SurfacePage, 1000, 240, 300, 107);
    EXPECT_TRUE(surfaceIsZero(*screen, SurfacePage));
    screen->FillCircle(SurfacePage, 320, 240, 2000, 107);
    EXPECT_EQ(countIndex(*screen, SurfacePage, 107), kSurfaceBytes);
}

TEST(Primitives, DiscsAreOneIndexBoundedByTheirOutline) {
    auto screen = paletteScreen();
    for (int radius = 0; radius <= 30; ++radius) {
        screen->Clear(SurfaceOverlay);
        screen->Clear(SurfaceSaved);
        screen->FillCircle(SurfaceOverlay, 200, 150, radius, 156);
        screen->DrawCircle(SurfaceSaved, 200, 150, radius, screen->PaletteRgb(156));
        const std::set<Pixel> disc = pixelsOf(*screen, SurfaceOverlay);
        const std::set<Pixel> ring = pixelsOf(*screen, SurfaceSaved);
        EXPECT_EQ(countIndex(*screen, SurfaceOverlay, 156), static_cast<int>(disc.size()));
        EXPECT_TRUE(symmetricAbout(disc, 200, 150)) << radius;
        // The outline lies in the disc, and every pixel on the disc's border is outline.
        bool ringInside = true;
        for (const Pixel& p : ring) {
            ringInside = ringInside && disc.count(p);
        }
        bool borderIsRing = true;
        for (const auto& [x, y] : disc) {
            const bool border = !disc.count({x + 1, y}) || !disc.count({x - 1, y}) ||
                                !disc.count({x, y + 1}) || !disc.count({x, y - 1});
            borderIsRing = borderIsRing && (!border || ring.count({x, y}));
        }
        EXPECT_TRUE(ringInside) << radius;
        EXPECT_TRUE(borderIsRing) << radius;
        EXPECT_TRUE(disc.count({200, 150}));
    }
    screen->Clear(SurfaceOverlay);
    screen->FillCircle(SurfaceOverlay, 10, 10, 5, 256);
    screen->FillCircle(SurfaceOverlay, 10, 10, 5, -1);
    screen->FillCircle(SurfaceOverlay, 10, 10, -1, 156);
    EXPECT_TRUE(surfaceIsZero(*screen, SurfaceOverlay));
}
