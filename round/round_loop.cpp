// The round's frame loop, the stepping of the heads, the trail and crash test, and the
// heads themselves. Everything here reads and writes single bytes of the shown page.
#include <algorithm>

#include "input/devices.h"
#include "input/pacing.h"
#include "items/explosions.h"
#include "items/item_box.h"
#include "items/meteorites.h"
#include "play/field.h"
#include "round/round.h"

namespace {

// Whether the slot steps in this frame: its speed level's counter is 0.
bool stepsThisFrame(const Players& players, const MatchCounters& match, int slot) {
    const int level = std::clamp(players.speedLevel[slot], 0, kFrameCounterCount - 1);
    return match.frameCounters[level] == 0;
}

void stepAndSteer(Play& play, RoundKeys& keys, EffectDisplay& display, int slot) {
    stepHead(play.players, play.directions, slot);
    if (play.players.type[slot] == PlayerMan) {
        steerHuman(play, keys, display, slot);
    } else {
        steerComputer(play.players, play.random, play.directions, play.screen, slot);
    }
}

}  // namespace

void advanceFrameCounters(MatchCounters& match) {
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

void updateTrailsAndCollisions(Play& play, EffectDisplay& display) {
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
            pickUpItem(play, display, slot);
        } else if (fieldByte(play.screen, px, py) != ColourEmpty) {
            players.alive[slot] = false;
            crashed[slot] = true;
        }
    }
    // All tests come first, so that no crash handling of this frame can kill another head.
    for (int slot = 0; slot < kSlots; ++slot) {
        if (crashed[slot]) crashPlayer(play, slot);
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

RoundState playRoundFrame(Play& play, RoundKeys& keys, EffectDisplay& display,
                          const FrameInput& input) {
    applyFrameInput(input, keys, play.players);
    trySpawnItemBox(play, display);
    updateRoundTime(play.counters, play.screen, input.secondMark);
    advanceFrameCounters(play.counters);
    for (int slot = 0; slot < kSlots; ++slot) {
        if (play.players.inPlay(slot) && stepsThisFrame(play.players, play.counters, slot))
            stepAndSteer(play, keys, display, slot);
        tickExplosion(play, slot);
    }
    stepMeteorites(play);
    drawItemBox(play.itemBox, play.screen);
    updateTrailsAndCollisions(play, display);
    drawHeads(play.players, play.screen);
    if (roundOver(play.players)) {
        paySurvivor(play.players, play.counters);
        return RoundState::Ended;
    }
    if (keys.take(MatchKeyEsc)) return RoundState::Abandoned;
    adjustWait(keys, play.settings, play.screen);
    return RoundState::Running;
}

RoundState runRound(Round& round) {
    const PadsInRound pads(round.devices);  // pads press their own slot's keys until it returns
    round.play.itemBox.itemKind = ItemNone;
    round.keys = {};
    round.stream.beginRound();
    for (;;) {
        const RoundState state = playPacedRoundFrame(round);
        if (state != RoundState::Running) return state;
    }
}

RoundState playPacedRoundFrame(Round& round) {
    markFrameStart(round.devices);
    const RoundState state =
        playRoundFrame(round.play, round.keys, round.display, round.stream.nextFrame());
    if (state == RoundState::Running) busyDelay(round.devices, round.play.settings.wait);
    return state;
}
