// The table of a meteorite shower as the state of play keeps it (items/meteorites.h has the
// rules that start and move it).
#pragma once

#include <array>
#include <cstdint>

#include "display/screen.h"

inline constexpr int kMeteorSlots = 10000;

// Meteorites are written into the field only while their column is left of the frame's
// right column.
inline constexpr int32_t kMeteorVisibleEnd = kField.right;
// A meteorite whose column drops below the field's first one has reached the left frame and
// vanishes.
inline constexpr int32_t kMeteorLeftEdge = kField.left;

// One meteorite as the game thinks of it; the table below keeps the same data column by column.
struct Meteor {
    float x = 0;      // column, decreasing as it flies
    float y = 0;      // row; never changes
    float speed = 0;  // pixels per frame, 0.51 to 2.5
    bool active = false;
};

// The shower, column by column. Entries [0, count) are the meteorites of the current
// shower in placement order; one that has reached the left edge stays in place (speed 0,
// column below 1, never drawn again) until a stable repack squeezes it out, so the field
// always sees the writes in placement order.
struct Meteorites {
    alignas(64) std::array<float, kMeteorSlots> x{};
    alignas(64) std::array<float, kMeteorSlots> y{};
    alignas(64) std::array<float, kMeteorSlots> speed{};  // 0 once the meteorite is gone
    alignas(64) std::array<int32_t, kMeteorSlots> row{};  // y * FieldPitch
    // Offsets of the pixel under each meteorite when its column is below 639, else -1. A
    // frame reads where the meteorites stand in one of the two columns and writes where they
    // land into the other; then the two change roles.
    alignas(64) std::array<std::array<int32_t, kMeteorSlots>, 2> pixels{};
    int32_t standing = 0;  // pixels[standing]: where the meteorites stand now
    int32_t count = 0;     // entries in use
    int32_t flying = 0;    // of those, still in flight
    bool meteorShowerActive = false;

    // The entry i of [0, count) as a record (active is false once it has vanished).
    Meteor meteor(int i) const { return Meteor{x[i], y[i], speed[i], speed[i] != 0.0f}; }
};
