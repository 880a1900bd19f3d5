// Input as a match's players make it, for recording: people tapping and holding their keys,
// the round's second advancing every 250 frames (WAIT 1), computer players pressing nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "input/frame_input.h"
#include "replay/recorder.h"
#include "replay/replay.h"

struct PlayedFrame {
    FrameInput input;  // the clock is left 0: a replay keeps only the marks
    bool secondAdvanced = false;
};

inline constexpr int kFramesPerSecond = 250;  // 4 ms frames at WAIT 1

// `frames` frames of a round with `people` persons (slots 0..people-1). Each taps one of its
// keys every 0.2 to 0.6 s and holds it 50 to 250 ms, or now and then 0.4 to 1.5 s with the
// keyboard's auto-repeat (a Down every 33 ms after 400 ms). The last frame presses Enter.
inline std::vector<PlayedFrame> playedRound(int frames, int people, uint32_t seed) {
    constexpr uint32_t kFrameMs = 4, kRepeatDelayMs = 400, kRepeatMs = 33;
    auto random = [&seed](uint32_t lo, uint32_t hi) {
        seed = seed * 1103515245u + 12345u;
        return lo + (seed >> 8) % (hi - lo + 1);
    };
    struct Hand {
        int key = -1;  // the key held, -1 for none
        uint32_t nextPress = 0, release = 0, nextRepeat = 0;
    };
    std::vector<Hand> hands(people);
    for (Hand& hand : hands) hand.nextPress = random(0, 600);
    std::vector<PlayedFrame> round(frames);
    for (int i = 0; i < frames; ++i) {
        const uint32_t now = i * kFrameMs;
        FrameInput& input = round[i].input;
        for (int p = 0; p < people; ++p) {
            Hand& hand = hands[p];
            if (hand.key >= 0 && now >= hand.release) {
                input.setChange(hand.key, KeyChange::Up);
                hand.key = -1;
                hand.nextPress = now + random(200, 600);
            } else if (hand.key >= 0 && now >= hand.nextRepeat) {
                input.setChange(hand.key, KeyChange::Down);
                hand.nextRepeat += kRepeatMs;
            } else if (hand.key < 0 && now >= hand.nextPress) {
                hand.key = slotKey(p, static_cast<int>(random(0, kKeysPerSlot - 1)));
                input.setChange(hand.key, KeyChange::Down);
                hand.release = now + (random(0, 9) == 0 ? random(400, 1500) : random(50, 250));
                hand.nextRepeat = now + kRepeatDelayMs;
            }
        }
        round[i].secondAdvanced = (i + 1) % kFramesPerSecond == 0;
    }
    round.back().input.setChange(MatchKeyEnter, KeyChange::Down);
    return round;
}

// Where a match starts: two people (1P, 2P) against two computer players.
inline ReplayStart playedStart() {
    ReplayStart start;
    start.gameVersion = "1.0";
    start.randomState = 0x1234ABCDu;
    start.frameCounters = {0, 1, 2, 0, 4};
    start.settings.wait = 1;
    start.settings.meteoritesOn = 1;
    start.playerTypes = {PlayerMan, PlayerMan, PlayerCom, PlayerCom};
    return start;
}

// The checksum and scores a round of recordedMatch ends with.
inline uint64_t playedChecksum(int round) { return 0x9E3779B97F4A7C15ull * (round + 1); }
inline Scores playedScores(int round) { return {10 * round, 140 + round, -3, 0}; }

// A match recorded from `rounds`; `ended`: Esc on the score table after the last one.
inline Replay recordedMatch(const std::vector<std::vector<PlayedFrame>>& rounds, bool ended) {
    ReplayRecorder recorder(playedStart());
    for (std::size_t r = 0; r < rounds.size(); ++r) {
        recorder.beginRound();
        for (const PlayedFrame& frame : rounds[r]) recorder.frame(frame.input, frame.secondAdvanced);
        recorder.endRound(playedChecksum(r), playedScores(r));
    }
    if (ended) recorder.endMatch();
    return recorder.replay();
}
