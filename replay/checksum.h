// The checksum of a round's end, kept in a replay and compared on playback (and between the
// machines of a network game): FNV-1a 64 over the page shown, row by row, followed by the
// four scores as little-endian 32-bit integers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "replay/replay.h"

// `pixels` is the page's top-left pixel; rows are `pitch` bytes apart, of which the first
// `width` count.
uint64_t roundChecksum(const uint8_t* pixels, int width, int height, std::size_t pitch,
                       const Scores& scores);
