// A match: from "START" on the title to Esc on the score table.
#pragma once

#include <array>
#include <cstdint>

#include "input/match_input.h"
#include "play/play.h"

struct Game;

// Runs one whole match on the input given, shown to the observer (none when null); returns
// when the input ends it: Esc on the score table, or a source that closed.
void runMatch(Game& game, MatchInput& input, MatchObserver* observer);
// One round after the score table's Enter: its set-up and countdown, its frames, its pause
// when it ended; the input and the observer are told how it ended as soon as its frames are
// over, before the pause, and when the match leaves it.
void playRound(Game& game, MatchStream& stream);
// What a round ended with, as the page shows it now.
RoundResult roundResult(const Game& game);
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
