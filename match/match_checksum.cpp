#include "match/match_checksum.h"

#include <string_view>

#include "display/screen.h"
#include "replay/bytes.h"

uint64_t matchChecksum(const Screen& screen, const Scores& scores) {
    const uint8_t* page = screen.Pixels(SurfacePrimary);
    uint64_t hash = kFnvOffset;
    for (int y = 0; y < kScreenHeight; ++y) {
        const auto* row = reinterpret_cast<const char*>(page + y * kSurfacePitch);
        hash = fnv1a64(std::string_view(row, kScreenWidth), hash);
    }
    for (const int32_t score : scores) {
        char bytes[4];
        for (int i = 0; i < 4; ++i)
            bytes[i] = static_cast<char>(static_cast<uint32_t>(score) >> (8 * i));
        hash = fnv1a64(std::string_view(bytes, sizeof bytes), hash);
    }
    return hash;
}
