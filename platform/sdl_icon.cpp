#include "platform/sdl_icon.h"

#include <cstddef>
#include <cstdint>

#include "platform/icon_art.h"

namespace platform {

namespace {

constexpr int kWindowIconSize = 4 * kIconCells;  // 64 x 64, four pixels a cell

}  // namespace

SDL_Surface* makeWindowIcon() {
    constexpr int size = kWindowIconSize;
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormat(0, size, size, 32, SDL_PIXELFORMAT_RGB888);
    if (!icon) return nullptr;
    for (int y = 0; y < size; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(icon->pixels) +
                                                ptrdiff_t{icon->pitch} * y);
        for (int x = 0; x < size; ++x) row[x] = iconPixel(x, y, size);
    }
    return icon;
}

}  // namespace platform
