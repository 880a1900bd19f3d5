// Round play: the per-frame loop, movement, trails and the crash test; human and computer
// steering; the round clock, the in-round WAIT change, the end test and the survivor bonus.
// The shown page's own bytes (FieldPixels / FieldPitch) are both picture and collision map.
#pragma once

#include <cstdint>

#include "input/frame_input.h"
#include "play/play.h"

struct Game;
struct Explosions;

// What lookAhead returns when nothing solid lies within its reach.
inline constexpr int8_t kLookClear = 100;

// Reads the frame's one input from the match's source (Game::matchInput) into the round's
// key table. Every round frame and every pass of the round-end pause calls it at its start.
FrameInput readFrameInput(Game& game);
// Shows the frame's input to the match's observer, if any.
void observeFrame(Game& game, const FrameInput& input, bool secondAdvanced);

// Plays one round from its first frame; the round clock starts at the source's start clock. returns
// when the round has ended and Enter was pressed at "PUSH ENTER KEY TO NEXT ROUND", or at once when
// Esc was pressed (no bonus).
void runRound(Game& game);
// One frame of the round, in the round's fixed order. True when the round is over (ended
// and Enter pressed, or abandoned with Esc).
bool playRoundFrame(Game& game);

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

// Counts a second of round time once 1000 ms have passed since the last one by the frame's
// clock, and shows it.
void updateRoundTime(Game& game, uint32_t clock);
// Page Down makes the game slower (WAIT + 1), Page Up faster (WAIT - 1); shows the value.
void adjustWait(Game& game);
// False while two or more players are in play. Otherwise pays the survivor, shows "PUSH
// ENTER KEY TO NEXT ROUND" while explosions and meteorites go on, and returns true once
// Enter is pressed.
bool checkRoundEnd(Game& game);
