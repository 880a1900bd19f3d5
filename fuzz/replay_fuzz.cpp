// Feeds any bytes to the replay reader: it must not crash, read out of bounds or allocate
// without bound; a refusal is one line; an accepted replay must be the file's exact content
// (written again it gives the same bytes) and must play back to its end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "replay/playback.h"
#include "replay/replay.h"

namespace {

// Playing back more frames than this would only slow the fuzzer down.
constexpr uint64_t kMaxFramesPlayed = 1 << 20;

void playBack(const Replay& replay) {
    uint64_t frames = 0;
    for (const ReplayRound& round : replay.rounds) frames += round.frameCount;
    if (frames > kMaxFramesPlayed) return;
    ReplayCursor cursor(replay);
    for (const ReplayRound& round : replay.rounds) {
        if (cursor.nextDecision() != Decision::NextRound) std::abort();
        for (uint32_t f = 0; f < round.frameCount; ++f) cursor.nextFrame();
        if (cursor.pastRoundEnd() || !cursor.checkRound(round.checksum, round.scores)) std::abort();
    }
    if (cursor.nextDecision() != replay.end) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Replay replay;
    std::string error;
    if (!decodeReplay(bytes, replay, error)) {
        if (error.empty() || error.find('\n') != std::string::npos) std::abort();
        return 0;
    }
    if (encodeReplay(replay) != bytes) std::abort();
    playBack(replay);
    return 0;
}
