// The most a playback may have to do for a replay, worked out from what the file claims: its
// rounds and frames, the item keys pressed, and what its settings let a frame and a round cost.
// A file that asks for more than kMaxReplayWork is refused as damaged, and the recorder stops
// before a match needs more, so that checking any file ends in well under a minute.
//
// The unit is one dot (a meteorite or an explosion particle) moved one frame, about 1.5 ns of
// `--play FILE --check` on the two-core machine the game is built on; the other costs are
// counted in it as measured there. kMaxReplayWork is about 25 s of the costliest frames
// (the largest meteorite showers without end). What it allows: more than a day of play at
// WAIT 1 with the default settings; two hours with the largest meteorite showers every
// second, or of people pressing item keys all the time; 300 rounds with the largest COSMO
// explosions; 18,000 rounds.
#pragma once

#include <cstdint>

#include "input/frame_input.h"
#include "settings/settings.h"

inline constexpr uint64_t kMaxReplayWork = 18'000'000'000;

class ReplayWork {
public:
    explicit ReplayWork(const Settings& settings);

    // A round begins: its score table, set-up, countdown, checksum and explosions.
    void beginRound();
    // `count` more frames of the round (roundFrames) or of its pause.
    void addFrames(uint64_t count, bool roundFrames);
    // The item keys the frame presses (in a round frame, each may fire an item).
    void addItemPresses(const FrameInput& input);

    uint64_t total() const;

private:
    uint64_t frameWork_ = 0;    // of every frame
    uint64_t roundWork_ = 0;    // of every round
    bool items_ = false;        // item boxes come
    uint64_t done_ = 0;         // the rounds before the current one, their items included
    uint64_t roundFrames_ = 0;  // of the current round
    uint64_t itemPresses_ = 0;  // in the current round
};
