// The X server going away under the program (stopped, or crashed). Xlib ends the program as
// soon as it has told of it; what is registered here runs first, on the thread that noticed
// (the main thread, inside an SDL call), and may take a little while.
#pragma once

#include <functional>

namespace platform {

// Replaces what ran before; empty: nothing runs.
void whenDisplayLost(std::function<void()> lost);

}  // namespace platform
