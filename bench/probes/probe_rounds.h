// What both pacing probes (the desktop's and the web page's) do around the rounds they time.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "game/game.h"
#include "input/match_input.h"
#include "match/match.h"

// The value below which `fraction` of the values lie (0 for none).
inline double percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t at =
        std::min(values.size() - 1, std::size_t(fraction * double(values.size())));
    return values[at];
}

// The players still in the round.
inline int inPlayCount(const Game& game) {
    int count = 0;
    for (int slot = 0; slot < kSlots; ++slot) count += game.play.players.inPlay(slot) ? 1 : 0;
    return count;
}

// A new round with its countdown run through at once (as with Ctrl held).
inline void setUpRound(Game& game, MatchStream& stream) {
    startRound(game);
    game.devices.keyboard.pacingOn = false;
    runCountdown(game);
    game.devices.keyboard.pacingOn = true;
    game.play.itemBox.itemKind = ItemNone;
    stream.beginRound();
}
