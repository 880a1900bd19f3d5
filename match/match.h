// A match: from "START" on the title to Esc on the score table.
#pragma once

#include <array>
#include <cstdint>

#include "round/round_keys.h"

struct Game;
struct Players;

struct Match {
    int32_t round = 0;                       // 0-based; shown as round + 1
    std::array<int32_t, 5> frameCounters{};  // counter k runs 0..k; never reset between rounds
    uint32_t secondStamp = 0;                // tick count when time last advanced
    int32_t time = 0;                        // whole seconds of the round
    float scoreRate = 1.0f;                  // points per second of time
    RoundKeys roundKeys;                     // what the round's rules take presses from
};

// The KEY column of the score table: turn-left, item and turn-right key of each slot. For
// 3P the characters '"', '#' and '$' stand for the Left, Down and Right arrow keys.
inline constexpr std::array<const char*, 4> keyLabels = {"QAZ", "BNM", "\"#$", "369"};

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
