// A replay: everything a match is a function of (its start state and its input stream),
// and after every round the checksum that proves a playback exact.
//
// The file (".dvr"), all integers little-endian; "varint" is an unsigned LEB128 number of at
// most 5 bytes in its shortest form, "zigzag" a signed number mapped to a varint:
//
//   magic            8 bytes  "DIRAVIRU"
//   format           uint16   kReplayFormat; a reader refuses a newer one
//   game version     uint8 length (at most kMaxGameVersionBytes), printable ASCII
//   random state     uint32   the random generator's state when the match started
//   frame counters   5 bytes  Match::frameCounters when the match started (counter k in 0..k)
//   settings         uint8 length (at most kMaxSettingsBytes), the settings file's bytes
//   player types     4 bytes  1P..4P: 0 nobody, 1 a person, 2 the computer
//   then, repeated:  uint8 decision
//     1 (Enter on the score table): a round follows:
//       frame bytes      varint, then that many bytes: the round's frames (below)
//       frame count      varint   every frame of the round (at most kMaxRoundFrames)
//       checksum         uint64   of the page shown and the scores when the round ended
//       scores           4 zigzag 1P..4P when the round ended
//     2 (Esc on the score table): the match ended; nothing more follows
//     0: the program was closed during the match; the rounds before it are complete
//   integrity        uint64   FNV-1a 64 of every byte before it
//
// A round's frames are its round frames and the passes of the pause on "PUSH ENTER KEY TO
// NEXT ROUND", in order. An empty frame (no key changed, the round's second did not advance)
// costs nothing: only the others are written, each as a varint header followed by its key
// changes:
//   header   gap << 2 | secondAdvanced << 1 | hasChanges, with gap the empty frames before
//            it; secondAdvanced or hasChanges is set
//   changes  when hasChanges: one byte per changed key, keys in increasing order,
//            key << 2 | isUp << 1 | moreFollow (bits 6 and 7 clear)
// Empty frames after the last written one are implied by the frame count.
//
// A file is accepted only in exactly this form, so writing what was read gives the same bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "input/match_input.h"
#include "play/player.h"
#include "settings/settings.h"

inline constexpr uint16_t kReplayFormat = 1;
inline constexpr std::size_t kMaxGameVersionBytes = 32;
inline constexpr std::size_t kMaxSettingsBytes = 128;  // the game writes at most 82
// Limits of what a file may hold; the recorder keeps within them. A round of 2^30 frames
// lasts 49 days at WAIT 1.
inline constexpr uint32_t kMaxRoundFrames = (1u << 30) - 1;
inline constexpr std::size_t kMaxReplayRounds = 65535;
inline constexpr std::size_t kMaxReplayBytes = std::size_t{64} << 20;

using FrameCounters = std::array<int32_t, kFrameCounterCount>;  // as Match::frameCounters

// What a match starts from, besides its input.
struct ReplayStart {
    std::string gameVersion;
    uint32_t randomState = 1;
    FrameCounters frameCounters{};
    Settings settings;
    std::array<int8_t, kSlots> playerTypes{};

    bool operator==(const ReplayStart&) const = default;
};

struct ReplayRound {
    std::string frames;       // encoded as in the file, without the length
    uint32_t frameCount = 0;  // every frame, the empty ones included
    uint64_t checksum = 0;
    Scores scores{};

    bool operator==(const ReplayRound&) const = default;
};

struct Replay {
    ReplayStart start;
    std::vector<ReplayRound> rounds;  // each started by Enter on the score table
    Decision end = Decision::Closed;  // EndMatch, or Closed

    bool operator==(const Replay&) const = default;
};

std::string encodeReplay(const Replay& replay);

// Reads any bytes: true with the whole replay, or false with one line saying why it is
// refused ("not a DIRAVIRU replay", "made by a newer version of the game (format N)",
// "truncated: ...", "damaged: ..."). `replay` is left unchanged when refused.
bool decodeReplay(std::string_view bytes, Replay& replay, std::string& error);

// decodeReplay on a file's bytes; also refuses a file that cannot be read or is larger than
// kMaxReplayBytes.
bool readReplayFile(const std::string& path, Replay& replay, std::string& error);

// Replaces the file at `path` with the replay, never leaving it half-written (see
// replaceFileAtomically). False, with the reason in `error`, when it could not be written.
bool writeReplayFile(const std::string& path, const Replay& replay, std::string& error);
