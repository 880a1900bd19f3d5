#include "platform/sdl_icon.h"

#include <cstddef>
#include <cstdint>

namespace platform {

namespace {

// Four trails crossing a walled field at a slant, each led by its head (the 2 x 2 block).
// One letter a cell; a head is its trail's letter in capitals.
constexpr int kArtSize = 16;
constexpr const char* kArt[kArtSize] = {
    "wwwwwwwwwwwwwwww", "wkkkkkkkYYkkkkkw", "wkkkkkkyYYkGGkkw", "wkkkkyykkkkGGkkw",
    "wkkyykkkkggkkkkw", "wyykkkkggkkkkkkw", "wkkkkggkkBBkkkkw", "wkkggkkkkBBkkkkw",
    "wggkkkkbbkkkRRkw", "wkkkkbbkkkkrRRkw", "wkkbbkkkkrrkkkkw", "wbbkkkkrrkkkkkkw",
    "wkkkkrrkkkkkkkkw", "wkkrrkkkkkkkkkkw", "wrrkkkkkkkkkkkkw", "wwwwwwwwwwwwwwww",
};
constexpr int kCellPixels = 4;  // a 64 x 64 icon with crisp cells

struct Ink {
    char letter;
    uint32_t rgb;
};

// The field, its frame and the four players' trail colours (as in tools/palette.txt).
constexpr Ink kInks[] = {
    {'k', 0x000000}, {'w', 0xC8C8C8}, {'r', 0xE86410},
    {'b', 0x6EC3FF}, {'g', 0x00B07C}, {'y', 0xF0E442},
};

uint32_t inkOf(char letter) {
    const char lower = letter >= 'A' && letter <= 'Z' ? char(letter - 'A' + 'a') : letter;
    for (const Ink& ink : kInks) {
        if (ink.letter == lower) return ink.rgb;
    }
    return 0;
}

}  // namespace

SDL_Surface* makeWindowIcon() {
    constexpr int size = kArtSize * kCellPixels;
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormat(0, size, size, 32, SDL_PIXELFORMAT_RGB888);
    if (!icon) return nullptr;
    for (int y = 0; y < size; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(icon->pixels) +
                                                ptrdiff_t{icon->pitch} * y);
        for (int x = 0; x < size; ++x) row[x] = inkOf(kArt[y / kCellPixels][x / kCellPixels]);
    }
    return icon;
}

}  // namespace platform
