// Circle outlines and discs. The outline is the midpoint circle: in the octant from the top
// towards the right, column a (0, 1, 2, ... while a <= b) holds the pixel at height b(a),
// the largest b with a^2 + b^2 - b < r^2, which is the pixel whose centre lies nearest the
// true circle; the other seven octants are its mirror images, so the figure is symmetric and
// exactly inscribed in the box (x - r, y - r) to (x + r, y + r). The disc is bounded by
// exactly that outline. Working from b(a) directly, instead of stepping round the whole
// circle, lets both figures visit only the columns and rows that lie on the surface, so any
// radius costs at most a few thousand steps.

#include <algorithm>
#include <cmath>

#include "display/canvas.h"
#include "display/screen.h"

namespace {

using Wide = __int128;  // squares of radii up to 2^31 and their sums

// The largest v >= 0 for which fits(v, limit) holds, for conditions of the form
// v^2 (+ smaller terms) < limit that hold for v = 0 whenever limit > 0; 0 when limit <= 0.
int64_t largestBelow(Wide limit, bool (*fits)(int64_t, Wide)) {
    if (limit <= 0) {
        return 0;
    }
    int64_t b = static_cast<int64_t>(std::sqrt(static_cast<long double>(limit))) + 1;
    while (b > 0 && !fits(b, limit)) {
        --b;
    }
    while (fits(b + 1, limit)) {
        ++b;
    }
    return b;
}

// Height of the outline in column a of the first octant.
int64_t heightAt(int64_t radius, int64_t a) {
    const Wide limit = Wide{radius} * radius - Wide{a} * a;
    return largestBelow(limit, [](int64_t b, Wide l) { return Wide{b} * b - b < l; });
}

// The last column of the first octant: the largest a with a <= heightAt(a).
int64_t octantEnd(int64_t radius) {
    int64_t low = 0;  // always in the octant
    int64_t high = radius;
    while (low < high) {
        const int64_t middle = low + (high - low + 1) / 2;
        if (middle <= heightAt(radius, middle)) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return low;
}

// Offsets d >= 0 from `centre` for which centre + d or centre - d lies in 0..size-1.
struct OffsetRange {
    int64_t first = 0;
    int64_t last = -1;
};

OffsetRange offsetsOnSurface(int64_t centre, int64_t size) {
    if (centre < 0) {
        return {-centre, size - 1 - centre};
    }
    if (centre >= size) {
        return {centre - (size - 1), centre};
    }
    return {0, std::max(centre, size - 1 - centre)};
}

// The box (x - r, y - r) to (x + r, y + r) misses the surface.
bool missesSurface(int64_t x, int64_t y, int64_t radius) {
    return x + radius < 0 || x - radius >= kScreenWidth || y + radius < 0 ||
           y - radius >= kScreenHeight;
}

void plotOctants(const Canvas& canvas, int64_t x, int64_t y, int64_t a, int64_t b) {
    canvas.plot(x + a, y + b);
    canvas.plot(x - a, y + b);
    canvas.plot(x + a, y - b);
    canvas.plot(x - a, y - b);
    canvas.plot(x + b, y + a);
    canvas.plot(x - b, y + a);
    canvas.plot(x + b, y - a);
    canvas.plot(x - b, y - a);
}

// Half the width of the disc on the row t above or below the centre: the outline's widest
// pixel on that row. -1 when the outline has no pixel there.
int64_t halfWidthAt(int64_t radius, int64_t end, int64_t t) {
    if (t <= end) {
        return heightAt(radius, t);  // the mirrored column t
    }
    if (t > radius) {
        return -1;
    }
    // The widest column of the octant whose height is t: the largest a with
    // a^2 + t^2 - t < r^2, within the octant.
    const Wide limit = Wide{radius} * radius - Wide{t} * t + t;
    const int64_t widest =
        limit <= 0
            ? -1
            : std::min(end, largestBelow(limit, [](int64_t a, Wide l) { return Wide{a} * a < l; }));
    return widest >= 0 && heightAt(radius, widest) == t ? widest : -1;
}

}  // namespace

// Radius 0 draws the centre pixel alone; a negative radius draws nothing.
void Screen::DrawCircle(SurfaceId destination, int x, int y, int radius, uint32_t colour) {
    if (radius < 0 || missesSurface(x, y, radius)) {
        return;
    }
    const Canvas canvas{Pixels(destination), IndexOfColour(colour)};
    const int64_t end = octantEnd(radius);
    // Column a matters when x +- a or y +- a lies on the surface.
    const OffsetRange across = offsetsOnSurface(x, kScreenWidth);
    const OffsetRange down = offsetsOnSurface(y, kScreenHeight);
    for (int64_t a = across.first; a <= std::min(across.last, end); ++a) {
        plotOctants(canvas, x, y, a, heightAt(radius, a));
    }
    for (int64_t a = down.first; a <= std::min(down.last, end); ++a) {
        if (a < across.first || a > across.last) {
            plotOctants(canvas, x, y, a, heightAt(radius, a));
        }
    }
}

// The disc bounded by exactly the outline DrawCircle draws, outline and inside in the one
// given index. Radius 0 draws the centre pixel; a negative radius or an index outside the
// palette draws nothing.
void Screen::FillCircle(SurfaceId destination, int x, int y, int radius, int paletteIndex) {
    if (radius < 0 || paletteIndex < 0 || paletteIndex > 255 || missesSurface(x, y, radius)) {
        return;
    }
    const Canvas canvas{Pixels(destination), static_cast<uint8_t>(paletteIndex)};
    const int64_t end = octantEnd(radius);
    const OffsetRange rows = offsetsOnSurface(y, kScreenHeight);
    for (int64_t t = rows.first; t <= std::min<int64_t>(rows.last, radius); ++t) {
        const int64_t half = halfWidthAt(radius, end, t);
        if (half >= 0) {
            canvas.span(int64_t{x} - half, int64_t{x} + half, int64_t{y} + t);
            canvas.span(int64_t{x} - half, int64_t{x} + half, int64_t{y} - t);
        }
    }
}
