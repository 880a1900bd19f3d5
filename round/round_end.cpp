// The round clock, the WAIT change during play, and the end of a round: the survivor's
// bonus and the pause on "PUSH ENTER KEY TO NEXT ROUND".
#include <cmath>
#include <cstdio>

#include "items/explosions.h"
#include "items/item_box.h"
#include "round/meteorites.h"
#include "round/round.h"
#include "shell/game.h"
#include "shell/pacing.h"

namespace {

constexpr uint32_t kMsPerSecond = 1000;
constexpr int kHeaderY = 16;
constexpr int kWaitDigitsX = 256;  // cell 15 of the header line
constexpr int kTimeDigitsX = 416;  // cell 25 of the header line
constexpr int kHeaderTile = 8;
constexpr int32_t kSurvivorBonus = 100;

constexpr const char* kNextRoundMessage = "PUSH ENTER KEY TO NEXT ROUND";
constexpr int kMessageTile = 7;
constexpr int kMessageWidth = 448;  // 28 cells of 16
constexpr int kMessageHeight = 16;
constexpr int kMessageX = (kScreenWidth - kMessageWidth) / 2;    // 96
constexpr int kMessageY = (kScreenHeight - kMessageHeight) / 2;  // 232

void drawHeaderNumber(Game& game, const char* format, int32_t value, int x) {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    game.screen.DrawColourText(SurfacePrimary, text, x, kHeaderY, kGlyphCell, kGlyphCell,
                               kHeaderTile);
}

int playersInPlay(const Game& game) {
    int count = 0;
    for (int slot = 0; slot < kSlots; ++slot) count += game.players.inPlay(slot) ? 1 : 0;
    return count;
}

// trunc(time * scoreRate) + 100, the product in double precision.
int32_t survivorBonus(const Match& match) {
    const double earned =
        std::trunc(static_cast<double>(match.time) * static_cast<double>(match.scoreRate));
    return static_cast<int32_t>(earned) + kSurvivorBonus;
}

// The message lies composed at the top-left of SurfaceBack; this puts it, opaque, in the
// middle of the shown page.
void showNextRoundMessage(Game& game) {
    game.screen.Copy(kMessageX, kMessageY, 0, 0, kMessageWidth, kMessageHeight, SurfacePrimary,
                     SurfaceBack);
}

// One pass of the pause: explosions and meteorites go on, nothing else moves.
void animateRoundEndPause(Game& game) {
    for (int slot = 0; slot < kSlots; ++slot) {
        if (game.players.explosionActive[slot] != 0) tickExplosion(game, slot);
    }
    drawItemBox(game);
    if (game.settings.meteoritesOn != 0) stepMeteorites(game);
    showNextRoundMessage(game);
}

}  // namespace

void updateRoundTime(Game& game, uint32_t clock) {
    Match& match = game.match;
    // Unsigned difference: a clock that wraps past 2^32 still counts right.
    if (clock - match.secondStamp < kMsPerSecond) return;
    match.time += 1;
    match.secondStamp = clock;
    drawHeaderNumber(game, "%05d", match.time, kTimeDigitsX);
}

void adjustWait(Game& game) {
    int32_t& wait = game.settings.wait;
    bool changed = false;
    if (game.match.roundKeys.take(MatchKeyPageDown)) {
        if (wait < kWaitMax) wait += 1;
        changed = true;  // redrawn even at the limit
    }
    if (game.match.roundKeys.take(MatchKeyPageUp)) {
        if (wait > kWaitMin) wait -= 1;
        changed = true;
    }
    if (changed) drawHeaderNumber(game, "%03d", wait, kWaitDigitsX);
}

bool checkRoundEnd(Game& game) {
    if (playersInPlay(game) > 1) return false;
    for (int slot = 0; slot < kSlots; ++slot) {
        if (game.players.inPlay(slot)) game.players.score[slot] += survivorBonus(game.match);
    }
    game.screen.DrawColourText(SurfaceBack, kNextRoundMessage, 0, 0, kGlyphCell, kGlyphCell,
                               kMessageTile);
    showNextRoundMessage(game);
    // An Enter still down from the round does not end the pause: it must be pressed anew.
    game.match.roundKeys.down[MatchKeyEnter] = 0;
    for (;;) {
        markFrameStart(game);
        observeFrame(game, readFrameInput(game), false);
        if (game.match.roundKeys.take(MatchKeyEnter)) return true;
        animateRoundEndPause(game);
        busyDelay(game, game.settings.wait);
    }
}
