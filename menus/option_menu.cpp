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

enum OptionRow {
    RowExit = 0,
    RowWait = 1,
    RowItem = 2,
    RowExplosionType = 3,
    RowExplosionValue = 4,
    RowMeteorite = 5,
    RowMeteoriteTime = 6,
    RowMeteoriteValue = 7,
    RowKeys = 8,
};

// Padded so that a new value covers the old one exactly.
constexpr const char* kOnOffLabels[2] = {"OFF", "ON "};
constexpr const char* kExplosionTypeLabels[3] = {"BOMB  ", "COSMO ", "COSMO2"};

constexpr int kValueX = 422;
constexpr int kHeadingY = 60;
constexpr int kHeadingCell = 64;

constexpr int32_t kBombStep = 1;
constexpr int32_t kCosmoStep = 50;
constexpr int32_t kMeteoriteValueStep = 50;

// The explosion type as an index into the three-entry tables (loading keeps it in 0..2).
int explosionIndex(const Settings& settings) {
    const int32_t type = settings.explosionType;
    return type < ExplosionBomb || type > ExplosionCosmo2 ? ExplosionBomb : type;
}

using ValueText = void (*)(const Settings& settings, char* text, std::size_t size);

struct OptionRowLook {
    const char* label;
    int tile;         // label and value
    ValueText value;  // nullptr: the row has no value
};

// WAIT in the header's colour, the explosion rows in 1P's, the meteorite rows as OPTION, the
// key screen's row in 2P's.
constexpr OptionRowLook kOptionRowLooks[kOptionRows] = {
    {"EXIT", kTextTile, nullptr},
    {"WAIT", kHeaderTile,
     [](const Settings& s, char* text, std::size_t size) {
         std::snprintf(text, size, "%03d", s.wait);
     }},
    {"ITEM", TileGreen,
     [](const Settings& s, char* text, std::size_t size) {
         std::snprintf(text, size, "%s", kOnOffLabels[s.itemsOn != 0]);
     }},
    {"EXPLOSION TYPE", TileVermillion,
     [](const Settings& s, char* text, std::size_t size) {
         std::snprintf(text, size, "%s", kExplosionTypeLabels[explosionIndex(s)]);
     }},
    {"EXPLOSION VALUE", TileVermillion,
     [](const Settings& s, char* text, std::size_t size) {
         std::snprintf(text, size, "%04d", s.explosionValue[explosionIndex(s)]);
     }},
    {"METEORITE", TilePurple,
     [](const Settings& s, char* text, std::size_t size) {
         std::snprintf(text, size, "%s", kOnOffLabels[s.meteoritesOn != 0]);
     }},
    {"METEORITE TIME", TilePurple,
     [](const Settings& s, char* text, std::size_t size) {
         std::snprintf(text, size, "%03d", s.meteoriteTime);
     }},
    {"METEORITE VALUE", TilePurple,
     [](const Settings& s, char* text, std::size_t size) {
         std::snprintf(text, size, "%04d", s.meteoriteValue);
     }},
    {"KEY CONFIG", TileSkyBlue, nullptr},
};

void stepExplosionValue(Settings& settings, int delta) {
    const int type = explosionIndex(settings);
    if (type == ExplosionBomb) {
        stepValue(settings.explosionValue[type], delta * kBombStep, 0, kBombValueMax, false);
    } else {
        stepValue(settings.explosionValue[type], delta * kCosmoStep, 0, kCosmoValueMax, false);
    }
}

}  // namespace

void stepValue(int32_t& field, int32_t step, int32_t min, int32_t max, bool wrap) {
    field += step;
    if (field < min) field = wrap ? max : min;
    if (field > max) field = wrap ? min : max;
}

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
    Settings& settings = game.play.settings;
    const int row = game.optionMenu.cursor;
    switch (row) {
        case RowWait:
            stepValue(settings.wait, delta, kWaitMin, kWaitMax, false);
            break;
        case RowItem:
            stepValue(settings.itemsOn, delta, 0, 1, true);
            break;
        case RowExplosionType:
            stepValue(settings.explosionType, delta, ExplosionBomb, ExplosionCosmo2, true);
            // Each type keeps its own value: row 4 now shows the new type's.
            drawOptionValue(game, SurfacePrimary, RowExplosionValue);
            break;
        case RowExplosionValue:
            stepExplosionValue(settings, delta);
            break;
        case RowMeteorite:
            stepValue(settings.meteoritesOn, delta, 0, 1, true);
            break;
        case RowMeteoriteTime:
            stepValue(settings.meteoriteTime, delta, kMeteoriteTimeMin, kMeteoriteTimeMax, false);
            break;
        case RowMeteoriteValue:
            stepValue(settings.meteoriteValue, delta * kMeteoriteValueStep, kMeteoriteValueMin,
                      kMeteoriteValueMax, false);
            break;
        default:
            break;  // "EXIT" has no value
    }
    drawOptionValue(game, SurfacePrimary, row);
}

namespace {

// The key screen, and back to this screen with the pointer on the row that opened it.
void visitKeyMenu(Game& game) {
    runKeyMenu(game);
    drawOptionMenu(game);
    drawMenuPointer(game.devices.screen, SurfacePrimary, kOptionMenu, RowExit, false);
    game.optionMenu.cursor = RowKeys;
    drawMenuPointer(game.devices.screen, SurfacePrimary, kOptionMenu, RowKeys, true);
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
            if (game.optionMenu.cursor == RowExit) break;
            if (game.optionMenu.cursor == RowKeys) visitKeyMenu(game);
        }
        waitSinceMark(game.devices, 0);
    }
}
