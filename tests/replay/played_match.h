// Input as a match's players make it, for recording: people tapping and holding their keys,
// the round's second advancing every 250 frames (WAIT 1), computer players pressing nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "replay/recorder.h"

// A round's frames, then the passes of its pause (the last one presses Enter).
struct PlayedRound {
    std::vector<FrameInput> frames;
    std::vector<FrameInput> pause;
};

inline constexpr int kFramesPerSecond = 250;  // 4 ms frames at WAIT 1

// Each person presses one of its keys every 0.2 to 0.6 s and holds it 50 to 250 ms, or one
// time in ten 0.4 to 1.5 s with the keyboard's auto-repeat (a Down every 33 ms after 400 ms).
// The pause lasts `pauseFrames`, the last of them pressing Enter.
inline PlayedRound playedRound(int frames, int people, uint32_t seed, int pauseFrames = 500) {
    auto random = [&seed](uint32_t lo, uint32_t hi) {
        seed = seed * 1103515245u + 12345u;
        return lo + (seed >> 8) % (hi - lo + 1);
    };
    struct Hand {
        int key = -1;
        uint32_t next = 0, release = UINT32_MAX;
    };  // next: Down
    std::vector<Hand> hands(people);
    std::vector<FrameInput> round(frames);
    for (int i = 0; i < frames; ++i) {
        for (int p = 0; p < people; ++p) {
            Hand& h = hands[p];
            const uint32_t now = 4 * i;
            if (now >= h.release) {
                round[i].setChange(h.key, KeyChange::Up);
                h = {-1, now + random(200, 600)};
            } else if (now >= h.next) {
                const bool press = h.key < 0;
                if (press) h = {slotKey(p, random(0, 2)), now + 400 - 33, now + random(50, 250)};
                if (press && random(0, 9) == 0) h.release += random(350, 1250);
                h.next += 33;
                round[i].setChange(h.key, KeyChange::Down);
            }
        }
        round[i].secondMark = (i + 1) % kFramesPerSecond == 0;
    }
    std::vector<FrameInput> pause(pauseFrames);
    if (pauseFrames > 0) pause.back().setChange(MatchKeyEnter, KeyChange::Down);
    return {round, pause};
}

// Where a match starts: two people (1P, 2P) against two computer players.
inline ReplayStart playedStart() {
    return {{0x1234ABCDu,
             {0, 1, 2, 0, 4},
             Settings{.meteoritesOn = 1},
             {PlayerMan, PlayerMan, PlayerCom, PlayerCom}},
            "1.0"};
}

// How round r (0-based) ends.
inline RoundResult playedResult(int r) {
    return {0x9E3779B97F4A7C15ull * (r + 1), {10 * r, 140 + r, -3, 0}};
}

// Round r of `rounds` as a recorder sees it.
inline void recordRound(ReplayRecorder& recorder, const PlayedRound& round, int r) {
    recorder.decided(Decision::NextRound);
    for (const FrameInput& f : round.frames) recorder.frame(f);
    recorder.roundEnded(playedResult(r));
    for (const FrameInput& f : round.pause) recorder.frame(f);
    recorder.roundLeft();
}

// A match recorded from `rounds`; `ended`: Esc on the score table after the last one.
inline Replay recordedMatch(const std::vector<PlayedRound>& rounds, bool ended) {
    ReplayRecorder recorder(playedStart());
    for (int r = 0; r < static_cast<int>(rounds.size()); ++r) recordRound(recorder, rounds[r], r);
    if (ended) recorder.decided(Decision::EndMatch);
    return recorder.replay();
}
