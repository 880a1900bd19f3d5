// The option menu: nine rows, the first of which ("EXIT") leaves the screen and the last of
// which ("KEY CONFIG") opens the key screen. Up and Down move the pointer, Left and Right
// change the value of the row under it. The screen is built on the back page and flipped
// once; every change after that is drawn straight onto the visible page.
#include "menus/option_menu.h"

#include <algorithm>
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

using RowOption = SettingsOption (*)(const Settings& settings);
using RowEnter = bool (*)(Game& game);  // true: the screen is left

// A row that always changes the same option.
template <SettingsOption option>
SettingsOption always(const Settings&) {
    return option;
}

// The EXPLOSION VALUE row's option: the value of the explosion type shown above it.
SettingsOption shownTypesValue(const Settings& settings) {
    return explosionValueOption(explosionIndex(settings));
}

// The key screen, and back to this screen with the pointer on the row that opened it.
bool visitKeyMenu(Game& game);

struct OptionRowLook {
    const char* label;
    int tile;                   // label and value
    RowOption option;           // what the row shows, and Left and Right change; or nullptr
    const char* format;         // the option's value as a number ...
    const char* const* labels;  // ... or as the label of its place in its range
    RowEnter enter;             // what Enter does; nullptr: nothing
};

// WAIT in the header's colour, the explosion rows in 1P's, the meteorite rows as OPTION, the
// key screen's row in 2P's.
constexpr OptionRowLook kOptionRowLooks[kOptionRows] = {
    {"EXIT", kTextTile, nullptr, nullptr, nullptr, [](Game&) { return true; }},
    {"WAIT", kHeaderTile, always<OptionWait>, "%03d", nullptr, nullptr},
    {"ITEM", TileGreen, always<OptionItems>, nullptr, kOnOffLabels, nullptr},
    {"EXPLOSION TYPE", TileVermillion, always<OptionExplosionType>, nullptr, kExplosionTypeLabels,
     nullptr},
    {"EXPLOSION VALUE", TileVermillion, shownTypesValue, "%04d", nullptr, nullptr},
    {"METEORITE", TilePurple, always<OptionMeteorites>, nullptr, kOnOffLabels, nullptr},
    {"METEORITE TIME", TilePurple, always<OptionMeteoriteTime>, "%03d", nullptr, nullptr},
    {"METEORITE VALUE", TilePurple, always<OptionMeteoriteValue>, "%04d", nullptr, nullptr},
    {"KEY CONFIG", TileSkyBlue, nullptr, nullptr, nullptr, visitKeyMenu},
};

}  // namespace

void drawOptionValue(Game& game, SurfaceId surface, int row) {
    if (row < 0 || row >= kOptionRows || kOptionRowLooks[row].option == nullptr) return;
    const OptionRowLook& look = kOptionRowLooks[row];
    const SettingsOption option = look.option(game.play.settings);
    const int32_t value = optionValue(game.play.settings, option);
    char text[16];
    if (look.labels != nullptr) {  // a label for each place of the range, from its start
        const OptionRange& range = kOptionRanges[option];
        std::snprintf(text, sizeof text, "%s",
                      look.labels[std::clamp(value, range.min, range.max) - range.min]);
    } else {
        std::snprintf(text, sizeof text, look.format, value);
    }
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
