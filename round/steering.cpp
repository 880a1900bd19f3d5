// Human and computer steering. Both only ever turn by 30 degrees; a turn takes effect at
// the player's next step, since steering runs right after the step.
#include "items/item_box.h"
#include "play/field.h"
#include "round/round.h"

namespace {

constexpr int32_t kTurn = 30;
constexpr int kAheadLimit = 16;          // looks at steps 1..15 straight ahead
constexpr int kSideLimit = 15;           // looks at steps 1..14 to either side
constexpr int32_t kRandomTurnOdds = 50;  // randomRange(0, 50) == 0: one chance in 51
constexpr int32_t kStraightRedraw = 50;  // clear steps in a row before a new side is drawn

void turnLeft(Players& players, int slot) {
    players.direction[slot] = turnedLeft(players.direction[slot]);
}

void turnRight(Players& players, int slot) {
    players.direction[slot] = turnedRight(players.direction[slot]);
}

int32_t drawTurnSide(Random& random) { return random.randomRange(0, 1); }

}  // namespace

// (direction + 30) mod 360 and direction - 30 (+ 360 when negative); the wrap also brings
// any stray heading back into 0..359.
int32_t wrapHeading(int32_t direction) {
    const int32_t a = direction % 360;
    return a < 0 ? a + 360 : a;
}

int32_t turnedLeft(int32_t direction) { return wrapHeading(direction + kTurn); }

int32_t turnedRight(int32_t direction) { return wrapHeading(direction - kTurn); }

void steerHuman(Play& play, RoundKeys& keys, EffectDisplay& display, int slot) {
    // Each key by itself: both turn keys together turn left and back right again.
    if (keys.take(slotKey(slot, SlotKeyTurnLeft))) turnLeft(play.players, slot);
    if (keys.take(slotKey(slot, SlotKeyTurnRight))) turnRight(play.players, slot);
    // With nothing held the press is simply used up.
    if (keys.take(slotKey(slot, SlotKeyItem)) && play.players.itemCount[slot] > 0) {
        useItem(play, display, slot);
    }
}

void steerComputer(Players& players, Random& random, const DirectionTables& directions,
                   const Screen& screen, int slot) {
    int8_t ahead = lookAhead(players, directions, screen, slot, 0, kAheadLimit);
    if (ahead == kLookClear && random.randomRange(0, kRandomTurnOdds) == 0) {
        ahead = 1;  // turn although the way is clear
        players.comTurnSide[slot] = drawTurnSide(random);
    }
    if (ahead == kLookClear) {
        players.comStraightCount[slot] += 1;
        if (players.comStraightCount[slot] >= kStraightRedraw) {
            players.comStraightCount[slot] = 0;
            players.comTurnSide[slot] = drawTurnSide(random);
        }
        return;
    }
    const int8_t right = lookAhead(players, directions, screen, slot, -kTurn, kSideLimit);
    const int8_t left = lookAhead(players, directions, screen, slot, kTurn, kSideLimit);
    if (right > left) {
        turnRight(players, slot);
    } else if (right < left) {
        turnLeft(players, slot);
    } else if (players.comTurnSide[slot] == 1) {
        turnLeft(players, slot);
    } else {
        turnRight(players, slot);
    }
    players.comStraightCount[slot] = 0;
}

int8_t lookAhead(const Players& players, const DirectionTables& directions, const Screen& screen,
                 int slot, int angleOffset, int limit) {
    const int a = wrapHeading(players.direction[slot] + angleOffset);
    const double stepX = directions.dirX[a];
    const double stepY = directions.dirY[a];
    const float x = players.x[slot];
    const float y = players.y[slot];
    const int headX = static_cast<int>(x);
    const int headY = static_cast<int>(y);
    for (int s = 1; s < limit; ++s) {
        // Products and sums in double precision, each point rounded to a float.
        const float px = static_cast<float>(stepX * s + static_cast<double>(x));
        const float py = static_cast<float>(stepY * s + static_cast<double>(y));
        const int cx = static_cast<int>(px);
        const int cy = static_cast<int>(py);
        if (cx == headX && cy == headY) continue;  // still in the head's own pixel
        if (fieldByte(screen, cx, cy) != ColourEmpty) return static_cast<int8_t>(s);
    }
    return kLookClear;
}
