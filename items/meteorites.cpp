// Meteorite showers: at every non-zero multiple of the METEORITE TIME a shower of
// single-pixel meteorites enters from the right and flies straight to the left, each
// clearing the pixel it leaves and drawing itself where it lands, which cuts gaps in trails.
//
// Up to 9050 meteorites move every frame, so the work is split into a pass that moves them
// all and decides where each lands (no field access, several lanes at a time) and a pass
// that does the field writes in placement order, clear then draw, meteorite by meteorite.

#include "items/meteorites.h"

#include <algorithm>

#include "items/moving_dots.h"
#include "play/play.h"

namespace {

// A shower starts from the field's last column to far right of the page, on any field row.
constexpr int32_t kStartColumnMin = kField.right - 1;
constexpr int32_t kStartColumnMax = 900;
constexpr int32_t kRowMin = kField.top;
constexpr int32_t kRowMax = kField.bottom - 1;

// Pixel offset of a meteorite at column `column`, or -1 when it is right of the page.
int32_t visiblePixel(int32_t row, int32_t column) {
    return column < kMeteorVisibleEnd ? row + column : -1;
}

bool showerDue(const Settings& settings, int32_t time) {
    // A METEORITE TIME below 1 can only come from a damaged settings file; treat it as 1.
    const int32_t period = std::max(settings.meteoriteTime, 1);
    return time != 0 && time % period == 0;
}

// Pass 1: every meteorite flies its speed to the left; `landing` gets the pixel it is
// drawn at, or -1 when it is right of the page or has just vanished at the left edge (then
// its speed becomes 0, so it stays there for good). Returns how many are still in flight.
// Touches no field memory, and is written without branches (masks and a 0/1 factor) on
// separate column pointers, so that it runs several lanes at a time.
WIDE_LANES int32_t moveColumns(int32_t count, float* __restrict x, float* __restrict speed,
                               const int32_t* __restrict row, int32_t* __restrict landing) {
    int32_t flying = 0;
    for (int32_t i = 0; i < count; ++i) {
        const float nx = x[i] - speed[i];
        const int32_t column = static_cast<int32_t>(nx);
        const int32_t inFlight = int32_t{column >= kMeteorLeftEdge};
        const int32_t visible = inFlight & int32_t{column < kMeteorVisibleEnd};
        x[i] = nx;
        landing[i] = (row[i] + column) | (visible - 1);  // visible: the offset; else -1
        speed[i] *= static_cast<float>(inFlight);        // 1.0f leaves it exactly as it was
        flying += inFlight;
    }
    return flying;
}

// Squeezes out the vanished meteorites, keeping the order of the ones in flight.
void repackMeteors(Meteorites& shower) {
    const float* speed = shower.speed.data();
    shower.count = repackColumns(
        shower.count, [speed](int32_t i) { return speed[i] != 0.0f; }, shower.x.data(),
        shower.y.data(), shower.speed.data(), shower.row.data(),
        shower.pixels[shower.standing].data());
}

}  // namespace

void spawnMeteorShower(Meteorites& shower, Random& random, const Settings& settings,
                       int32_t pitch) {
    // More than the table holds can only come from a damaged settings file.
    const int32_t count = std::clamp(settings.meteoriteValue, 0, kMeteorSlots);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t column = random.randomRange(kStartColumnMin, kStartColumnMax);
        const int32_t rowNumber = random.randomRange(kRowMin, kRowMax);
        const int32_t step = random.randomRange(1, 200);
        shower.x[i] = static_cast<float>(column);
        shower.y[i] = static_cast<float>(rowNumber);
        shower.speed[i] = static_cast<float>(step / 100.0 + 0.5);
        shower.row[i] = rowNumber * pitch;
        shower.pixels[shower.standing][i] = visiblePixel(shower.row[i], column);
    }
    shower.count = count;
    shower.flying = count;
    shower.meteorShowerActive = true;
}

void stepMeteorites(Play& play) {
    const Settings& settings = play.settings;
    if (settings.meteoritesOn == 0) return;
    Meteorites& shower = play.meteorites;
    Screen& screen = play.screen;
    if (!shower.meteorShowerActive) {
        if (!showerDue(settings, play.counters.time)) {
            return;
        }
        spawnMeteorShower(shower, play.random, settings, screen.FieldPitch);
    }
    const int32_t* standing = shower.pixels[shower.standing].data();
    int32_t* landing = shower.pixels[1 - shower.standing].data();
    shower.flying =
        moveColumns(shower.count, shower.x.data(), shower.speed.data(), shower.row.data(), landing);
    plotMovingDots(shower.count, standing, landing, screen.FieldPixels, meteorColour);
    shower.standing = 1 - shower.standing;
    if (shower.flying == 0) {
        shower.count = 0;
        shower.meteorShowerActive = false;
    } else if ((shower.count - shower.flying) * kRepackShare >= shower.count) {
        repackMeteors(shower);
    }
}
