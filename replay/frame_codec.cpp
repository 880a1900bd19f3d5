#include "replay/frame_codec.h"

#include "input/player_keys.h"

namespace {

// The token header's flags, below the gap.
constexpr uint32_t kHasChanges = 1;
constexpr uint32_t kSecondMark = 2;
constexpr uint32_t kHandOver = 4;  // format 2 on

int flagBits(uint16_t format) { return format == kFirstReplayFormat ? 2 : 3; }

// A change byte: key << 2 | isUp << 1 | moreFollow.
constexpr uint8_t kMoreFollow = 1;
constexpr uint8_t kIsUp = 2;
constexpr int kKeyShift = 2;
constexpr uint8_t kUnusedBits = 0xC0;

// A hand-over byte: bit s for slot s, at least one.
constexpr uint8_t kEverySlot = (1u << kSlots) - 1;

}  // namespace

uint32_t maxFrameGap(uint16_t format) { return UINT32_MAX >> flagBits(format); }

std::size_t encodeFrameToken(uint16_t format, const FrameToken& token, uint8_t* out) {
    const FrameInput& frame = token.input;
    const bool handOver = format != kFirstReplayFormat && frame.toComputer != 0;
    const uint32_t header = token.gap << flagBits(format) | (handOver ? kHandOver : 0) |
                            (frame.secondMark ? kSecondMark : 0) |
                            (frame.changes != 0 ? kHasChanges : 0);
    std::size_t n = putVarint(header, out);
    if (handOver) out[n++] = frame.toComputer;
    // One byte per changed key, lowest key first; each but the last has kMoreFollow.
    uint8_t* previous = nullptr;
    for (int key = 0; key < kMatchKeyCount; ++key) {
        const KeyChange change = frame.change(key);
        if (change == KeyChange::None) continue;
        if (previous != nullptr) *previous |= kMoreFollow;
        previous = &out[n];
        out[n++] = static_cast<uint8_t>(key << kKeyShift | (change == KeyChange::Down ? 0 : kIsUp));
    }
    return n;
}

FrameTokenReader::Step FrameTokenReader::next(FrameToken& token) {
    if (pos_ == bytes_.size()) return Step::End;
    uint32_t header = 0;
    if (getVarint(bytes_, pos_, header) != VarintRead::Ok) return Step::Damaged;
    const uint32_t flags = header & ((1u << flagBits(format_)) - 1);
    if (flags == 0) return Step::Damaged;  // an empty frame is never written
    FrameInput frame;
    frame.secondMark = (flags & kSecondMark) != 0;
    if ((flags & kHandOver) != 0) {
        if (pos_ == bytes_.size()) return Step::Damaged;
        frame.toComputer = static_cast<uint8_t>(bytes_[pos_++]);
        if (frame.toComputer == 0 || (frame.toComputer & ~kEverySlot) != 0) return Step::Damaged;
    }
    bool more = (flags & kHasChanges) != 0;
    int lowestFree = 0;  // keys come in increasing order, each once
    while (more) {
        if (pos_ == bytes_.size()) return Step::Damaged;
        const auto byte = static_cast<uint8_t>(bytes_[pos_++]);
        const int key = byte >> kKeyShift;
        if ((byte & kUnusedBits) != 0 || key < lowestFree) return Step::Damaged;
        frame.setChange(key, (byte & kIsUp) != 0 ? KeyChange::Up : KeyChange::Down);
        lowestFree = key + 1;
        more = (byte & kMoreFollow) != 0;
    }
    token = {header >> flagBits(format_), frame};
    return Step::Token;
}
