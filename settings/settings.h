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

// The ends of the options' ranges (kOptionRanges ties each to its field).
inline constexpr int32_t kWaitMin = 0;
inline constexpr int32_t kWaitMax = 999;
inline constexpr int32_t kBombValueMax = 100;    // explosionValue[ExplosionBomb]
inline constexpr int32_t kCosmoValueMax = 9050;  // explosionValue[ExplosionCosmo(2)]
inline constexpr int32_t kMeteoriteTimeMin = 1;  // seconds; 0 would divide by zero
inline constexpr int32_t kMeteoriteTimeMax = 999;
inline constexpr int32_t kMeteoriteValueMin = 50;
inline constexpr int32_t kMeteoriteValueMax = 9050;
// The option screen's steps of the larger values.
inline constexpr int32_t kCosmoValueStep = 50;
inline constexpr int32_t kMeteoriteValueStep = 50;

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
// Brings every option into its range (kOptionRanges).
void clampSettings(Settings& settings);

// The record's options, in the option screen's order; the three explosion values follow each
// other in the order of ExplosionType.
enum SettingsOption : int {
    OptionWait,
    OptionItems,
    OptionExplosionType,
    OptionBombValue,
    OptionCosmoValue,
    OptionCosmo2Value,
    OptionMeteorites,
    OptionMeteoriteTime,
    OptionMeteoriteValue,
};
inline constexpr int kSettingsOptions = 9;
static_assert(OptionCosmo2Value - OptionBombValue == ExplosionCosmo2 - ExplosionBomb);

// The explosion value that belongs to an explosion type.
constexpr SettingsOption explosionValueOption(int32_t type) {
    return static_cast<SettingsOption>(OptionBombValue + type);
}

// One option: its field, its range and how the option screen changes it. A loaded record is
// brought into the range; one step on the screen moves the value by `step`, stopping at the
// end it passes, or, where the option wraps (a switch, a choice), going round to the other.
struct OptionRange {
    int32_t& (*field)(Settings& settings);
    int32_t min;
    int32_t max;
    int32_t step;
    bool wraps;
};

inline constexpr OptionRange kOptionRanges[kSettingsOptions] = {
    {[](Settings& s) -> int32_t& { return s.wait; }, kWaitMin, kWaitMax, 1, false},
    {[](Settings& s) -> int32_t& { return s.itemsOn; }, 0, 1, 1, true},
    {[](Settings& s) -> int32_t& { return s.explosionType; }, ExplosionBomb, ExplosionCosmo2, 1,
     true},
    {[](Settings& s) -> int32_t& { return s.explosionValue[ExplosionBomb]; }, 0, kBombValueMax, 1,
     false},
    {[](Settings& s) -> int32_t& { return s.explosionValue[ExplosionCosmo]; }, 0, kCosmoValueMax,
     kCosmoValueStep, false},
    {[](Settings& s) -> int32_t& { return s.explosionValue[ExplosionCosmo2]; }, 0, kCosmoValueMax,
     kCosmoValueStep, false},
    {[](Settings& s) -> int32_t& { return s.meteoritesOn; }, 0, 1, 1, true},
    {[](Settings& s) -> int32_t& { return s.meteoriteTime; }, kMeteoriteTimeMin, kMeteoriteTimeMax,
     1, false},
    {[](Settings& s) -> int32_t& { return s.meteoriteValue; }, kMeteoriteValueMin,
     kMeteoriteValueMax, kMeteoriteValueStep, false},
};

// An option's value.
inline int32_t optionValue(const Settings& settings, SettingsOption option) {
    return kOptionRanges[option].field(const_cast<Settings&>(settings));  // only read
}
// Moves the option `delta` steps (-1 or +1) within its range (see OptionRange).
void stepOption(Settings& settings, SettingsOption option, int delta);
