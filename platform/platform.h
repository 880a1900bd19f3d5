// The seam between the game and the machine: the only way the game reaches the display,
// the keyboard, the mouse and the clock. The game owns one Platform for the whole run.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

inline constexpr int kPageWidth = 640;
inline constexpr int kPageHeight = 480;

// One colour of the 256-entry palette, in the order red, green, blue, flags (flags is 0).
struct PaletteEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t flags = 0;
};

enum class EventKind : uint8_t {
    None,
    KeyDown,      // key holds a Windows virtual-key code; repeat is set for auto-repeat
    KeyUp,        // key holds a Windows virtual-key code
    RightButton,  // the right mouse button went down
    Close,        // the window was closed (Alt+F4 included)
    Quit,         // the system asked the program to end
    PadDown,      // a game controller's button went down: pad and button are set
    PadUp,        // a game controller's button went up: pad and button are set
    PadAdded,     // a game controller took the pad slot `pad`
    PadRemoved,   // the controller of pad slot `pad` went away; its buttons count as up
    DisplayLost,  // the display went away under the program (its server ended): it must end
};

// Game controllers drive the player slots: the platform gives each controller the lowest
// free pad slot 0..kMaxPads-1 in the order they are connected, and a slot freed by an
// unplugged controller goes to the next one. The platform reports the controller's own
// buttons, never keys: what a button does is the game's business.
inline constexpr int kMaxPads = 4;

enum class PadButton : uint8_t {
    Left,  // the d-pad or the left stick, each way
    Right,
    Up,
    Down,
    Fire,  // the south face button (A on most pads)
    Start,
    Back,
    LeftShoulder,
    RightShoulder,
};
inline constexpr int kPadButtonCount = 9;

struct Event {
    EventKind kind = EventKind::None;
    int key = 0;
    bool repeat = false;
    int pad = 0;                         // pad events: the pad slot 0..kMaxPads-1
    PadButton button = PadButton::Left;  // PadDown and PadUp: which button
};

class Platform {
public:
    virtual ~Platform() = default;

    // Brings up the display (black at first). On failure returns false with a one-line reason.
    virtual bool openDisplay(std::string& error) = 0;
    virtual void closeDisplay() = 0;

    // Takes one pending event without waiting; false when none is pending.
    virtual bool pollEvent(Event& event) = 0;
    // Takes one event, waiting at most timeoutMs for it; false when none came in time.
    virtual bool waitEvent(Event& event, uint32_t timeoutMs) = 0;

    // Milliseconds since some fixed point; wraps round after 2^32.
    virtual uint32_t ticks() = 0;
    // The calendar time in whole seconds since the epoch; start-up seeds the game's random
    // numbers with it, so that every start plays differently.
    virtual int64_t calendarTime() = 0;
    // Length of one display refresh in milliseconds (17 for an unknown display, about 60 Hz).
    virtual uint32_t refreshIntervalMs() = 0;

    // Shows a 640 x 480 page of palette indices (rows pitch bytes apart) in the given colours.
    virtual void present(const uint8_t* pixels, int pitch, const PaletteEntry* palette) = 0;

    // Makes the files the game has written last beyond this run. Where the file system keeps
    // them (a desktop) there is nothing to do; a web page copies them into the browser's
    // storage. False, with the reason in `error`, when they could not be kept.
    virtual bool keepFiles(std::string& error) {
        (void)error;
        return true;
    }
};

}  // namespace platform
