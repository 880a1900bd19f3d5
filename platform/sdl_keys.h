// The keyboard for the SDL backend: SDL's keys as the Windows virtual-key codes the game
// reads, and the keys that belong to the window rather than to the game.
#pragma once

#include <SDL.h>

namespace platform {

// The Windows virtual-key code the game reads for an SDL key, or 0 for a key the game does
// not use. Keys are taken by their place on the keyboard, so the players' key groups keep
// their shape on every layout, and the keypad digits are digits whatever the Num Lock state.
int virtualKeyFor(int sdlScancode, int sdlKeycode);

// Alt+Enter and F11 switch between full screen and a window; the game never sees them.
bool isWindowToggle(const SDL_Keysym& key);

}  // namespace platform
