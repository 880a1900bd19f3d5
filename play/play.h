// The state of play: everything the rules of a round read and write. Its field is the shown
// page of the screen it is given (the Devices own that screen); it knows nothing of the pump,
// the keys or the menus, and the Game holds it beside the Devices.
#pragma once

#include <array>
#include <cstdint>

#include "display/screen.h"
#include "play/explosion_tables.h"
#include "play/match_counters.h"
#include "play/meteor_shower.h"
#include "play/play_start.h"
#include "play/player.h"
#include "play/random.h"
#include "settings/settings.h"

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

struct Play {
    explicit Play(Screen& screen) : screen(screen) {}
    Play(const Play&) = delete;  // megabytes of tables: made once, passed by reference
    Play& operator=(const Play&) = delete;

    Screen& screen;  // the shown page's bytes are the field (FieldPixels)
    Settings settings;
    Random random;
    DirectionTables directions;
    MatchCounters counters;
    Players players;
    ItemBox itemBox;
    Explosions explosions;
    Meteorites meteorites;
};

// The start of a match played from here on.
inline PlayStart startOf(const Play& play) {
    return {play.random.state, play.counters.frameCounters, play.settings, play.players.type};
}
// Sets the state of play to start a match from `start`.
inline void startFrom(Play& play, const PlayStart& start) {
    play.random.state = start.randomState;
    play.counters.frameCounters = start.frameCounters;
    play.settings = start.settings;
    play.players.type = start.playerTypes;
}
