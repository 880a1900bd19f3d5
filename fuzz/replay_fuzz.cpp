// Feeds any bytes to the replay reader: it must not crash, read out of bounds or allocate
// without bound; a refusal is one line; an accepted replay must be the file's exact content
// (written again it gives the same bytes) and must play back to its end. Each input is read
// twice: as it is, and with its last 8 bytes made the integrity check of the bytes before
// them, so that changes the check would refuse still reach the rest of the reader.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "replay/bytes.h"
#include "replay/playback.h"
#include "replay/replay.h"

namespace {

constexpr std::size_t kIntegrityBytes = 8;

// Playing back more frames than this would only slow the fuzzer down.
constexpr uint64_t kMaxFramesPlayed = 1 << 20;

// Plays every recorded frame as a match that plays exactly as recorded would: every round
// must match (a round cut short is not checked) and the match must end as the file says.
void playBack(const Replay& replay) {
    uint64_t frames = 0;
    for (const ReplayRound& round : replay.rounds) frames += round.frames.count + round.pause.count;
    if (frames > kMaxFramesPlayed) return;
    ReplayCursor cursor(replay);
    for (const ReplayRound& round : replay.rounds) {
        if (cursor.nextDecision() != Decision::NextRound) std::abort();
        for (uint32_t f = 0; f < round.frames.count; ++f) cursor.nextFrame();
        cursor.roundEnded(round.result);
        for (uint32_t f = 0; f < round.pause.count; ++f) cursor.nextFrame();
        if (cursor.checksOnLeaving()) cursor.roundLeft(round.result);
        if (cursor.firstDifferingRound() != 0) std::abort();
        if (round.cutShort != (cursor.cutShortRound() != 0)) std::abort();
    }
    if (cursor.nextDecision() != replay.end) std::abort();
}

void readAndPlay(std::string_view bytes) {
    Replay replay;
    std::string error;
    if (!decodeReplay(bytes, replay, error)) {
        if (error.empty() || error.find('\n') != std::string::npos) std::abort();
        return;
    }
    if (encodeReplay(replay) != bytes) std::abort();
    playBack(replay);
}

// The bytes with their last kIntegrityBytes replaced by the FNV-1a 64 of the others.
std::string resealed(std::string_view bytes) {
    std::string out(bytes.substr(0, bytes.size() - kIntegrityBytes));
    const uint64_t hash = fnv1a64(out);
    for (std::size_t i = 0; i < kIntegrityBytes; ++i) {
        out.push_back(static_cast<char>(hash >> (8 * i)));
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    readAndPlay(bytes);
    if (size >= kIntegrityBytes) readAndPlay(resealed(bytes));
    return 0;
}
