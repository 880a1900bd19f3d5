// What a match starts from besides its input; play.h takes it from the state of play and
// sets it there.
#pragma once

#include <array>
#include <cstdint>

#include "play/player.h"
#include "settings/settings.h"

// What a match starts from besides its input: the settings, the generator, the frame
// counters and the players' types. A recording keeps it; a replay and a joined machine start
// their match from it.
struct PlayStart {
    uint32_t randomState = 1;
    std::array<int32_t, kFrameCounterCount> frameCounters{};
    Settings settings;
    std::array<int8_t, kSlots> playerTypes{};

    bool operator==(const PlayStart&) const = default;
};
