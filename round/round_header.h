// The header line above the field, "ROUND 01  WAIT 001  TIME 00000": composed whole when a
// round is set up; during the round its WAIT and TIME numbers are redrawn in place on the
// shown page.
#pragma once

#include <cstdint>

#include "display/screen.h"

// round is 0-based and shown as round + 1.
void drawRoundHeader(Screen& screen, SurfaceId surface, int32_t round, int32_t wait, int32_t time);
void drawHeaderWait(Screen& screen, int32_t wait);
void drawHeaderTime(Screen& screen, int32_t time);
