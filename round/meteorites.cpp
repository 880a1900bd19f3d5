// Meteorite showers: at every non-zero multiple of the METEORITE TIME a shower of
// single-pixel meteorites enters from the right and flies straight to the left, each
// clearing the pixel it leaves and drawing itself where it lands, which cuts gaps in trails.
//
// Up to 9050 meteorites move every frame, so the work is split into a pass that moves them
// all and decides where each lands (no field access, several lanes at a time) and a pass
// that does the field writes in placement order, clear then draw, meteorite by meteorite.

#include "round/meteorites.h"

#include <algorithm>

#include "shell/game.h"

namespace {

constexpr int32_t kStartColumnMin = 638;
constexpr int32_t kStartColumnMax = 900;
constexpr int32_t kRowMin = 33;
constexpr int32_t kRowMax = 414;

// A repack runs once at least this share (1 / n) of the entries in use are gone.
constexpr int32_t kRepackShare = 4;

// Pixel offset of a meteorite at column `column`, or -1 when it is right of the page.
int32_t visiblePixel(int32_t row, int32_t column) {
    return column < kMeteorVisibleEnd ? row + column : -1;
}

bool showerDue(const Game& game) {
    // A METEORITE TIME below 1 can only come from a damaged settings file; treat it as 1.
    const int32_t period = std::max(game.settings.meteoriteTime, 1);
    const int32_t time = game.match.time;
    return time != 0 && time % period == 0;
}

// Pass 1: every meteorite flies its speed to the left; `next` gets the pixel it is drawn
// at, or -1 when it is right of the page or has just vanished at the left edge (then its
// speed becomes 0, so it stays there for good). Returns how many are still in flight.
int32_t moveMeteors(Meteorites& shower) {
    const int32_t count = shower.count;
    float* __restrict x = shower.x.data();
    float* __restrict speed = shower.speed.data();
    const int32_t* __restrict row = shower.row.data();
    int32_t* __restrict next = shower.next.data();
    int32_t flying = 0;
    for (int32_t i = 0; i < count; ++i) {
        const float nx = x[i] - speed[i];
        const int32_t column = static_cast<int32_t>(nx);
        const bool inFlight = column >= kMeteorLeftEdge;
        const bool visible = inFlight & (column < kMeteorVisibleEnd);
        x[i] = nx;
        next[i] = visible ? row[i] + column : -1;
        speed[i] = inFlight ? speed[i] : 0.0f;
        flying += inFlight ? 1 : 0;
    }
    return flying;
}

// Pass 2, in placement order: clear where the meteorite stood (when on the page), draw
// where it is now (when on the page). Writes meant for nowhere go to a scratch byte.
void plotMeteors(Meteorites& shower, uint8_t* field) {
    const int32_t count = shower.count;
    int32_t* pixel = shower.pixel.data();
    const int32_t* next = shower.next.data();
    uint8_t sink = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t from = pixel[i];
        const int32_t to = next[i];
        *(from >= 0 ? field + from : &sink) = ColourEmpty;
        *(to >= 0 ? field + to : &sink) = meteorColour;
        pixel[i] = to;
    }
}

// Squeezes out the vanished meteorites, keeping the order of the rest.
void repackMeteors(Meteorites& shower) {
    int32_t kept = 0;
    for (int32_t i = 0; i < shower.count; ++i) {
        if (shower.speed[i] == 0.0f) {
            continue;
        }
        shower.x[kept] = shower.x[i];
        shower.y[kept] = shower.y[i];
        shower.speed[kept] = shower.speed[i];
        shower.row[kept] = shower.row[i];
        shower.pixel[kept] = shower.pixel[i];
        ++kept;
    }
    shower.count = kept;
}

}  // namespace

Meteor Meteorites::meteor(int i) const {
    return Meteor{x[i], y[i], speed[i], static_cast<uint8_t>(speed[i] != 0.0f)};
}

void spawnMeteorShower(Game& game) {
    Meteorites& shower = game.meteorites;
    const int32_t pitch = game.screen.FieldPitch;
    // More than the table holds can only come from a damaged settings file.
    const int32_t count = std::clamp(game.settings.meteoriteValue, 0, kMeteorSlots);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t column = game.random.randomRange(kStartColumnMin, kStartColumnMax);
        const int32_t rowNumber = game.random.randomRange(kRowMin, kRowMax);
        const int32_t step = game.random.randomRange(1, 200);
        shower.x[i] = static_cast<float>(column);
        shower.y[i] = static_cast<float>(rowNumber);
        shower.speed[i] = static_cast<float>(step / 100.0 + 0.5);
        shower.row[i] = rowNumber * pitch;
        shower.pixel[i] = visiblePixel(shower.row[i], column);
    }
    shower.count = count;
    shower.flying = count;
    shower.meteorShowerActive = 1;
}

void stepMeteorites(Game& game) {
    Meteorites& shower = game.meteorites;
    if (shower.meteorShowerActive == 0) {
        if (!showerDue(game)) {
            return;
        }
        spawnMeteorShower(game);
    }
    shower.flying = moveMeteors(shower);
    plotMeteors(shower, game.screen.FieldPixels);
    if (shower.flying == 0) {
        shower.count = 0;
        shower.meteorShowerActive = 0;
    } else if ((shower.count - shower.flying) * kRepackShare >= shower.count) {
        repackMeteors(shower);
    }
}
