// The option menu: nine rows, the first of which ("EXIT") leaves the screen and the last of
// which ("KEY CONFIG") opens the key screen. Up and Down move the pointer, Left and Right
// change the value of the row under it. The screen is built on the back page and flipped
// once; every change after that is drawn straight onto the visible page.
#include "menus/option_menu.h"

#include <cstdio>

#include "game/game.h"
#include "input/pacing.h"
#include "menus/key_menu.h"

namespace {

// The rows this file names.
enum OptionRow {
    RowExit = 0,
    RowExplosionType = 3,
    RowExplosionValue = 4,
    RowKeys = 8,
};

// Padded so that a new value covers the old one exactly.
constexpr const char* kOnOffLabels[2] = {"OFF", "ON "};
constexpr const char* kExplosionTypeLabels[3] = {"BOMB  ", "COSMO ", "COSMO2"};

constexpr int kValueX = 422;
constexpr int kHeadingY = 60;
constexpr int kHeadingCell = 64;

// The explosion type as an index into the three-entry tables (loading keeps it in 0..2).
int explosionIndex(const Settings& settings) {
    const int32_t type = settings.explosionType;
    return type < ExplosionBomb || type > ExplosionCosmo2 ? ExplosionBomb : type;
}

using ValueText = void (*)(const Settings& settings, char* text, std::size_t size);
using RowOption = SettingsOption (*)(const Settings& settings);
using RowEnter = bool (*)(Game& game);  // true: the screen is left

void printNumber(const Settings& s, SettingsOption option, const char* format, char* text,
                 std::size_t size) {
    std::snprintf(text, size, format, optionValue(s, option));
}

// The key screen, and back to this screen with the pointer on the row that opened it.
bool visitKeyMenu(Game& game);

struct OptionRowLook {
    const char* label;
    int tile;          // label and value
    ValueText value;   // nullptr: the row has no value
    RowOption option;  // what Left and Right change; nullptr: nothing
    RowEnter enter;    // what Enter does; nullptr: nothing
};

// WAIT in the header's colour, the explosion rows in 1P's, the meteorite rows as OPTION, the
// key screen's row in 2P's. The EXPLOSION VALUE row shows and changes the value of the
// explosion type shown above it.
constexpr OptionRowLook kOptionRowLooks[kOptionRows] = {
    {"EXIT", kTextTile, nullptr, nullptr, [](Game&) { return true; }},
    {"WAIT", kHeaderTile,
     [](const Settings& s, char* text, std::size_t size) {
         printNumber(s, OptionWait, "%03d", text, size);
     },
     [](const Settings&) { return OptionWait; }, nullptr},
    {"ITEM", TileGreen,
     [](const Settings& s, char* text, std::size_t size) {
         std::snprintf(text, size, "%s", kOnOffLabels[s.itemsOn != 0]);
     },
     [](const Settings&) { return OptionItems; }, nullptr},
    {"EXPLOSION TYPE", TileVermillion,
     [](const Settings& s, char* text, std::size_t size) {
         std::snprintf(text, size, "%s", kExplosionTypeLabels[explosionIndex(s)]);
     },
     [](const Settings&) { return OptionExplosionType; }, nullptr},
    {"EXPLOSION VALUE", TileVermillion,
     [](const Settings& s, char* text, std::size_t size) {
         printNumber(s, explosionValueOption(explosionIndex(s)), "%04d", text, size);
     },
     [](const Settings& s) { return explosionValueOption(explosionIndex(s)); }, nullptr},
    {"METEORITE", TilePurple,
     [](const Settings& s, char* text, std::size_t size) {
         std::snprintf(text, size, "%s", kOnOffLabels[s.meteoritesOn != 0]);
     },
     [](const Settings&) { return OptionMeteorites; }, nullptr},
    {"METEORITE TIME", TilePurple,
     [](const Settings& s, char* text, std::size_t size) {
         printNumber(s, OptionMeteoriteTime, "%03d", text, size);
     },
     [](const Settings&) { return OptionMeteoriteTime; }, nullptr},
    {"METEORITE VALUE", TilePurple,
     [](const Settings& s, char* text, std::size_t size) {
         printNumber(s, OptionMeteoriteValue, "%04d", text, size);
     },
     [](const Settings&) { return OptionMeteoriteValue; }, nullptr},
    {"KEY CONFIG", TileSkyBlue, nullptr, nullptr, visitKeyMenu},
};

}  // namespace

void drawOptionValue(Game& game, SurfaceId surface, int row) {
    if (row < 0 || row >= kOptionRows || kOptionRowLooks[row].value == nullptr) return;
    char text[16];
    kOptionRowLooks[row].value(game.play.settings, text, sizeof text);
    game.devices.screen.DrawColourText(surface, text, kValueX, kOptionMenu.rowY(row), kGlyphCell,
                                       kGlyphCell, kOptionRowLooks[row].tile);
}

void drawOptionMenu(Game& game) {
    game.optionMenu.cursor = 0;
    Screen& screen = game.devices.screen;
    screen.Clear(SurfaceBack);
    screen.DrawText(SurfaceBack, "OPTION", kCentred, kHeadingY, kHeadingCell, kHeadingCell);
    for (int row = 0; row < kOptionRows; ++row) {
        screen.DrawColourText(SurfaceBack, kOptionRowLooks[row].label, kOptionMenu.textX,
                              kOptionMenu.rowY(row), kGlyphCell, kGlyphCell,
                              kOptionRowLooks[row].tile);
        drawOptionValue(game, SurfaceBack, row);
    }
    drawMenuPointer(screen, SurfaceBack, kOptionMenu, RowExit, true);
    screen.Flip();
}

void moveOptionCursor(Game& game, int delta) {
    moveMenuPointer(game.devices.screen, SurfacePrimary, kOptionMenu, game.optionMenu.cursor,
                    delta);
}

void changeOptionValue(Game& game, int delta) {
    const int row = game.optionMenu.cursor;
    const RowOption option = kOptionRowLooks[row].option;
    if (option == nullptr) return;
    stepOption(game.play.settings, option(game.play.settings), delta);
    // Each type keeps its own value: the row below now shows the new type's.
    if (row == RowExplosionType) drawOptionValue(game, SurfacePrimary, RowExplosionValue);
    drawOptionValue(game, SurfacePrimary, row);
}

namespace {

bool visitKeyMenu(Game& game) {
    runKeyMenu(game);
    drawOptionMenu(game);
    drawMenuPointer(game.devices.screen, SurfacePrimary, kOptionMenu, RowExit, false);
    game.optionMenu.cursor = RowKeys;
    drawMenuPointer(game.devices.screen, SurfacePrimary, kOptionMenu, RowKeys, true);
    return false;
}

}  // namespace

void runOptionMenu(Game& game) {
    drawOptionMenu(game);
    Keyboard& keys = game.devices.keyboard;
    for (;;) {
        if (keys.take(key::Up)) moveOptionCursor(game, -1);
        if (keys.take(key::Down)) moveOptionCursor(game, +1);
        if (keys.take(key::Left)) changeOptionValue(game, -1);
        if (keys.take(key::Right)) changeOptionValue(game, +1);
        if (keys.take(key::Enter)) {
            const RowEnter enter = kOptionRowLooks[game.optionMenu.cursor].enter;
            if (enter != nullptr && enter(game)) break;
        }
        waitSinceMark(game.devices, 0);
    }
}
