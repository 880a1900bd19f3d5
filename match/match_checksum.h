// The checksum that proves two plays of a round ended alike (replays and network games compare
// it): FNV-1a 64 over the shown page's 640 x 480 bytes row by row, then the four scores as
// little-endian int32.
#pragma once

#include <cstdint>

#include "input/match_input.h"

class Screen;

uint64_t matchChecksum(const Screen& screen, const Scores& scores);
