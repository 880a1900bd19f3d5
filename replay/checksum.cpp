#include "replay/checksum.h"

#include <string_view>

#include "replay/bytes.h"

uint64_t roundChecksum(const uint8_t* pixels, int width, int height, std::size_t pitch,
                       const Scores& scores) {
    uint64_t hash = kFnvOffset;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const char*>(pixels + y * pitch);
        hash = fnv1a64(std::string_view(row, static_cast<std::size_t>(width)), hash);
    }
    for (const int32_t score : scores) {
        const auto bits = static_cast<uint32_t>(score);
        const char bytes[4] = {char(bits), char(bits >> 8), char(bits >> 16), char(bits >> 24)};
        hash = fnv1a64(std::string_view(bytes, sizeof bytes), hash);
    }
    return hash;
}
