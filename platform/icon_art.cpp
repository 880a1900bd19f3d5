#include "platform/icon_art.h"

namespace platform {

namespace {

// Four trails crossing a walled field at a slant, each led by its head (the 2 x 2 block).
// One letter a cell; a head is its trail's letter in capitals.
constexpr const char* kArt[kIconCells] = {
    "wwwwwwwwwwwwwwww", "wkkkkkkkYYkkkkkw", "wkkkkkkyYYkGGkkw", "wkkkkyykkkkGGkkw",
    "wkkyykkkkggkkkkw", "wyykkkkggkkkkkkw", "wkkkkggkkBBkkkkw", "wkkggkkkkBBkkkkw",
    "wggkkkkbbkkkRRkw", "wkkkkbbkkkkrRRkw", "wkkbbkkkkrrkkkkw", "wbbkkkkrrkkkkkkw",
    "wkkkkrrkkkkkkkkw", "wkkrrkkkkkkkkkkw", "wrrkkkkkkkkkkkkw", "wwwwwwwwwwwwwwww",
};

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

uint32_t iconPixel(int x, int y, int size) {
    const int cell = size / kIconCells;
    return inkOf(kArt[y / cell][x / cell]);
}

}  // namespace platform
