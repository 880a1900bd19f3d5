// The settings record and its file "dod_eved.dat".
//
// Layout: "%d %d %d" of wait, itemsOn, explosionType with nothing after the last digit;
// then explosionValue[0..2] as raw 32-bit little-endian integers (12 bytes); then
// "%d %d %d" of meteoritesOn, meteoriteTime, meteoriteValue, and the file ends.
//
// The first group has no terminator, so where explosionType's digits stop is not written
// down: when the low byte of explosionValue[0] is a digit code (a BOMB value of 48..57),
// the byte after the last digit looks like one more digit. The reader therefore tries each
// possible length of that number and keeps the one after which the block and the last
// group fit the rest of the file (see bestReading).
#include "settings/settings.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "platform/regular_file.h"

namespace {

constexpr std::size_t kGroupNumbers = 3;
constexpr std::size_t kBlockInts = 3;
constexpr std::size_t kIntBytes = 4;
constexpr std::size_t kBlockBytes = kBlockInts * kIntBytes;
// A 32-bit number needs at most 10 digits; trying up to 20 leaves room for leading zeros
// and keeps a file full of digits cheap to read.
constexpr std::size_t kMaxDigitsTried = 20;
// The game writes at most kMaxSettingsBytes; a file edited by hand may hold more blanks.
// Nothing past this is read.
constexpr std::size_t kMaxFileBytes = 4096;
// Large enough for "%d %d %d" of three 32-bit numbers and the terminating zero.
constexpr std::size_t kGroupTextSize = 3 * 11 + 2 + 1;
static_assert(2 * (kGroupTextSize - 1) + kBlockBytes == kMaxSettingsBytes);
// The magnitude of the most negative 32-bit number; larger numbers stop growing here.
constexpr int64_t kMagnitudeLimit = int64_t{1} << 31;

// The white space a "%d" conversion skips before its number.
bool isBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

unsigned char byteAt(const std::string& bytes, std::size_t pos) {
    return static_cast<unsigned char>(bytes[pos]);
}

std::size_t skipBlanks(const std::string& bytes, std::size_t pos) {
    while (pos < bytes.size() && isBlank(byteAt(bytes, pos))) ++pos;
    return pos;
}

// Where a "%d" conversion starting at `pos` finds its number: white space, an optional
// sign, then the run of digits [digitsBegin, digitsEnd). Not found without a digit.
struct NumberSpan {
    bool found = false;
    bool negative = false;
    std::size_t digitsBegin = 0;
    std::size_t digitsEnd = 0;
};

NumberSpan findNumber(const std::string& bytes, std::size_t pos) {
    NumberSpan span;
    pos = skipBlanks(bytes, pos);
    if (pos < bytes.size() && (bytes[pos] == '-' || bytes[pos] == '+')) {
        span.negative = bytes[pos] == '-';
        ++pos;
    }
    span.digitsBegin = pos;
    while (pos < bytes.size() && isDigit(byteAt(bytes, pos))) ++pos;
    span.digitsEnd = pos;
    span.found = span.digitsEnd > span.digitsBegin;
    return span;
}

// The value of the digits [begin, end); a number beyond 32 bits stops at the nearest
// 32-bit limit (the clamp brings it into range afterwards).
int32_t numberValue(const std::string& bytes, bool negative, std::size_t begin, std::size_t end) {
    int64_t magnitude = 0;
    for (std::size_t pos = begin; pos < end; ++pos) {
        magnitude = std::min(magnitude * 10 + (byteAt(bytes, pos) - '0'), kMagnitudeLimit);
    }
    if (negative) return static_cast<int32_t>(-magnitude);
    return static_cast<int32_t>(std::min<int64_t>(magnitude, INT32_MAX));
}

// Reads up to `count` numbers as "%d %d %d" does, from `pos` on, into `values`. Stops at
// the first conversion that fails. Returns how many were read; `pos` ends after the last.
std::size_t readNumbers(const std::string& bytes, std::size_t& pos, int32_t* values,
                        std::size_t count) {
    std::size_t read = 0;
    while (read < count) {
        const NumberSpan span = findNumber(bytes, pos);
        if (!span.found) break;
        values[read++] = numberValue(bytes, span.negative, span.digitsBegin, span.digitsEnd);
        pos = span.digitsEnd;
    }
    return read;
}

int32_t readLittleEndian(const std::string& bytes, std::size_t pos) {
    uint32_t value = 0;
    for (std::size_t i = 0; i < kIntBytes; ++i) {
        value |= static_cast<uint32_t>(byteAt(bytes, pos + i)) << (8 * i);
    }
    return static_cast<int32_t>(value);
}

void appendLittleEndian(std::string& out, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (std::size_t i = 0; i < kIntBytes; ++i) {
        out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFFu));
    }
}

void appendGroup(std::string& out, int32_t a, int32_t b, int32_t c) {
    char text[kGroupTextSize];
    const int length = std::snprintf(text, sizeof text, "%d %d %d", a, b, c);
    out.append(text, static_cast<std::size_t>(length));
}

// How the rest of the file reads when explosionType's number has `digits` digits.
struct Reading {
    std::size_t digits = 0;
    std::size_t blockRead = 0;  // complete integers of the block
    std::array<int32_t, kBlockInts> block{};
    std::size_t lastRead = 0;  // numbers of the last group
    std::array<int32_t, kGroupNumbers> last{};
    bool wholeFile = false;  // the last group is complete and only white space follows
};

Reading readAfterSplit(const std::string& bytes, std::size_t split, std::size_t digits) {
    Reading reading;
    reading.digits = digits;
    const std::size_t available = bytes.size() - split;
    reading.blockRead = std::min(kBlockInts, available / kIntBytes);
    for (std::size_t i = 0; i < reading.blockRead; ++i) {
        reading.block[i] = readLittleEndian(bytes, split + i * kIntBytes);
    }
    if (available < kBlockBytes) return reading;
    std::size_t pos = split + kBlockBytes;
    reading.lastRead = readNumbers(bytes, pos, reading.last.data(), kGroupNumbers);
    reading.wholeFile = reading.lastRead == kGroupNumbers && skipBlanks(bytes, pos) == bytes.size();
    return reading;
}

// Whether `a` explains the file better than `b`: a last group that reads to the end of the
// file first, then more numbers of the last group, then more of the block. On a tie the
// earlier (shorter) split stays, as the game writes explosionType as a single digit.
bool explainsBetter(const Reading& a, const Reading& b) {
    if (a.wholeFile != b.wholeFile) return a.wholeFile;
    if (a.lastRead != b.lastRead) return a.lastRead > b.lastRead;
    return a.blockRead > b.blockRead;
}

// Tries every length of explosionType's digit run (at least one digit) and keeps the
// reading that explains the file best. For a file the game wrote only the true length
// reads three numbers to the end: the game writes explosionType as one digit, so every
// other split is longer, and a split k bytes late starts the last group k bytes into its
// text, past the one-digit meteoritesOn, leaving at most two numbers.
Reading bestReading(const std::string& bytes, const NumberSpan& third) {
    const std::size_t run = std::min(third.digitsEnd - third.digitsBegin, kMaxDigitsTried);
    Reading best = readAfterSplit(bytes, third.digitsBegin + 1, 1);
    for (std::size_t digits = 2; digits <= run; ++digits) {
        const Reading candidate = readAfterSplit(bytes, third.digitsBegin + digits, digits);
        if (explainsBetter(candidate, best)) best = candidate;
    }
    return best;
}

// Reads the file's fields over `settings`. Fields after the first damage keep their values.
void readFields(const std::string& bytes, Settings& settings) {
    std::size_t pos = 0;
    int32_t firstTwo[2] = {};
    const std::size_t firstRead = readNumbers(bytes, pos, firstTwo, 2);
    if (firstRead > 0) settings.wait = firstTwo[0];
    if (firstRead > 1) settings.itemsOn = firstTwo[1];
    if (firstRead < 2) return;

    const NumberSpan third = findNumber(bytes, pos);
    if (!third.found) return;
    const Reading reading = bestReading(bytes, third);
    settings.explosionType =
        numberValue(bytes, third.negative, third.digitsBegin, third.digitsBegin + reading.digits);
    for (std::size_t i = 0; i < reading.blockRead; ++i) {
        settings.explosionValue[i] = reading.block[i];
    }
    int32_t* const lastFields[kGroupNumbers] = {&settings.meteoritesOn, &settings.meteoriteTime,
                                                &settings.meteoriteValue};
    for (std::size_t i = 0; i < reading.lastRead; ++i) *lastFields[i] = reading.last[i];
}

}  // namespace

std::string encodeSettings(const Settings& settings) {
    std::string out;
    appendGroup(out, settings.wait, settings.itemsOn, settings.explosionType);
    for (const int32_t value : settings.explosionValue) appendLittleEndian(out, value);
    appendGroup(out, settings.meteoritesOn, settings.meteoriteTime, settings.meteoriteValue);
    return out;
}

void decodeSettings(const std::string& bytes, Settings& settings) {
    readFields(bytes, settings);
    clampSettings(settings);
}

void clampSettings(Settings& settings) {
    for (const OptionRange& option : kOptionRanges) {
        int32_t& value = option.field(settings);
        value = std::clamp(value, option.min, option.max);
    }
}

void stepOption(Settings& settings, SettingsOption option, int delta) {
    const OptionRange& range = kOptionRanges[option];
    int32_t& value = range.field(settings);
    value += delta * range.step;
    if (value < range.min) value = range.wraps ? range.max : range.min;
    if (value > range.max) value = range.wraps ? range.min : range.max;
}

void Settings::loadSettings(const std::string& path) {
    std::string bytes;
    std::string ignored;
    // No file keeps the current values; so does anything that is not a regular file (read
    // as a damaged file with nothing in it), and it is never waited on.
    if (!platform::readRegularFile(path, kMaxFileBytes, bytes, ignored)) return;
    decodeSettings(bytes, *this);
}

bool Settings::saveSettings(const std::string& path, std::string& error) const {
    return platform::replaceFileAtomically(path, encodeSettings(*this), error);
}
