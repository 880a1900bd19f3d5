// The round's frame loop, the stepping of the heads, the trail and crash test, and the
// heads themselves. Everything here reads and writes single bytes of the shown page.
#include <algorithm>

#include "items/explosions.h"
#include "items/item_box.h"
#include "round/meteorites.h"
#include "round/round.h"
#include "shell/game.h"
#include "shell/pacing.h"

namespace {

// Item box squares are 16 x 16: a head pixel inside [x, x + 15] x [y, y + 15] takes the box.
constexpr int kBoxSpan = 15;

// Whether the slot steps in this frame: its speed level's counter is 0.
bool stepsThisFrame(const Game& game, int slot) {
    const int level = std::clamp(game.players.speedLevel[slot], 0, kFrameCounterCount - 1);
    return game.match.frameCounters[level] == 0;
}

void stepAndSteer(Game& game, int slot) {
    stepHead(game, slot);
    if (game.players.type[slot] == PlayerMan) {
        steerHuman(game, slot);
    } else {
        steerComputer(game, slot);
    }
}

bool insideItemBox(const ItemBox& box, int px, int py) {
    return box.itemKind != ItemNone && px >= box.x && px <= box.x + kBoxSpan && py >= box.y &&
           py <= box.y + kBoxSpan;
}

}  // namespace

bool onPage(int x, int y) { return x >= 0 && x < kScreenWidth && y >= 0 && y < kScreenHeight; }

uint8_t fieldByte(const Game& game, int x, int y) {
    if (!onPage(x, y)) return ColourFrame;
    return game.screen.FieldPixels[y * game.screen.FieldPitch + x];
}

void advanceFrameCounters(Match& match) {
    for (int k = 0; k < kFrameCounterCount; ++k) {
        match.frameCounters[k] += 1;
        if (match.frameCounters[k] > k) match.frameCounters[k] = 0;
    }
}

void stepHead(Game& game, int slot) {
    Players& players = game.players;
    // Turns keep the heading in 0..359; the wrap only guards the tables.
    const int a = wrapHeading(players.direction[slot]);
    players.x[slot] = players.x[slot] + game.directions.dirX[a];
    players.y[slot] = players.y[slot] + game.directions.dirY[a];
}

void updateTrailsAndCollisions(Game& game) {
    Players& players = game.players;
    bool crashed[kSlots] = {false, false, false, false};
    for (int slot = 0; slot < kSlots; ++slot) {
        const int px = static_cast<int>(players.x[slot]);
        const int py = static_cast<int>(players.y[slot]);
        if (px == players.pixelX[slot] && py == players.pixelY[slot]) continue;
        players.pixelX[slot] = px;
        players.pixelY[slot] = py;
        if (!players.inPlay(slot)) continue;
        if (insideItemBox(game.itemBox, px, py)) {
            // The box is tested by its square, so its glyph pixels never kill.
            pickUpItem(game, slot);
        } else if (fieldByte(game, px, py) != ColourEmpty) {
            players.alive[slot] = 0;
            crashed[slot] = true;
        }
    }
    // All tests come first, so that no crash handling of this frame can kill another head.
    for (int slot = 0; slot < kSlots; ++slot) {
        if (crashed[slot]) crashPlayer(game, slot);
    }
}

void drawHeads(Game& game) {
    const Players& players = game.players;
    Screen& screen = game.screen;
    for (int slot = 0; slot < kSlots; ++slot) {
        if (!players.inPlay(slot)) continue;
        const int px = static_cast<int>(players.x[slot]);
        const int py = static_cast<int>(players.y[slot]);
        if (!onPage(px, py)) continue;
        screen.FieldPixels[py * screen.FieldPitch + px] = playerColour[slot];
    }
}

FrameInput readFrameInput(Game& game) {
    const FrameInput input = game.matchInput->nextFrame();
    game.match.roundKeys.apply(input);
    return input;
}

void observeFrame(Game& game, const FrameInput& input, bool secondAdvanced) {
    if (game.matchObserver != nullptr) game.matchObserver->frame(input, secondAdvanced);
}

bool playRoundFrame(Game& game) {
    markFrameStart(game);
    const FrameInput input = readFrameInput(game);
    trySpawnItemBox(game);
    const int32_t timeBefore = game.match.time;
    updateRoundTime(game, input.clock);
    observeFrame(game, input, game.match.time != timeBefore);
    advanceFrameCounters(game.match);
    for (int slot = 0; slot < kSlots; ++slot) {
        if (game.players.inPlay(slot) && stepsThisFrame(game, slot)) stepAndSteer(game, slot);
        if (game.players.explosionActive[slot] != 0) tickExplosion(game, slot);
    }
    if (game.settings.meteoritesOn != 0) stepMeteorites(game);
    drawItemBox(game);
    updateTrailsAndCollisions(game);
    drawHeads(game);
    if (checkRoundEnd(game)) return true;
    if (game.match.roundKeys.take(MatchKeyEsc)) return true;  // abandoned: no survivor bonus
    adjustWait(game);
    busyDelay(game, game.settings.wait);
    return false;
}

void runRound(Game& game) {
    const RoundRunning padsInRound(game);  // pads press their own slot's keys until it returns
    game.itemBox.itemKind = ItemNone;
    game.match.roundKeys = {};
    game.match.secondStamp = game.matchInput->beginRound();
    while (!playRoundFrame(game)) {
    }
}
