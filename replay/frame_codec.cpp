#include "replay/frame_codec.h"

namespace {

constexpr uint32_t kHasChanges = 1;
constexpr uint32_t kSecondAdvanced = 2;
constexpr int kHeaderFlagBits = 2;

// A change byte: key << 2 | isUp << 1 | moreFollow.
constexpr uint8_t kMoreFollow = 1;
constexpr uint8_t kIsUp = 2;
constexpr int kKeyShift = 2;
constexpr uint8_t kUnusedBits = 0xC0;

}  // namespace

std::size_t encodeFrameToken(const FrameToken& token, uint8_t* out) {
    const uint32_t header = token.gap << kHeaderFlagBits |
                            (token.secondAdvanced ? kSecondAdvanced : 0) |
                            (token.changes != 0 ? kHasChanges : 0);
    std::size_t n = putVarint(header, out);
    // One byte per changed key, lowest key first; each but the last has kMoreFollow.
    const FrameInput frame{token.changes};
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
    if ((header & (kHasChanges | kSecondAdvanced)) == 0) return Step::Damaged;
    FrameInput frame;
    bool more = (header & kHasChanges) != 0;
    int lowestFree = 0;  // keys come in increasing order, each once
    while (more) {
        if (pos_ == bytes_.size()) return Step::Damaged;
        const auto byte = static_cast<uint8_t>(bytes_[pos_++]);
        const int key = byte >> kKeyShift;
        if ((byte & kUnusedBits) != 0 || key < lowestFree) return Step::Damaged;
        const KeyChange change = (byte & kIsUp) != 0 ? KeyChange::Up : KeyChange::Down;
        frame.setChange(key, change);
        lowestFree = key + 1;
        more = (byte & kMoreFollow) != 0;
    }
    token = {header >> kHeaderFlagBits, frame.changes, (header & kSecondAdvanced) != 0};
    return Step::Token;
}
