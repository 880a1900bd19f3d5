// The game's options and the settings file "dod_eved.dat": two groups of three decimal
// numbers with three raw little-endian 32-bit integers between them, no line ends.
#pragma once

#include <cstdint>
#include <string>

inline constexpr const char* kSettingsFileName = "dod_eved.dat";

// Explosion kinds, also the index into Settings::explosionValue.
enum ExplosionType : int32_t { ExplosionBomb = 0, ExplosionCosmo = 1, ExplosionCosmo2 = 2 };

struct Settings {
    int32_t wait = 1;
    int32_t itemsOn = 1;
    int32_t explosionType = ExplosionBomb;
    int32_t explosionValue[3] = {16, 150, 150};
    int32_t meteoritesOn = 0;
    int32_t meteoriteTime = 60;
    int32_t meteoriteValue = 100;

    // Reads the file over the current values; a missing file keeps them. What the file holds
    // is brought into the option menu's ranges, so no value can index past a table or
    // divide by zero.
    void loadSettings(const std::string& path);
    // Writes the whole record atomically (a temporary file beside it, then a rename).
    // False when nothing could be saved; the previous file is then left as it was.
    bool saveSettings(const std::string& path) const;

    bool operator==(const Settings&) const = default;
};

// The file's bytes for a record, and a record from a file's bytes (over the values already
// in `settings`, clamped afterwards). Exposed for tests and the fuzzer.
std::string encodeSettings(const Settings& settings);
void decodeSettings(const std::string& bytes, Settings& settings);
void clampSettings(Settings& settings);
