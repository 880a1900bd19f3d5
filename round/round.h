// Round play: the per-frame loop, movement, trails and the crash test; human and computer
// steering; the round clock, the in-round WAIT change, the end test and the survivor bonus.
// The shown page's own bytes (FieldPixels / FieldPitch) are both picture and collision map.
#pragma once

#include <cstdint>

#include "input/match_input.h"
#include "play/play.h"

struct Game;
struct Explosions;

// What lookAhead returns when nothing solid lies within its reach.
inline constexpr int8_t kLookClear = 100;

// How a round's frames stand after a frame.
enum class RoundState : uint8_t {
    Running,
    Ended,      // at most one player left; the survivor is paid
    Abandoned,  // Esc: no survivor bonus
};

// Reads the frame's one input from the match's stream: its key changes go into the round's
// key table, and a slot handed to the computer is the computer's from now on. Every round
// frame and every pass of the round-end pause calls it at its start.
FrameInput readFrameInput(Game& game, MatchStream& stream);
// A present slot handed to the computer becomes COM (bit s: slot s); NON stays NON.
void handOverToComputer(Players& players, uint8_t slots);

// Plays a round's frames from the first; returns when at most one player is left (Ended, the
// survivor paid) or at once when Esc was pressed (Abandoned, no bonus).
RoundState runRound(Game& game, MatchStream& stream);
// One frame of the round, in the round's fixed order.
RoundState playRoundFrame(Game& game, MatchStream& stream);
// The pause after a round that ended: "PUSH ENTER KEY TO NEXT ROUND" while explosions and
// meteorites go on, one input a pass, until Enter.
void runRoundEndPause(Game& game, MatchStream& stream);

// Counter k (0..4) runs 0, 1, ..., k, 0, ...: one advance per frame.
void advanceFrameCounters(Match& match);
// One unit step along the slot's heading: x first, then y, each a float addition.
void stepHead(Players& players, const DirectionTables& directions, int slot);
// The new-pixel test of every head, in slot order: item pickup, or crash on a solid pixel;
// then crashPlayer for every slot that crashed, in slot order.
void updateTrailsAndCollisions(Play& play, Explosions& explosions);
// Writes every living player's head pixel into the field.
void drawHeads(const Players& players, Screen& screen);

// A heading brought into 0..359.
int32_t wrapHeading(int32_t direction);
// The turning arithmetic: exactly 30 degrees, headings kept in 0..359.
int32_t turnedLeft(int32_t direction);
int32_t turnedRight(int32_t direction);
// A human player's three keys: turn left, turn right, fire the top held item.
void steerHuman(Game& game, int slot);
// A computer player: turns toward the freer side when the way ahead is blocked.
void steerComputer(Players& players, Random& random, const DirectionTables& directions,
                   const Screen& screen, int slot);
// Unit steps (1..limit-1) along direction + angleOffset to the first solid pixel, or
// kLookClear when there is none.
int8_t lookAhead(const Players& players, const DirectionTables& directions, const Screen& screen,
                 int slot, int angleOffset, int limit);

// Counts a second of round time in a frame whose input marks one, and shows it.
void updateRoundTime(Game& game, bool secondMark);
// Page Down makes the game slower (WAIT + 1), Page Up faster (WAIT - 1); shows the value.
void adjustWait(Game& game);
// False while two or more players are in play. Otherwise pays the survivor (if any) and
// returns true: the round is over.
bool checkRoundEnd(Game& game);
