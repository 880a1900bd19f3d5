// The round's frame loop, the stepping of the heads, the trail and crash test, and the
// heads themselves. Everything here reads and writes single bytes of the shown page.
#include <algorithm>

#include "game/game.h"
#include "input/pacing.h"
#include "items/explosions.h"
#include "items/item_box.h"
#include "items/meteorites.h"
#include "play/field.h"
#include "round/round.h"

namespace {

// Whether the slot steps in this frame: its speed level's counter is 0.
bool stepsThisFrame(const Players& players, const Match& match, int slot) {
    const int level = std::clamp(players.speedLevel[slot], 0, kFrameCounterCount - 1);
    return match.frameCounters[level] == 0;
}

void stepAndSteer(Game& game, int slot) {
    stepHead(game.players, game.directions, slot);
    if (game.players.type[slot] == PlayerMan) {
        steerHuman(game, slot);
    } else {
        steerComputer(game.players, game.random, game.directions, game.screen, slot);
    }
}

}  // namespace

void advanceFrameCounters(Match& match) {
    for (int k = 0; k < kFrameCounterCount; ++k) {
        match.frameCounters[k] += 1;
        if (match.frameCounters[k] > k) match.frameCounters[k] = 0;
    }
}

void stepHead(Players& players, const DirectionTables& directions, int slot) {
    // Turns keep the heading in 0..359; the wrap only guards the tables.
    const int a = wrapHeading(players.direction[slot]);
    players.x[slot] = players.x[slot] + directions.dirX[a];
    players.y[slot] = players.y[slot] + directions.dirY[a];
}

void updateTrailsAndCollisions(Play& play, Explosions& explosions) {
    Players& players = play.players;
    bool crashed[kSlots] = {false, false, false, false};
    for (int slot = 0; slot < kSlots; ++slot) {
        const int px = static_cast<int>(players.x[slot]);
        const int py = static_cast<int>(players.y[slot]);
        if (px == players.pixelX[slot] && py == players.pixelY[slot]) continue;
        players.pixelX[slot] = px;
        players.pixelY[slot] = py;
        if (!players.inPlay(slot)) continue;
        if (play.itemBox.itemKind != ItemNone && play.itemBox.square().contains(px, py)) {
            pickUpItem(play, slot);
        } else if (fieldByte(play.screen, px, py) != ColourEmpty) {
            players.alive[slot] = false;
            crashed[slot] = true;
        }
    }
    // All tests come first, so that no crash handling of this frame can kill another head.
    for (int slot = 0; slot < kSlots; ++slot) {
        if (crashed[slot]) crashPlayer(play, explosions.tables[slot], slot);
    }
}

void drawHeads(const Players& players, Screen& screen) {
    for (int slot = 0; slot < kSlots; ++slot) {
        if (!players.inPlay(slot)) continue;
        const int px = static_cast<int>(players.x[slot]);
        const int py = static_cast<int>(players.y[slot]);
        if (!kPage.contains(px, py)) continue;
        screen.FieldPixels[py * screen.FieldPitch + px] = playerColour[slot];
    }
}

RoundState playRoundFrame(Game& game, MatchStream& stream) {
    markFrameStart(game);
    const FrameInput input = readFrameInput(game, stream);
    trySpawnItemBox(game.itemBox, game.random, game.players, game.settings.itemsOn != 0, game);
    updateRoundTime(game, input.secondMark);
    advanceFrameCounters(game.match);
    for (int slot = 0; slot < kSlots; ++slot) {
        if (game.players.inPlay(slot) && stepsThisFrame(game.players, game.match, slot))
            stepAndSteer(game, slot);
        if (game.players.explosionActive[slot])
            tickExplosion(game.explosions.tables[slot], slot, game.settings.explosionType,
                          game.players, game.directions, game.screen);
    }
    if (game.settings.meteoritesOn != 0)
        stepMeteorites(game.meteorites, game.screen, game.random, game.settings, game.match.time);
    drawItemBox(game.itemBox, game.screen);
    updateTrailsAndCollisions(game, game.explosions);
    drawHeads(game.players, game.screen);
    if (checkRoundEnd(game)) return RoundState::Ended;
    if (game.match.roundKeys.take(MatchKeyEsc)) return RoundState::Abandoned;
    adjustWait(game);
    busyDelay(game, game.settings.wait);
    return RoundState::Running;
}

RoundState runRound(Game& game, MatchStream& stream) {
    const RoundRunning padsInRound(game);  // pads press their own slot's keys until it returns
    game.itemBox.itemKind = ItemNone;
    game.match.roundKeys = {};
    stream.beginRound();
    for (;;) {
        const RoundState state = playRoundFrame(game, stream);
        if (state != RoundState::Running) return state;
    }
}
