// The colours the game names: palette indices that the drawing writes, and the colour tiles
// that colour text. Their colours live in tools/palette.txt (the source of char.bmp); the
// artwork tests check that every index named here is set there, and every tile drawn.
#pragma once

#include <array>
#include <cstdint>

// --- palette indices -----------------------------------------------------------------------
inline constexpr uint8_t ColourEmpty = 0;    // empty field, cleared surfaces, the transparent key
inline constexpr uint8_t ColourFrame = 255;  // the frame round the play field
// Trails, heads, their explosions and laser walls, one per slot (1P to 4P).
inline constexpr std::array<uint8_t, 4> playerColour = {156, 71, 27, 107};
// The teleport discs, one per slot. They are not the trail colours, so fading them changes
// nothing else on the field.
inline constexpr std::array<uint8_t, 4> teleportColours = {158, 78, 30, 126};
inline constexpr uint8_t bombColour = 24;     // the growing BOMB disc
inline constexpr uint8_t flashColour = 246;   // the whole-screen flash of every item use
inline constexpr uint8_t meteorColour = 237;  // meteorites

// --- colour tiles (DrawColourText's tile) ----------------------------------------------------
enum ColourTile : int {
    TileVermillion = 1,  // 1P
    TileSkyBlue = 2,     // 2P
    TileGreen = 3,       // 3P
    TileYellow = 4,      // 4P
    TileRed = 5,         // warnings
    TilePurple = 6,      // OPTION and the meteorite rows
    TileWhite = 7,       // plain text
    TilePeriwinkle = 8,  // the round's header line
};
inline constexpr int kColourTiles = 16;  // tiles 0..15 exist in char.bmp

// A slot's own text colour: its score row, panel line and title row.
constexpr int slotTile(int slot) { return TileVermillion + slot; }
inline constexpr int kTextTile = TileWhite;
inline constexpr int kHeaderTile = TilePeriwinkle;
inline constexpr int kNoticeTile = TileRed;  // used for nothing else
