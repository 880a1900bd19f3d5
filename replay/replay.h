// A replay: everything a match is a function of (its start state and its input stream),
// and after every round the checksum that proves a playback exact.
//
// The file (".dvr"), all integers little-endian; "varint" is an unsigned LEB128 number of at
// most 5 bytes in its shortest form, "zigzag" a signed number mapped to a varint:
//
//   magic            8 bytes  "DIRAVIRU"
//   format           uint16   2 (kReplayFormat), or 1 (kFirstReplayFormat, still read and
//                             played); a reader refuses a newer one
//   game version     uint8 length (at most kMaxGameVersionBytes), printable ASCII
//   random state     uint32   the random generator's state when the match started
//   frame counters   5 bytes  PlayStart::frameCounters when the match started (counter k in 0..k)
//   settings         uint8 length (at most kMaxSettingsBytes), the settings file's bytes
//   player types     4 bytes  1P..4P: 0 nobody, 1 a person, 2 the computer
//   then records, each led by a uint8 kind, in the order the match read them:
//     1 round        Enter on the score table started a round, and its frames are over:
//                      frames    (below) the round's frames, up to the one it ended in
//                      checksum  uint64   of the page shown and the scores as its frames ended
//                      scores    4 zigzag 1P..4P as its frames ended
//     3 pause        right after a round that ended with one player or none left: the passes
//                    of its pause on "PUSH ENTER KEY TO NEXT ROUND", up to the Enter that
//                    ended it (or as far as they went when the program ended):
//                      frames
//     4 cut short    the round the program ended in (Pause, closing the window, a failure),
//                    as far as it was played; it has no checksum and is not checked; only
//                    right before 0:
//                      frames
//     2 end          Esc on the score table ended the match; the last record
//     0 closed       the program ended during the match; the last record
//   integrity        uint64   FNV-1a 64 of every byte before it
//
// frames: a varint byte count, that many bytes of frame tokens, then a varint frame count
// (every frame, at most kMaxRoundFrames). An empty frame (no key changed, no second mark, no
// hand-over) costs nothing: only the others are written, each as a varint header followed by
// its hand-over and its key changes:
//   header    gap << 3 | handOver << 2 | secondMark << 1 | hasChanges, with gap the empty
//             frames before it; one of the three flags is set
//   hand-over when handOver: one byte, bit s set for each slot s handed to the computer
//             (at least one, bits 4 to 7 clear)
//   changes   when hasChanges: one byte per changed key, keys in increasing order,
//             key << 2 | isUp << 1 | moreFollow (bits 6 and 7 clear)
// Empty frames after the last written one are implied by the frame count.
//
// Format 1, as the game wrote it before, differs in three things: a round record's frames
// include its pause's, and its checksum and scores are those of the moment the match left the
// round (after the pause); there are no pause and cut short records; a token header is
// gap << 2 | secondMark << 1 | hasChanges, without hand-overs.
//
// A file is accepted only in exactly this form, so writing what was read gives the same bytes
// (in its own format).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "input/match_input.h"
#include "play/play_start.h"
#include "replay/frame_codec.h"
#include "settings/settings.h"

inline constexpr std::size_t kMaxGameVersionBytes = 32;

// What a file may hold; the recorder keeps within it. A round's frames, and its pause's, are at
// most a day of play at WAIT 1 (86,400 s of 4 ms frames) each; and all it asks of a playback,
// at most kMaxReplayWork (replay/replay_work.h).
inline constexpr uint32_t kMaxRoundFrames = 21'600'000;
inline constexpr std::size_t kMaxReplayBytes = std::size_t{64} << 20;

using FrameCounters = std::array<int32_t, kFrameCounterCount>;  // as PlayStart::frameCounters

// What a match starts from, besides its input, and the version of the game that played it.
struct ReplayStart : PlayStart {
    std::string gameVersion;

    bool operator==(const ReplayStart&) const = default;
};

// A stretch of frames, encoded as in the file.
struct ReplayFrames {
    std::string bytes;   // the frame tokens, without their length
    uint32_t count = 0;  // every frame, the empty ones included

    bool operator==(const ReplayFrames&) const = default;
};

struct ReplayRound {
    ReplayFrames frames;    // format 1: with the pause's frames
    RoundResult result;     // as its frames ended (format 1: as the match left it)
    bool cutShort = false;  // the program ended in it: no result, not checked
    bool paused = false;    // `pause` holds the frames of its pause
    ReplayFrames pause;

    bool operator==(const ReplayRound&) const = default;
};

struct Replay {
    uint16_t format = kReplayFormat;
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
