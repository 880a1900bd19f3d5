// The game's icon, drawn as text: four heads leading their trails across a walled field in
// the players' colours. The window's icon and the installed icon files are made from it.
#pragma once

#include <cstdint>

namespace platform {

// The icon's cells across and down; an icon of n x kIconCells pixels shows each cell as an
// n x n block, so every size that is a whole multiple stays crisp.
inline constexpr int kIconCells = 16;

// The colour (0xRRGGBB) of the pixel (x, y) of the icon drawn at size x size pixels, a whole
// multiple of kIconCells.
uint32_t iconPixel(int x, int y, int size);

}  // namespace platform
