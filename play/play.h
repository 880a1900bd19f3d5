// The state of play: what the rules of a round read and write besides the tables of the
// explosions and meteorites. It is built on the Devices, since the item effects wait and
// draw while they act; the Game is built on it.
#pragma once

#include <array>
#include <cstdint>

#include "display/screen.h"
#include "input/devices.h"
#include "play/explosion_tables.h"
#include "play/meteor_shower.h"
#include "play/player.h"
#include "play/random.h"
#include "settings/settings.h"

// The counters and clock of a match (from "START" on the title to Esc on the score table).
struct Match {
    int32_t round = 0;  // 0-based; shown as round + 1
    // Counter k runs 0..k, one step a frame; never reset between rounds.
    std::array<int32_t, kFrameCounterCount> frameCounters{};
    int32_t time = 0;        // whole seconds of the round
    float scoreRate = 1.0f;  // points per second of time
};

// The one item box on the field and the item kinds.
enum ItemKind : int32_t {
    ItemNone = 0,
    ItemSpeedUp = 1,
    ItemLaserShot = 2,
    ItemWarp = 3,
    ItemChange = 4,
    ItemBomb = 5,
    ItemRandom = 6,  // "?": becomes a kind 1..5 when taken
};

inline constexpr std::array<const char*, 7> itemNames = {
    "          ", "SPEED UP  ", "LASER SHOT", "WARP      ", "CHANGE    ", "BOMB      ", "?"};

inline constexpr int kItemBoxSize = kGlyphCell;  // the box is one glyph cell

struct ItemBox {
    int32_t itemKind = ItemNone;  // 0: no box on the field
    int32_t x = 0;                // top-left corner of its square
    int32_t y = 0;

    // The box's square: a head pixel inside it takes the box (its glyph's pixels never kill).
    constexpr Rect square() const { return squareAt(x, y, kItemBoxSize); }
};

// The devices (the base) and the state of play.
struct Play : Devices {
    using Devices::Devices;

    Settings settings;
    Random random;
    DirectionTables directions;
    Match match;
    Players players;
    ItemBox itemBox;
    Explosions explosions;
    Meteorites meteorites;
};
