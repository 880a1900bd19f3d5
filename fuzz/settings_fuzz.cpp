// Feeds any bytes to the settings reader: it must not crash or read out of bounds, every
// field must land in the option menu's ranges, and the record it gives must survive its own
// file unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/settings.h"

namespace {

bool inMenuRanges(const Settings& s) {
    return s.wait >= kWaitMin && s.wait <= kWaitMax && s.itemsOn >= 0 && s.itemsOn <= 1 &&
           s.explosionType >= ExplosionBomb && s.explosionType <= ExplosionCosmo2 &&
           s.explosionValue[ExplosionBomb] >= 0 &&
           s.explosionValue[ExplosionBomb] <= kBombValueMax &&
           s.explosionValue[ExplosionCosmo] >= 0 &&
           s.explosionValue[ExplosionCosmo] <= kCosmoValueMax &&
           s.explosionValue[ExplosionCosmo2] >= 0 &&
           s.explosionValue[ExplosionCosmo2] <= kCosmoValueMax && s.meteoritesOn >= 0 &&
           s.meteoritesOn <= 1 && s.meteoriteTime >= kMeteoriteTimeMin &&
           s.meteoriteTime <= kMeteoriteTimeMax && s.meteoriteValue >= kMeteoriteValueMin &&
           s.meteoriteValue <= kMeteoriteValueMax;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Settings settings;
    decodeSettings(bytes, settings);
    if (!inMenuRanges(settings)) std::abort();

    Settings again;
    decodeSettings(encodeSettings(settings), again);
    if (!(again == settings)) std::abort();
    return 0;
}
