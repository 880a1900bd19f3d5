// Figures drawn with a one-pixel pen: circle outlines, discs, lines, frames and boxes.
// Colours arrive as PaletteRgb values and are written as the palette index of that colour.
// Every figure is clipped to the surface; coordinates are widened to 64 bits so that no
// argument can overflow the arithmetic.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "display/clip.h"
#include "display/screen.h"

namespace {

// One surface and the index a figure writes on it.
struct Canvas {
    uint8_t* pixels;
    uint8_t index;

    void plot(int64_t x, int64_t y) const {
        if (x >= 0 && x < kScreenWidth && y >= 0 && y < kScreenHeight) {
            pixels[y * kSurfacePitch + x] = index;
        }
    }

    // Pixels left..right of row y, both included.
    void span(int64_t left, int64_t right, int64_t y) const {
        CopyArea area;
        if (clipBox(left, y, right - left + 1, 1, area)) {
            std::memset(pixels + area.dstY * kSurfacePitch + area.dstX, index, area.width);
        }
    }
};

// The midpoint circle of the given radius about the origin: calls visit(a, b) for the points
// of one octant (0 <= a <= b); the other seven are their mirror images.
template <typename Visit>
void walkOctant(int64_t radius, Visit visit) {
    int64_t a = 0;
    int64_t b = radius;
    int64_t decision = 1 - radius;
    while (a <= b) {
        visit(a, b);
        if (decision < 0) {
            decision += 2 * a + 3;
        } else {
            decision += 2 * (a - b) + 5;
            --b;
        }
        ++a;
    }
}

// The circle's box (x - r, y - r) to (x + r, y + r) misses the surface.
bool missesSurface(int64_t x, int64_t y, int64_t radius) {
    return x + radius < 0 || x - radius >= kScreenWidth || y + radius < 0 ||
           y - radius >= kScreenHeight;
}

// The whole surface lies well inside the circle (a margin keeps the rasterised ring clear).
bool surroundsSurface(int64_t x, int64_t y, int64_t radius) {
    const double dx = static_cast<double>(std::max(std::llabs(x), std::llabs(x - (kScreenWidth - 1))));
    const double dy = static_cast<double>(std::max(std::llabs(y), std::llabs(y - (kScreenHeight - 1))));
    return std::hypot(dx, dy) < static_cast<double>(radius) - 2.0;
}

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

// Radius 0 draws the centre pixel alone; a negative radius draws nothing.
void Screen::DrawCircle(SurfaceId destination, int x, int y, int radius, uint32_t colour) {
    if (radius < 0 || missesSurface(x, y, radius) || surroundsSurface(x, y, radius)) {
        return;
    }
    const Canvas canvas{Pixels(destination), IndexOfColour(colour)};
    walkOctant(radius, [&](int64_t a, int64_t b) {
        canvas.plot(x + a, y + b);
        canvas.plot(x - a, y + b);
        canvas.plot(x + a, y - b);
        canvas.plot(x - a, y - b);
        canvas.plot(x + b, y + a);
        canvas.plot(x - b, y + a);
        canvas.plot(x + b, y - a);
        canvas.plot(x - b, y - a);
    });
}

// The disc bounded by exactly the outline DrawCircle draws, outline and inside in the one
// given index. Radius 0 draws the centre pixel; a negative radius or an index outside the
// palette draws nothing.
void Screen::FillCircle(SurfaceId destination, int x, int y, int radius, int paletteIndex) {
    if (radius < 0 || paletteIndex < 0 || paletteIndex > 255 || missesSurface(x, y, radius)) {
        return;
    }
    const Canvas canvas{Pixels(destination), static_cast<uint8_t>(paletteIndex)};
    if (surroundsSurface(x, y, radius)) {
        std::memset(canvas.pixels, canvas.index, kSurfaceBytes);
        return;
    }
    walkOctant(radius, [&](int64_t a, int64_t b) {
        canvas.span(int64_t{x} - a, int64_t{x} + a, int64_t{y} + b);
        canvas.span(int64_t{x} - a, int64_t{x} + a, int64_t{y} - b);
        canvas.span(int64_t{x} - b, int64_t{x} + b, int64_t{y} + a);
        canvas.span(int64_t{x} - b, int64_t{x} + b, int64_t{y} - a);
    });
}

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

void Screen::FillBox(SurfaceId destination, int x, int y, int width, int height,
                     uint32_t colour) {
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
