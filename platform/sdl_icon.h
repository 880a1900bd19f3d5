// The window's icon, drawn here as text: the game's heads and trails in the players' colours.
#pragma once

#include <SDL.h>

namespace platform {

// The icon as a new surface (the caller frees it), or nullptr when SDL cannot make one.
SDL_Surface* makeWindowIcon();

}  // namespace platform
