// Lines, frames and boxes (circles are in circles.cpp).
// Colours arrive as PaletteRgb values and are written as the palette index of that colour.
// Every figure is clipped to the surface; coordinates are widened to 64 bits so that no
// argument can overflow the arithmetic.

#include <algorithm>
#include <cstring>

#include "display/canvas.h"
#include "display/clip.h"
#include "display/screen.h"

namespace {

// The line from (x1, y1) to (x2, y2) with its start pixel and without its end pixel. Pixel i
// lies i steps along the longer axis and i * shorter / longer along the other, rounded to
// nearest (halves away from the start). Only steps whose longer coordinate lies on the
// surface are visited.
void drawSegment(const Canvas& canvas, int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
    const int64_t runX = std::llabs(x2 - x1);
    const int64_t runY = std::llabs(y2 - y1);
    const int64_t steps = std::max(runX, runY);
    if (steps == 0) {
        return;
    }
    const bool alongX = runX >= runY;
    const int64_t major = alongX ? x1 : y1;
    const int64_t minor = alongX ? y1 : x1;
    const int64_t majorStep = (alongX ? x2 > x1 : y2 > y1) ? 1 : -1;
    const int64_t minorStep = (alongX ? y2 > y1 : x2 > x1) ? 1 : -1;
    const int64_t minorRun = alongX ? runY : runX;
    const int64_t limit = alongX ? kScreenWidth : kScreenHeight;
    int64_t first = 0;
    int64_t end = steps;
    if (majorStep > 0) {
        first = std::max(first, -major);
        end = std::min(end, limit - major);
    } else {
        first = std::max(first, major - limit + 1);
        end = std::min(end, major + 1);
    }
    for (int64_t i = first; i < end; ++i) {
        const __int128 scaled = static_cast<__int128>(2 * i) * minorRun + steps;
        const int64_t offset = static_cast<int64_t>(scaled / (2 * static_cast<__int128>(steps)));
        const int64_t a = major + majorStep * i;
        const int64_t b = minor + minorStep * offset;
        if (alongX) {
            canvas.plot(a, b);
        } else {
            canvas.plot(b, a);
        }
    }
}

}  // namespace

// The end point moves one pixel further on each axis where it differs from the start (+1
// whichever way the line runs), then the line runs from the start up to, not including, that
// point: lines right and down include both given ends, lines towards smaller coordinates
// stop short, and a line whose ends coincide draws nothing.
void Screen::DrawLine(SurfaceId destination, int x1, int y1, int x2, int y2, uint32_t colour) {
    const int64_t endX = x2 != x1 ? int64_t{x2} + 1 : x2;
    const int64_t endY = y2 != y1 ? int64_t{y2} + 1 : y2;
    drawSegment(Canvas{Pixels(destination), IndexOfColour(colour)}, x1, y1, endX, endY);
}

void Screen::DrawFrame(SurfaceId destination, int left, int top, int right, int bottom,
                       uint32_t colour) {
    DrawLine(destination, left, top, left, bottom, colour);
    DrawLine(destination, right, top, right, bottom, colour);
    DrawLine(destination, left, top, right, top, colour);
    DrawLine(destination, left, bottom, right, bottom, colour);
}

void drawFieldFrame(Screen& screen, SurfaceId destination) {
    screen.DrawFrame(destination, kFieldFrame.left, kFieldFrame.top, kFieldFrame.right - 1,
                     kFieldFrame.bottom - 1, screen.PaletteRgb(ColourFrame));
}

void Screen::FillBox(SurfaceId destination, int x, int y, int width, int height, uint32_t colour) {
    CopyArea area;
    if (width <= 0 || height <= 0 || !clipBox(x, y, width, height, area)) {
        return;
    }
    uint8_t* pixels = Pixels(destination);
    const uint8_t index = IndexOfColour(colour);
    for (int row = 0; row < area.height; ++row) {
        std::memset(pixels + (area.dstY + row) * kSurfacePitch + area.dstX, index, area.width);
    }
}
