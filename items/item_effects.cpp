#include "items/item_effects.h"

#include <algorithm>
#include <utility>

#include "items/effect_display.h"
#include "play/field.h"
#include "play/play.h"

namespace {

int headPixelX(const Play& play, int slot) { return static_cast<int>(play.players.x[slot]); }
int headPixelY(const Play& play, int slot) { return static_cast<int>(play.players.y[slot]); }

// The next page to show: the discs of the overlay under everything on the saved field.
void composeTeleportPage(Screen& screen) {
    copyField(screen, SurfaceBack, SurfaceOverlay);
    copyFieldKeyed(screen, SurfaceBack, SurfaceSaved);
}

// A fresh overlay with one disc of the given radius round each listed head.
void drawTeleportDiscs(Play& play, const int* slots, int count, int radius) {
    play.screen.Clear(SurfaceOverlay);
    for (int i = 0; i < count; ++i) {
        const int slot = slots[i];
        play.screen.FillCircle(SurfaceOverlay, headPixelX(play, slot), headPixelY(play, slot),
                               radius, teleportColours[slot]);
    }
}

void shadeTeleportColours(Play& play, const int* slots, int count, int32_t delta) {
    for (int i = 0; i < count; ++i) play.screen.ShadePaletteEntry(teleportColours[slots[i]], delta);
}

// One step of a disc animation: show the page composed before, compose the next one with
// discs of this radius, and show it.
void showDiscStep(Play& play, EffectDisplay& display, const int* slots, int count, int radius) {
    display.flip();
    drawTeleportDiscs(play, slots, count, radius);
    composeTeleportPage(play.screen);
    display.flip();
    display.waitSinceMark(0);
}

// One step of a palette fade: both pages are shown once with the entries shaded by delta.
void showFadeStep(Play& play, EffectDisplay& display, const int* slots, int count, int32_t delta) {
    display.flip();
    shadeTeleportColours(play, slots, count, delta);
    display.flip();
    display.waitSinceMark(0);
}

// 50 flips: discs grow round the heads, then fade to black.
void vanish(Play& play, EffectDisplay& display, const int* slots, int count) {
    Screen& screen = play.screen;
    copyPage(screen, SurfaceBack, SurfacePrimary);
    copyPage(screen, SurfaceSaved, SurfacePrimary);
    for (int radius = 1; radius < kTeleportRadius; radius += 2) {
        showDiscStep(play, display, slots, count, radius);
    }
    for (int fade = 0; fade <= 256; fade += kTeleportFadeStep) {
        showFadeStep(play, display, slots, count, -fade);
    }
}

// 51 flips: a black disc round each (moved) head brightens, then shrinks away; the saved
// field is put back on the page that is shown at the end.
void appear(Play& play, EffectDisplay& display, const int* slots, int count) {
    Screen& screen = play.screen;
    copyPage(screen, SurfacePrimary, SurfaceSaved);
    screen.Clear(SurfaceOverlay);
    for (int i = 0; i < count; ++i) {
        const int slot = slots[i];
        screen.ShadePaletteEntry(teleportColours[slot], 0);
        screen.FillCircle(SurfaceOverlay, headPixelX(play, slot), headPixelY(play, slot),
                          kTeleportRadius, teleportColours[slot]);
    }
    composeTeleportPage(screen);
    shadeTeleportColours(play, slots, count, -255);
    for (int k = 0; k <= 16; ++k) {
        // The last step lands on the base colour itself (16 * 16 - 255 would overshoot it
        // by one and leave the disc colours one step too bright for the rest of the game).
        showFadeStep(play, display, slots, count, std::min(kTeleportFadeStep * k - 255, 0));
    }
    display.flip();
    for (int radius = kTeleportRadius - 1; radius >= 1; radius -= 2) {
        showDiscStep(play, display, slots, count, radius);
    }
    copyField(screen, SurfacePrimary, SurfaceSaved);
}

}  // namespace

void teleportAnimation(Play& play, EffectDisplay& display, const int* slots, int count, int phase) {
    if (phase == TeleportVanish) {
        vanish(play, display, slots, count);
    } else {
        appear(play, display, slots, count);
    }
}

void fireLaser(Play& play, int slot) {
    Screen& screen = play.screen;
    const Players& players = play.players;
    const int a = players.direction[slot];
    const float dx = play.directions.dirX[a];
    const float dy = play.directions.dirY[a];
    const int nearX = static_cast<int>(players.x[slot] + kLaserNear * dx);
    const int nearY = static_cast<int>(players.y[slot] + kLaserNear * dy);
    const int farX = static_cast<int>(players.x[slot] + kLaserFar * dx);
    const int farY = static_cast<int>(players.y[slot] + kLaserFar * dy);
    screen.Clear(SurfaceOverlay);
    screen.DrawLine(SurfaceOverlay, nearX, nearY, farX, farY,
                    screen.PaletteRgb(playerColour[slot]));
    copyFieldKeyed(screen, SurfacePrimary, SurfaceOverlay);
}

void warpPlayer(Play& play, EffectDisplay& display, int slot) {
    const int slots[1] = {slot};
    teleportAnimation(play, display, slots, 1, TeleportVanish);
    // The field as the vanish leaves it still holds the last disc round the old head, so
    // the new point never lies in it. When every try meets a drawn pixel the head stays on
    // the last point drawn.
    for (int attempt = 0; attempt < kWarpTries; ++attempt) {
        const int x = play.random.randomRange(kField.left, kField.right - 1);
        play.players.x[slot] = static_cast<float>(x);
        const int y = play.random.randomRange(kField.top, kField.bottom - 1);
        play.players.y[slot] = static_cast<float>(y);
        if (fieldByte(play.screen, x, y) == ColourEmpty) break;
    }
    teleportAnimation(play, display, slots, 1, TeleportAppear);
}

void changePlaces(Play& play, EffectDisplay& display, int slot) {
    Players& players = play.players;
    int other = -1;
    for (int draw = 0; draw < kChangeDraws; ++draw) {
        const int q = play.random.randomRange(0, kSlots - 1);
        if (q != slot && players.inPlay(q)) {
            other = q;
            break;
        }
        display.waitSinceMark(0);
    }
    if (other < 0) return;  // nobody to change with: the item is spent

    const int slots[2] = {slot, other};
    teleportAnimation(play, display, slots, 2, TeleportVanish);
    // Positions and headings change hands; speed, items, colour and type stay with the slot.
    std::swap(players.x[slot], players.x[other]);
    std::swap(players.y[slot], players.y[other]);
    std::swap(players.pixelX[slot], players.pixelX[other]);
    std::swap(players.pixelY[slot], players.pixelY[other]);
    std::swap(players.direction[slot], players.direction[other]);
    teleportAnimation(play, display, slots, 2, TeleportAppear);
}

void detonateBomb(Play& play, EffectDisplay& display, int slot) {
    Screen& screen = play.screen;
    const int x = headPixelX(play, slot);
    const int y = headPixelY(play, slot);
    copyField(screen, SurfaceOverlay, SurfacePrimary);
    // First a coloured disc grows round the head, then a black one over it.
    const int passColours[2] = {bombColour, ColourEmpty};
    for (const int colour : passColours) {
        for (int radius = 1; radius <= kBombMaxRadius; radius += 2) {
            display.markStep();
            screen.FillCircle(SurfaceOverlay, x, y, radius, colour);
            copyField(screen, SurfacePrimary, SurfaceOverlay);
            display.waitSinceMark(kBombStepMs);
        }
    }
}
