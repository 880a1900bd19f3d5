#include "items/item_effects.h"

#include <algorithm>
#include <utility>

#include "shell/game.h"
#include "shell/pacing.h"

namespace {

int headPixelX(const Game& game, int slot) { return static_cast<int>(game.players.x[slot]); }
int headPixelY(const Game& game, int slot) { return static_cast<int>(game.players.y[slot]); }

// The next page to show: the discs of the overlay under everything on the saved field.
void composeTeleportPage(Screen& screen) {
    copyField(screen, SurfaceBack, SurfaceOverlay);
    copyFieldKeyed(screen, SurfaceBack, SurfaceSaved);
}

// A fresh overlay with one disc of the given radius round each listed head.
void drawTeleportDiscs(Game& game, const int* slots, int count, int radius) {
    game.screen.Clear(SurfaceOverlay);
    for (int i = 0; i < count; ++i) {
        const int slot = slots[i];
        game.screen.FillCircle(SurfaceOverlay, headPixelX(game, slot), headPixelY(game, slot),
                               radius, teleportColours[slot]);
    }
}

void shadeTeleportColours(Game& game, const int* slots, int count, int32_t delta) {
    for (int i = 0; i < count; ++i) game.screen.ShadePaletteEntry(teleportColours[slots[i]], delta);
}

// One step of a disc animation: show the page composed before, compose the next one with
// discs of this radius, and show it.
void showDiscStep(Game& game, const int* slots, int count, int radius) {
    game.screen.Flip();
    drawTeleportDiscs(game, slots, count, radius);
    composeTeleportPage(game.screen);
    game.screen.Flip();
    waitSinceMark(game, 0);
}

// One step of a palette fade: both pages are shown once with the entries shaded by delta.
void showFadeStep(Game& game, const int* slots, int count, int32_t delta) {
    game.screen.Flip();
    shadeTeleportColours(game, slots, count, delta);
    game.screen.Flip();
    waitSinceMark(game, 0);
}

// 50 flips: discs grow round the heads, then fade to black.
void vanish(Game& game, const int* slots, int count) {
    Screen& screen = game.screen;
    copyPage(screen, SurfaceBack, SurfacePrimary);
    copyPage(screen, SurfaceSaved, SurfacePrimary);
    for (int radius = 1; radius < kTeleportRadius; radius += 2) {
        showDiscStep(game, slots, count, radius);
    }
    for (int fade = 0; fade <= 256; fade += kTeleportFadeStep) {
        showFadeStep(game, slots, count, -fade);
    }
}

// 51 flips: a black disc round each (moved) head brightens, then shrinks away; the saved
// field is put back on the page that is shown at the end.
void appear(Game& game, const int* slots, int count) {
    Screen& screen = game.screen;
    copyPage(screen, SurfacePrimary, SurfaceSaved);
    screen.Clear(SurfaceOverlay);
    for (int i = 0; i < count; ++i) {
        const int slot = slots[i];
        screen.ShadePaletteEntry(teleportColours[slot], 0);
        screen.FillCircle(SurfaceOverlay, headPixelX(game, slot), headPixelY(game, slot),
                          kTeleportRadius, teleportColours[slot]);
    }
    composeTeleportPage(screen);
    shadeTeleportColours(game, slots, count, -255);
    for (int k = 0; k <= 16; ++k) {
        // The last step lands on the base colour itself (16 * 16 - 255 would overshoot it
        // by one and leave the disc colours one step too bright for the rest of the game).
        showFadeStep(game, slots, count, std::min(kTeleportFadeStep * k - 255, 0));
    }
    screen.Flip();
    for (int radius = kTeleportRadius - 1; radius >= 1; radius -= 2) {
        showDiscStep(game, slots, count, radius);
    }
    copyField(screen, SurfacePrimary, SurfaceSaved);
}

bool fieldPixelFree(const Game& game, int x, int y) {
    return game.screen.FieldPixels[y * game.screen.FieldPitch + x] == ColourEmpty;
}

}  // namespace

void teleportAnimation(Game& game, const int* slots, int count, int phase) {
    if (phase == TeleportVanish) {
        vanish(game, slots, count);
    } else {
        appear(game, slots, count);
    }
}

void fireLaser(Game& game, int slot) {
    Screen& screen = game.screen;
    const Players& players = game.players;
    const int a = players.direction[slot];
    const float dx = game.directions.dirX[a];
    const float dy = game.directions.dirY[a];
    const int nearX = static_cast<int>(players.x[slot] + kLaserNear * dx);
    const int nearY = static_cast<int>(players.y[slot] + kLaserNear * dy);
    const int farX = static_cast<int>(players.x[slot] + kLaserFar * dx);
    const int farY = static_cast<int>(players.y[slot] + kLaserFar * dy);
    screen.Clear(SurfaceOverlay);
    screen.DrawLine(SurfaceOverlay, nearX, nearY, farX, farY,
                    screen.PaletteRgb(playerColour[slot]));
    copyFieldKeyed(screen, SurfacePrimary, SurfaceOverlay);
}

void warpPlayer(Game& game, int slot) {
    const int slots[1] = {slot};
    teleportAnimation(game, slots, 1, TeleportVanish);
    // The field as the vanish leaves it still holds the last disc round the old head, so
    // the new point never lies in it. When every try meets a drawn pixel the head stays on
    // the last point drawn.
    for (int attempt = 0; attempt < kWarpTries; ++attempt) {
        const int x = game.random.randomRange(kField.left, kField.right - 1);
        game.players.x[slot] = static_cast<float>(x);
        const int y = game.random.randomRange(kField.top, kField.bottom - 1);
        game.players.y[slot] = static_cast<float>(y);
        if (fieldPixelFree(game, x, y)) break;
    }
    teleportAnimation(game, slots, 1, TeleportAppear);
}

void changePlaces(Game& game, int slot) {
    Players& players = game.players;
    int other = -1;
    for (int draw = 0; draw < kChangeDraws; ++draw) {
        const int q = game.random.randomRange(0, kSlots - 1);
        if (q != slot && players.inPlay(q)) {
            other = q;
            break;
        }
        waitSinceMark(game, 0);
    }
    if (other < 0) return;  // nobody to change with: the item is spent

    const int slots[2] = {slot, other};
    teleportAnimation(game, slots, 2, TeleportVanish);
    // Positions and headings change hands; speed, items, colour and type stay with the slot.
    std::swap(players.x[slot], players.x[other]);
    std::swap(players.y[slot], players.y[other]);
    std::swap(players.pixelX[slot], players.pixelX[other]);
    std::swap(players.pixelY[slot], players.pixelY[other]);
    std::swap(players.direction[slot], players.direction[other]);
    teleportAnimation(game, slots, 2, TeleportAppear);
}

void detonateBomb(Game& game, int slot) {
    Screen& screen = game.screen;
    const int x = headPixelX(game, slot);
    const int y = headPixelY(game, slot);
    copyField(screen, SurfaceOverlay, SurfacePrimary);
    // First a coloured disc grows round the head, then a black one over it.
    const int passColours[2] = {bombColour, ColourEmpty};
    for (const int colour : passColours) {
        for (int radius = 1; radius <= kBombMaxRadius; radius += 2) {
            markFrameStart(game);
            screen.FillCircle(SurfaceOverlay, x, y, radius, colour);
            copyField(screen, SurfacePrimary, SurfaceOverlay);
            waitSinceMark(game, kBombStepMs);
        }
    }
}
