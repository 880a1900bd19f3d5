#include "replay/replay_work.h"

#include <algorithm>

#include "input/player_keys.h"

namespace {

// A frame's own work: stepping, steering, the trail test, the pump (about 1.1 us).
constexpr uint64_t kFrameWork = 700;
// A round's score table, set-up, countdown and checksum: about 1.5 ms.
constexpr uint64_t kRoundWork = 1'000'000;
// The frames an explosion particle can fly at most: the slowest (0.51 pixels a frame) across
// the field's diagonal, after a COSMO2 spiral.
constexpr uint64_t kParticleFrames = 1'600;
// An item fired: the effects take 0.1 ms (LASER SHOT) to 3 ms (CHANGE), 1.2 ms on average over
// the kinds a box holds, which no player chooses.
constexpr uint64_t kItemUseWork = 1'000'000;
// A box comes in one frame of 101 without a box on the field, on average: items fired in a
// round are counted as at most one in kFramesPerItemBox of its frames.
constexpr uint64_t kFramesPerItemBox = 100;
// More dots than a table holds can only come from a damaged settings file.
constexpr int32_t kMostDots = 10'000;

uint64_t dots(int32_t count) { return static_cast<uint64_t>(std::clamp(count, 0, kMostDots)); }

}  // namespace

ReplayWork::ReplayWork(const Settings& settings)
    : frameWork_(kFrameWork + (settings.meteoritesOn != 0 ? dots(settings.meteoriteValue) : 0)),
      roundWork_(kRoundWork),
      items_(settings.itemsOn != 0) {
    const int32_t type = settings.explosionType;
    if (type == ExplosionCosmo || type == ExplosionCosmo2) {
        roundWork_ += kSlots * dots(settings.explosionValue[type]) * kParticleFrames;
    }
}

void ReplayWork::beginRound() {
    done_ = total() + roundWork_;
    roundFrames_ = 0;
    itemPresses_ = 0;
}

void ReplayWork::addFrames(uint64_t count, bool roundFrames) {
    done_ += count * frameWork_;
    if (roundFrames) roundFrames_ += count;
}

void ReplayWork::addItemPresses(const FrameInput& input) {
    for (int slot = 0; slot < kSlots; ++slot) {
        if (input.change(slotKey(slot, SlotKeyItem)) == KeyChange::Down) ++itemPresses_;
    }
}

uint64_t ReplayWork::total() const {
    if (!items_) return done_;
    const uint64_t fired = std::min(itemPresses_, roundFrames_ / kFramesPerItemBox + 1);
    return done_ + fired * kItemUseWork;
}
