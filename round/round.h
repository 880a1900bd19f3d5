// Round play: a frame's rules in their fixed order, movement, trails and the crash test; human
// and computer steering; the round clock, the in-round WAIT change, the end test and the
// survivor bonus; and the loops that run a round's frames and the pause after it. The shown
// page's own bytes (FieldPixels / FieldPitch) are both picture and collision map.
//
// The rules take the state of play (Play) or less, and the input of one frame; item effects
// show their pages and wait through an EffectDisplay. Only the loops take the Devices: they
// pace the frames, read the frames' input from the match's stream and let the pads play.
#pragma once

#include <cstdint>

#include "input/match_input.h"
#include "play/play.h"
#include "round/round_display.h"
#include "round/round_keys.h"

struct Devices;
class EffectDisplay;

// What lookAhead returns when nothing solid lies within its reach.
inline constexpr int8_t kLookClear = 100;

// How a round's frames stand after a frame.
enum class RoundState : uint8_t {
    Running,
    Ended,      // at most one player left; the survivor is paid
    Abandoned,  // Esc: no survivor bonus
};

// --- a round in play --------------------------------------------------------------------
// What a round's loops work with, made by the match for each round after its countdown: the
// state of play, the Devices that pace the frames and let the pads play their slots, the
// match's stream its frames read, what its item effects show pages through, and the round's
// own key table, which only the frames' input fills.
struct Round {
    Round(Play& play, Devices& devices, MatchStream& stream)
        : play(play), devices(devices), stream(stream), display(devices) {}

    Play& play;
    Devices& devices;
    MatchStream& stream;
    RoundDisplay display;
    RoundKeys keys;
};

// Plays the round's frames from the first; returns when at most one player is left (Ended,
// the survivor paid) or at once when Esc was pressed (Abandoned, no bonus).
RoundState runRound(Round& round);
// The pause after a round that ended: "PUSH ENTER KEY TO NEXT ROUND" while explosions and
// meteorites go on, one input a pass, until Enter.
void runRoundEndPause(Round& round);
// One frame as runRound plays it: its start marked, its input read and played, then WAIT's
// delay while the round goes on.
RoundState playPacedRoundFrame(Round& round);

// --- the rules of a frame ----------------------------------------------------------------
// A frame's input: its key changes go into the round's key table, and a slot handed to the
// computer is the computer's from now on.
void applyFrameInput(const FrameInput& input, RoundKeys& keys, Players& players);
// A present slot handed to the computer becomes COM (bit s: slot s); NON stays NON.
void handOverToComputer(Players& players, uint8_t slots);
// One frame of the round on its input, in the round's fixed order.
RoundState playRoundFrame(Play& play, RoundKeys& keys, EffectDisplay& display,
                          const FrameInput& input);
// One pass of the pause on its input: true when Enter ends the pause; otherwise explosions and
// meteorites go on and the message shows again.
bool playPauseFrame(Play& play, RoundKeys& keys, const FrameInput& input);

// Counter k (0..4) runs 0, 1, ..., k, 0, ...: one advance per frame.
void advanceFrameCounters(MatchCounters& match);
// One unit step along the slot's heading: x first, then y, each a float addition.
void stepHead(Players& players, const DirectionTables& directions, int slot);
// The new-pixel test of every head, in slot order: item pickup, or crash on a solid pixel;
// then crashPlayer for every slot that crashed, in slot order.
void updateTrailsAndCollisions(Play& play, EffectDisplay& display);
// Writes every living player's head pixel into the field.
void drawHeads(const Players& players, Screen& screen);

// A heading brought into 0..359.
int32_t wrapHeading(int32_t direction);
// The turning arithmetic: exactly 30 degrees, headings kept in 0..359.
int32_t turnedLeft(int32_t direction);
int32_t turnedRight(int32_t direction);
// A human player's three keys: turn left, turn right, fire the top held item.
void steerHuman(Play& play, RoundKeys& keys, EffectDisplay& display, int slot);
// A computer player: turns toward the freer side when the way ahead is blocked.
void steerComputer(Players& players, Random& random, const DirectionTables& directions,
                   const Screen& screen, int slot);
// Unit steps (1..limit-1) along direction + angleOffset to the first solid pixel, or
// kLookClear when there is none.
int8_t lookAhead(const Players& players, const DirectionTables& directions, const Screen& screen,
                 int slot, int angleOffset, int limit);

// Counts a second of round time in a frame whose input marks one, and shows it.
void updateRoundTime(MatchCounters& match, Screen& screen, bool secondMark);
// Page Down makes the game slower (WAIT + 1), Page Up faster (WAIT - 1); shows the value.
void adjustWait(RoundKeys& keys, Settings& settings, Screen& screen);
// True once at most one player is left in play: the round's frames are over.
bool roundOver(const Players& players);
// Pays the player still in play, if any, the survivor's bonus.
void paySurvivor(Players& players, const MatchCounters& match);
