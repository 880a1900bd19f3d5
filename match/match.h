// A match: from "START" on the title to Esc on the score table.
#pragma once

#include <array>
#include <cstdint>

#include "play/play.h"

struct Game;

// Runs one whole match; returns when the players end it with Esc on the score table.
void runMatch(Game& game);
// Each slot's rank: 1 plus the number of present slots with a strictly greater score, so
// equal scores share a rank and the next rank skips. Only present slots are counted; the
// ranks of NON slots are meaningless.
std::array<int32_t, 4> computeRanks(const Players& players);
// Composes the score table on SurfacePage and shows it.
void drawScoreTable(Game& game);
// Prepares SurfacePage and every slot's state for a new round.
void startRound(Game& game);
// "3", "2", "1", "START", 900 ms each; leaves the round's page shown and FieldPixels on it.
void runCountdown(Game& game);
