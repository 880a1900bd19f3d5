// The option menu: eight rows, the first of which ("EXIT") leaves the screen. Up and Down
// move the pointer, Left and Right change the value of the row under it. The screen is
// built on the back page and flipped once; every change after that is drawn straight onto
// the visible page.
#include "menus/option_menu.h"

#include <cstdio>

#include "shell/game.h"
#include "shell/pacing.h"

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
};

constexpr const char* kOptionLabels[kOptionRows] = {
    "EXIT",      "WAIT",           "ITEM",           "EXPLOSION TYPE", "EXPLOSION VALUE",
    "METEORITE", "METEORITE TIME", "METEORITE VALUE"};
// WAIT in the header's colour, the explosion rows in 1P's, the meteorite rows as OPTION.
constexpr int optionRowColours[kOptionRows] = {kTextTile,      kHeaderTile,    TileGreen,
                                               TileVermillion, TileVermillion, TilePurple,
                                               TilePurple,     TilePurple};

// Padded so that a new value covers the old one exactly.
constexpr const char* kOnOffLabels[2] = {"OFF", "ON "};
constexpr const char* kExplosionTypeLabels[3] = {"BOMB  ", "COSMO ", "COSMO2"};

constexpr int kLabelX = 150;
constexpr int kValueX = 422;
constexpr int kPointerX = 118;
constexpr int kRowTop = 170;
constexpr int kRowSpacing = 32;
constexpr int kHeadingY = 60;
constexpr int kHeadingCell = 64;
constexpr char kPointer = 62;  // '>'
constexpr char kBlank = 32;

constexpr int32_t kBombStep = 1;
constexpr int32_t kCosmoStep = 50;
constexpr int32_t kMeteoriteValueStep = 50;

int rowY(int row) { return kRowTop + kRowSpacing * row; }

// The explosion type as an index into the three-entry tables (loading keeps it in 0..2).
int explosionIndex(const Settings& settings) {
    const int32_t type = settings.explosionType;
    return type < ExplosionBomb || type > ExplosionCosmo2 ? ExplosionBomb : type;
}

void drawPointer(Game& game, char character) {
    game.screen.DrawChar(SurfacePrimary, character, kPointerX, rowY(game.optionMenu.cursor),
                         kGlyphCell, kGlyphCell);
}

// The row's value as the menu shows it; an empty text for row 0 and rows outside 1..7.
void formatOptionValue(const Settings& settings, int row, char* text, std::size_t size) {
    text[0] = '\0';
    switch (row) {
        case RowWait:
            std::snprintf(text, size, "%03d", settings.wait);
            break;
        case RowItem:
            std::snprintf(text, size, "%s", kOnOffLabels[settings.itemsOn != 0]);
            break;
        case RowExplosionType:
            std::snprintf(text, size, "%s", kExplosionTypeLabels[explosionIndex(settings)]);
            break;
        case RowExplosionValue:
            std::snprintf(text, size, "%04d", settings.explosionValue[explosionIndex(settings)]);
            break;
        case RowMeteorite:
            std::snprintf(text, size, "%s", kOnOffLabels[settings.meteoritesOn != 0]);
            break;
        case RowMeteoriteTime:
            std::snprintf(text, size, "%03d", settings.meteoriteTime);
            break;
        case RowMeteoriteValue:
            std::snprintf(text, size, "%04d", settings.meteoriteValue);
            break;
        default:
            break;
    }
}

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
    char text[16];
    formatOptionValue(game.settings, row, text, sizeof text);
    if (text[0] == '\0') return;
    game.screen.DrawColourText(surface, text, kValueX, rowY(row), kGlyphCell, kGlyphCell,
                               optionRowColours[row]);
}

void drawOptionMenu(Game& game) {
    game.optionMenu.cursor = 0;
    Screen& screen = game.screen;
    screen.Clear(SurfaceBack);
    screen.DrawText(SurfaceBack, "OPTION", kCentred, kHeadingY, kHeadingCell, kHeadingCell);
    for (int row = 0; row < kOptionRows; ++row) {
        screen.DrawColourText(SurfaceBack, kOptionLabels[row], kLabelX, rowY(row), kGlyphCell,
                              kGlyphCell, optionRowColours[row]);
        if (row >= RowWait) drawOptionValue(game, SurfaceBack, row);
    }
    screen.DrawChar(SurfaceBack, kPointer, kPointerX, rowY(RowExit), kGlyphCell, kGlyphCell);
    screen.Flip();
}

void moveOptionCursor(Game& game, int delta) {
    drawPointer(game, kBlank);
    int32_t& cursor = game.optionMenu.cursor;
    cursor = (cursor + delta) % kOptionRows;
    if (cursor < 0) cursor += kOptionRows;
    drawPointer(game, kPointer);
}

void changeOptionValue(Game& game, int delta) {
    Settings& settings = game.settings;
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

void runOptionMenu(Game& game) {
    drawOptionMenu(game);
    Keyboard& keys = game.keyboard;
    for (;;) {
        if (keys.take(key::Up)) moveOptionCursor(game, -1);
        if (keys.take(key::Down)) moveOptionCursor(game, +1);
        if (keys.take(key::Left)) changeOptionValue(game, -1);
        if (keys.take(key::Right)) changeOptionValue(game, +1);
        if (keys.take(key::Enter) && game.optionMenu.cursor == RowExit) break;
        waitSinceMark(game, 0);
    }
}
