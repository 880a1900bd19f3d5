// 1:1 copies: opaque copies carry index 0 along, keyed copies skip it, and copies that leave
// a surface are clipped on both sides without touching anything else.

#include <gtest/gtest.h>

#include <climits>

#include "display/screen.h"
#include "tests/display/display_test_helpers.h"

using display_test::countIndex;
using display_test::countNot;
using display_test::fillSurface;
using display_test::makeScreen;

namespace {

// Source pixel (x, y) of the test pictures; never 0.
uint8_t sourceAt(int x, int y) { return static_cast<uint8_t>(1 + (x * 7 + y * 13) % 250); }

void paintSource(Screen& screen, SurfaceId id) {
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < kScreenWidth; ++x) {
            screen.Pixels(id)[y * kSurfacePitch + x] = sourceAt(x, y);
        }
    }
}

int differencesFromSource(const Screen& screen, SurfaceId id) {
    int differences = 0;
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < kScreenWidth; ++x) {
            differences += screen.Pixel(id, x, y) != sourceAt(x, y);
        }
    }
    return differences;
}

}  // namespace

TEST(Copies, KeyedCopiesSkipIndexZeroOnly) {
    auto screen = makeScreen();
    paintSource(*screen, SurfacePrimary);
    screen->Clear(SurfaceOverlay);
    screen->CopyKeyed(kFieldLeft, kFieldTop, kFieldLeft, kFieldTop, kFieldWidth, kFieldHeight,
                      SurfacePrimary, SurfaceOverlay);
    EXPECT_EQ(differencesFromSource(*screen, SurfacePrimary), 0);

    // One pixel of 156 in an overlay of 0: exactly that pixel of the field changes.
    ASSERT_NE(sourceAt(300, 200), 156);
    screen->Pixels(SurfaceOverlay)[200 * kSurfacePitch + 300] = 156;
    screen->CopyKeyed(kFieldLeft, kFieldTop, kFieldLeft, kFieldTop, kFieldWidth, kFieldHeight,
                      SurfacePrimary, SurfaceOverlay);
    EXPECT_EQ(screen->Pixel(SurfacePrimary, 300, 200), 156);
    EXPECT_EQ(differencesFromSource(*screen, SurfacePrimary), 1);

    // Every surface from 1 to 7 is keyed on index 0, through the Rect form as well.
    for (int from = 1; from < kSurfaceCount; ++from) {
        if (from == SurfacePage) {
            continue;
        }
        fillSurface(*screen, SurfacePage, 9);
        screen->Clear(SurfaceId(from));
        screen->Pixels(SurfaceId(from))[3 * kSurfacePitch + 4] = 71;
        screen->CopyRectKeyed(10, 20, Rect{0, 0, 640, 460}, SurfacePage, SurfaceId(from));
        EXPECT_EQ(screen->Pixel(SurfacePage, 14, 23), 71) << from;
        EXPECT_EQ(countIndex(*screen, SurfacePage, 9), kSurfaceBytes - 1) << from;
    }
}

TEST(Copies, OpaqueCopiesWriteIndexZeroTooAndStayInTheirRectangle) {
    auto screen = makeScreen();
    // A one-line message at the top-left of the back page, put onto the middle of the field.
    screen->Pixels(SurfaceBack)[0] = 27;
    screen->Pixels(SurfaceBack)[15 * kSurfacePitch + 447] = 107;
    screen->Pixels(SurfaceBack)[16 * kSurfacePitch + 0] = 99;  // below the message
    screen->Pixels(SurfaceBack)[448] = 99;                      // beside it
    fillSurface(*screen, SurfacePrimary, 5);
    screen->Copy(96, 232, 0, 0, 448, 16, SurfacePrimary, SurfaceBack);
    EXPECT_EQ(screen->Pixel(SurfacePrimary, 96, 232), 27);
    EXPECT_EQ(screen->Pixel(SurfacePrimary, 96 + 447, 232 + 15), 107);
    EXPECT_EQ(countIndex(*screen, SurfacePrimary, 0), 448 * 16 - 2);
    EXPECT_EQ(countIndex(*screen, SurfacePrimary, 5), kSurfaceBytes - 448 * 16);
    EXPECT_EQ(screen->Pixel(SurfacePrimary, 95, 232), 5);
    EXPECT_EQ(screen->Pixel(SurfacePrimary, 96 + 448, 232), 5);
    EXPECT_EQ(screen->Pixel(SurfacePrimary, 96, 232 + 16), 5);

    // The whole-field copy never touches the frame, the header or the panels.
    fillSurface(*screen, SurfaceBack, 255);
    paintSource(*screen, SurfaceOverlay);
    screen->Copy(kFieldLeft, kFieldTop, kFieldLeft, kFieldTop, kFieldWidth, kFieldHeight,
                 SurfaceBack, SurfaceOverlay);
    int wrong = 0;
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < kScreenWidth; ++x) {
            const bool inField = x >= 1 && x <= 638 && y >= 33 && y <= 414;
            const uint8_t expected = inField ? sourceAt(x, y) : 255;
            wrong += screen->Pixel(SurfaceBack, x, y) != expected;
        }
    }
    EXPECT_EQ(wrong, 0);

    // CopyRect's rectangle excludes its right and bottom edges; empty ones copy nothing.
    screen->Clear(SurfacePage);
    screen->CopyRect(0, 0, Rect{10, 10, 13, 12}, SurfacePage, SurfaceOverlay);
    EXPECT_EQ(countNot(*screen, SurfacePage, 0), 6);
    EXPECT_EQ(screen->Pixel(SurfacePage, 2, 1), sourceAt(12, 11));
    screen->CopyRect(0, 0, Rect{10, 10, 10, 20}, SurfacePage, SurfaceOverlay);
    screen->CopyRect(0, 0, Rect{10, 10, 5, 5}, SurfacePage, SurfaceOverlay);
    screen->Copy(100, 100, 0, 0, -5, 10, SurfacePage, SurfaceOverlay);
    EXPECT_EQ(countNot(*screen, SurfacePage, 0), 6);
}

TEST(Copies, RectanglesLeavingASurfaceAreClippedOnBothSides) {
    auto screen = makeScreen();
    paintSource(*screen, SurfacePage);
    const auto onlyBox = [&](int left, int top, int width, int height,
                             int shiftX, int shiftY) {
        // The overlay holds the copied box, source pixel (x + shiftX, y + shiftY), else 0.
        int wrong = 0;
        for (int y = 0; y < kScreenHeight; ++y) {
            for (int x = 0; x < kScreenWidth; ++x) {
                const bool inBox = x >= left && x < left + width && y >= top && y < top + height;
                const uint8_t expected = inBox ? sourceAt(x + shiftX, y + shiftY) : 0;
                wrong += screen->Pixel(SurfaceOverlay, x, y) != expected;
            }
        }
        return wrong;
    };

    // Past the right and bottom edges of the destination: no wrap onto the next row or page.
    screen->Copy(600, 470, 0, 0, 100, 30, SurfaceOverlay, SurfacePage);
    EXPECT_EQ(onlyBox(600, 470, 40, 10, -600, -470), 0);
    EXPECT_EQ(countNot(*screen, SurfaceSpare5, 0), 0);

    // Before the left and top edges: the visible part keeps its place.
    screen->Clear(SurfaceOverlay);
    screen->Copy(-10, -5, 0, 0, 20, 20, SurfaceOverlay, SurfacePage);
    EXPECT_EQ(onlyBox(0, 0, 10, 15, 10, 5), 0);

    // A source rectangle that leaves the source surface.
    screen->Clear(SurfaceOverlay);
    screen->Copy(0, 0, 630, 470, 20, 20, SurfaceOverlay, SurfacePage);
    EXPECT_EQ(onlyBox(0, 0, 10, 10, 630, 470), 0);
    screen->Clear(SurfaceOverlay);
    screen->CopyRectKeyed(50, 50, Rect{-3, -4, 5, 6}, SurfaceOverlay, SurfacePage);
    EXPECT_EQ(onlyBox(53, 54, 5, 6, -53, -54), 0);

    // Wholly outside, or absurdly large: nothing is written, nothing breaks.
    screen->Clear(SurfaceOverlay);
    screen->Copy(640, 0, 0, 0, 10, 10, SurfaceOverlay, SurfacePage);
    screen->Copy(0, 480, 0, 0, 10, 10, SurfaceOverlay, SurfacePage);
    screen->Copy(0, 0, 640, 0, 10, 10, SurfaceOverlay, SurfacePage);
    screen->Copy(INT_MAX, INT_MAX, 0, 0, INT_MAX, INT_MAX, SurfaceOverlay, SurfacePage);
    screen->CopyKeyed(INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX, INT_MAX, SurfaceOverlay,
                      SurfacePage);
    screen->CopyRect(INT_MAX, 0, Rect{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, SurfaceOverlay,
                     SurfacePage);
    EXPECT_EQ(countNot(*screen, SurfaceOverlay, 0), 0);
    screen->Copy(-100, -100, -100, -100, INT_MAX, INT_MAX, SurfaceOverlay,
                 SurfacePage);
    EXPECT_EQ(onlyBox(0, 0, 640, 480, 0, 0), 0);
}

TEST(Copies, AnOverlappingCopyWithinOneSurfaceMovesThePictureWhole) {
    auto screen = makeScreen();
    paintSource(*screen, SurfaceSaved);
    screen->Copy(5, 3, 0, 0, 100, 50, SurfaceSaved, SurfaceSaved);
    EXPECT_EQ(screen->Pixel(SurfaceSaved, 5, 3), sourceAt(0, 0));
    EXPECT_EQ(screen->Pixel(SurfaceSaved, 104, 52), sourceAt(99, 49));
    paintSource(*screen, SurfaceSaved);
    screen->CopyKeyed(0, 0, 5, 3, 100, 50, SurfaceSaved, SurfaceSaved);
    EXPECT_EQ(screen->Pixel(SurfaceSaved, 0, 0), sourceAt(5, 3));
    EXPECT_EQ(screen->Pixel(SurfaceSaved, 99, 49), sourceAt(104, 52));
    paintSource(*screen, SurfaceSaved);
    screen->CopyKeyed(7, 2, 0, 0, 100, 50, SurfaceSaved, SurfaceSaved);
    EXPECT_EQ(screen->Pixel(SurfaceSaved, 106, 51), sourceAt(99, 49));
    EXPECT_EQ(screen->Pixel(SurfaceSaved, 7, 2), sourceAt(0, 0));
}
