#include "platform/sdl_display_probe.h"

#include <SDL.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstring>

namespace platform {

namespace {

bool hasExtension(Display* display, const char* name) {
    int opcode = 0;
    int firstEvent = 0;
    int firstError = 0;
    return XQueryExtension(display, name, &opcode, &firstEvent, &firstError) != 0;
}

// A clients draws with the GPU into an X window through DRI3 or DRI2 (NV-GLX with NVIDIA's
// own driver). Virtual X servers (Xvfb, VNC) offer none of them.
bool gpuDrawing(Display* display) {
    return hasExtension(display, "DRI3") || hasExtension(display, "DRI2") ||
           hasExtension(display, "NV-GLX");
}

// A window manager following the freedesktop.org conventions announces itself on the root
// window.
bool windowManager(Display* display) {
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long left = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                          XA_WINDOW, &type, &format, &count, &left, &data);
    const bool found = status == Success && type == XA_WINDOW && count == 1;
    if (data) XFree(data);
    return found;
}

}  // namespace

DisplayTraits probeDisplay() {
    DisplayTraits traits;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "x11") != 0) return traits;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return traits;
    traits.gpuDrawing = gpuDrawing(display);
    traits.windowManager = windowManager(display);
    XCloseDisplay(display);
    return traits;
}

}  // namespace platform
