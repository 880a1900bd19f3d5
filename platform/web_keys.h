// The keyboard for the web backend: the browser's keys, by their place on the keyboard
// (KeyboardEvent.code), as the Windows virtual-key codes the game reads. Plain C++ without
// the browser, so that the table can be tested on any machine.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The virtual-key code for a KeyboardEvent.code ("KeyQ", "ArrowLeft", "Numpad3"), or 0 for
// a key the game does not use. By place, not by what the key types: 1P is Q A Z on every
// layout (an AZERTY keyboard's A Q W keys), and the keypad's digits are digits whatever
// the Num Lock state.
int virtualKeyForCode(std::string_view code);

// Every key the game uses, as the page's script reads it: one "CODE VK" pair a line. The
// page takes these keys away from the browser (arrows scroll, Space pages down) and hands
// them to the game; every other key stays the browser's.
std::string webKeyTable();

}  // namespace platform
