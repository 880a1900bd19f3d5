// A round's frames as a replay stores them: only the frames that are not empty, each after a
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
    uint32_t changes = 0;  // as FrameInput::changes
    bool secondAdvanced = false;

    bool empty() const { return changes == 0 && !secondAdvanced; }
};

inline constexpr std::size_t kMaxFrameTokenBytes = kMaxVarintBytes + kMatchKeyCount;
// The largest gap a token's header can carry.
inline constexpr uint32_t kMaxFrameGap = UINT32_MAX >> 2;

// Writes a token that is not empty at `out` (room for kMaxFrameTokenBytes) and returns its
// length. gap is at most kMaxFrameGap. A key's change other than None and Down is written
// as Up.
std::size_t encodeFrameToken(const FrameToken& token, uint8_t* out);

// Reads a round's encoded frames, one token at a time.
class FrameTokenReader {
public:
    enum class Step { Token, End, Damaged };

    explicit FrameTokenReader(std::string_view bytes) : bytes_(bytes) {}
    // The next token; End after the last; Damaged when the bytes are not in the exact form
    // the encoder writes.
    Step next(FrameToken& token);

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};
