// The round clock, the WAIT change during play, and the end of a round: the survivor's
// bonus and the pause on "PUSH ENTER KEY TO NEXT ROUND".
#include <cmath>
#include <string_view>

#include "game/game.h"
#include "input/pacing.h"
#include "items/explosions.h"
#include "items/item_box.h"
#include "items/meteorites.h"
#include "round/round.h"
#include "round/round_header.h"

namespace {

constexpr int32_t kSurvivorBonus = 100;

constexpr const char* kNextRoundMessage = "PUSH ENTER KEY TO NEXT ROUND";
constexpr int kMessageWidth =
    kGlyphCell * static_cast<int>(std::string_view(kNextRoundMessage).size());
constexpr int kMessageX = static_cast<int>(centredX(1, kMessageWidth));
constexpr int kMessageY = static_cast<int>(centredY(kGlyphCell));

// trunc(time * scoreRate) + 100, the product in double precision.
int32_t survivorBonus(const Match& match) {
    const double earned =
        std::trunc(static_cast<double>(match.time) * static_cast<double>(match.scoreRate));
    return static_cast<int32_t>(earned) + kSurvivorBonus;
}

// The message lies composed at the top-left of SurfaceBack; this puts it, opaque, in the
// middle of the shown page.
void showNextRoundMessage(Game& game) {
    game.screen.Copy(kMessageX, kMessageY, 0, 0, kMessageWidth, kGlyphCell, SurfacePrimary,
                     SurfaceBack);
}

// One pass of the pause: explosions and meteorites go on, nothing else moves.
void animateRoundEndPause(Game& game) {
    for (int slot = 0; slot < kSlots; ++slot) {
        if (game.players.explosionActive[slot])
            tickExplosion(game.explosions.tables[slot], slot, game.settings.explosionType,
                          game.players, game.directions, game.screen);
    }
    drawItemBox(game.itemBox, game.screen);
    if (game.settings.meteoritesOn != 0)
        stepMeteorites(game.meteorites, game.screen, game.random, game.settings, game.match.time);
    showNextRoundMessage(game);
}

}  // namespace

void updateRoundTime(Game& game, bool secondMark) {
    if (!secondMark) return;
    game.match.time += 1;
    drawHeaderTime(game.screen, game.match.time);
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
    if (changed) drawHeaderWait(game.screen, wait);
}

bool checkRoundEnd(Game& game) {
    if (game.players.inPlayCount() > 1) return false;
    for (int slot = 0; slot < kSlots; ++slot) {
        if (game.players.inPlay(slot)) game.players.score[slot] += survivorBonus(game.match);
    }
    return true;
}

void runRoundEndPause(Game& game, MatchStream& stream) {
    const RoundRunning padsInPause(game);  // Start on a pad is Enter here too
    game.screen.DrawColourText(SurfaceBack, kNextRoundMessage, 0, 0, kGlyphCell, kGlyphCell,
                               kTextTile);
    showNextRoundMessage(game);
    // An Enter still down from the round does not end the pause: it must be pressed anew.
    game.match.roundKeys.down[MatchKeyEnter] = 0;
    for (;;) {
        markFrameStart(game);
        readFrameInput(game, stream);
        if (game.match.roundKeys.take(MatchKeyEnter)) return;
        animateRoundEndPause(game);
        busyDelay(game, game.settings.wait);
    }
}
