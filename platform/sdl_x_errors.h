// What the X server reports to the program, beyond SDL's own handling of it.
#pragma once

#include <functional>

namespace platform {

// The X server going away under the program (stopped, or crashed). Xlib ends the program as
// soon as it has told of it; what is registered here runs first, on the thread that noticed
// (the main thread, inside an SDL call), and may take a little while. Replaces what ran
// before; empty: nothing runs.
void whenDisplayLost(std::function<void()> lost);

// SDL wakes its main thread, waiting for events, with an event sent to the window over a
// connection of its own. When the game's thread sends one just as the main thread closes
// the window, the server refuses the send (BadWindow), and Xlib's usual handler would end
// the program with status 1 on its way out. That refusal is harmless and is ignored; every
// other error goes on to the handler there was. Call before SDL opens the display (SDL's
// own handler then sits on top of this one); later calls do nothing.
void ignoreWakeUpsToAClosedWindow();

}  // namespace platform
