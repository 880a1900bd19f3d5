// A stretch of frames as a replay stores it: only the frames that are not empty, each after a
// count of the empty ones before it (the layout is in replay/replay.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "input/frame_input.h"
#include "replay/bytes.h"

// One frame that is not empty, after `gap` empty ones.
struct FrameToken {
    uint32_t gap = 0;
    FrameInput input;
};

// Format 1 knows key changes and second marks; format 2 adds hand-overs to the computer.
inline constexpr uint16_t kFirstReplayFormat = 1;
inline constexpr uint16_t kReplayFormat = 2;

inline constexpr std::size_t kMaxFrameTokenBytes = kMaxVarintBytes + 1 + kMatchKeyCount;

// The largest gap a token's header can carry in `format`.
uint32_t maxFrameGap(uint16_t format);

// Writes a token whose input is not empty at `out` (room for kMaxFrameTokenBytes) and returns
// its length. The gap is at most maxFrameGap(format); format 1 writes no hand-over. A key's
// change other than None and Down is written as Up.
std::size_t encodeFrameToken(uint16_t format, const FrameToken& token, uint8_t* out);

// Reads encoded frames, one token at a time.
class FrameTokenReader {
public:
    enum class Step { Token, End, Damaged };

    FrameTokenReader(uint16_t format, std::string_view bytes) : format_(format), bytes_(bytes) {}
    // The next token; End after the last; Damaged when the bytes are not in the exact form
    // the encoder writes.
    Step next(FrameToken& token);

private:
    uint16_t format_;
    std::string_view bytes_;
    std::size_t pos_ = 0;
};
