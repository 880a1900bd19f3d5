// What the fired items do: LASER SHOT draws a wall, WARP and CHANGE move heads behind a disc
// animation, BOMB blasts a hole round the head. Each effect runs to its end inside the frame
// of the player who fired (the round stands still meanwhile) and changes nothing outside the
// field area, so the frame and the header and panel bands stay as they are.
#pragma once

#include <array>
#include <cstdint>

// Laser wall from this far ahead of the head to that far (past any edge of the field).
inline constexpr int kLaserNear = 50;
inline constexpr int kLaserFar = 1000;
inline constexpr int kWarpTries = 1000;
inline constexpr int kChangeDraws = 2000;
inline constexpr int kBombMaxRadius = 49;   // radii 1, 3, ..., 49
inline constexpr uint32_t kBombStepMs = 5;  // at least this long per disc
// The appear disc; the animated ones are odd radii below it.
inline constexpr int kTeleportRadius = 16;
inline constexpr int kTeleportFadeStep = 16;  // palette shade step, 17 steps per fade

enum TeleportPhase : int { TeleportVanish = 0, TeleportAppear = 1 };

struct Play;
class EffectDisplay;

// All take the slot of the player who fired (0..3); those that animate show their pages and
// wait through the display given.
void fireLaser(Play& play, int slot);
void warpPlayer(Play& play, EffectDisplay& display, int slot);
void changePlaces(Play& play, EffectDisplay& display, int slot);
void detonateBomb(Play& play, EffectDisplay& display, int slot);

// The disc animation round the heads of the listed slots (count 1 for WARP, 2 for CHANGE).
// Vanish saves the shown page on SurfaceSaved and ends with black discs on the field; appear
// (after the heads were moved) fades the discs in round the new positions, shrinks them, and
// restores the saved field area onto whatever page is shown at the end.
void teleportAnimation(Play& play, EffectDisplay& display, const int* slots, int count, int phase);
