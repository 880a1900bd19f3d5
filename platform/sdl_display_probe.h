// What the display offers, asked before the window is made: a window made for OpenGL loads
// the OpenGL driver at once (slow, and pointless where OpenGL is drawn by the processor),
// and full screen is a window manager's business (without one the window must cover the
// display by itself).
#pragma once

namespace platform {

struct DisplayTraits {
    bool gpuDrawing = true;     // the GPU may draw into windows: try OpenGL first
    bool windowManager = true;  // a window manager handles full screen
};

// For SDL's X11 driver the X server is asked (once SDL's video is up); other drivers are
// taken to offer both.
DisplayTraits probeDisplay();

}  // namespace platform
