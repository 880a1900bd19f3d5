// The game's options and the settings file "dod_eved.dat": two groups of three decimal
// numbers with three raw little-endian 32-bit integers between them, no line ends.
#pragma once

#include <cstdint>
#include <string>

inline constexpr const char* kSettingsFileName = "dod_eved.dat";
// The longest record encodeSettings writes, whatever its values: two groups of three numbers
// of up to 11 characters ("-2147483648") with a blank between each, and the 12-byte block.
// Replays and network games carry the record within this.
inline constexpr std::size_t kMaxSettingsBytes = 82;

// Explosion kinds, also the index into Settings::explosionValue.
enum ExplosionType : int32_t { ExplosionBomb = 0, ExplosionCosmo = 1, ExplosionCosmo2 = 2 };

// The option menu's ranges; every loaded record is brought into them.
inline constexpr int32_t kWaitMin = 0;
inline constexpr int32_t kWaitMax = 999;
inline constexpr int32_t kBombValueMax = 100;    // explosionValue[ExplosionBomb]
inline constexpr int32_t kCosmoValueMax = 9050;  // explosionValue[ExplosionCosmo(2)]
inline constexpr int32_t kMeteoriteTimeMin = 1;  // seconds; 0 would divide by zero
inline constexpr int32_t kMeteoriteTimeMax = 999;
inline constexpr int32_t kMeteoriteValueMin = 50;
inline constexpr int32_t kMeteoriteValueMax = 9050;

struct Settings {
    int32_t wait = 1;
    int32_t itemsOn = 1;
    int32_t explosionType = ExplosionBomb;
    int32_t explosionValue[3] = {16, 150, 150};
    int32_t meteoritesOn = 0;
    int32_t meteoriteTime = 60;
    int32_t meteoriteValue = 100;

    // Reads the file over the current values; a missing file keeps them, and so does
    // anything at the path that is not a regular file (a folder, a named pipe, a device),
    // which is never waited on. What the file holds is brought into the option menu's
    // ranges, so no value can index past a table or divide by zero.
    void loadSettings(const std::string& path);
    // Writes the whole record atomically (a temporary file beside it, then a rename). False
    // when nothing could be saved, with the reason in `error` (see
    // platform::replaceFileAtomically); the previous file is then left as it was.
    bool saveSettings(const std::string& path, std::string& error) const;

    bool operator==(const Settings&) const = default;
};

// The file's bytes for a record, and a record from a file's bytes (over the values already
// in `settings`, clamped afterwards). Exposed for tests and the fuzzer.
std::string encodeSettings(const Settings& settings);
void decodeSettings(const std::string& bytes, Settings& settings);
void clampSettings(Settings& settings);
