// What an item effect may ask besides the state of play: show the page it composed, and wait.
// The round passes one in, with the display and the message pump behind it; a test passes
// one of its own, so that an effect's test needs neither.
#pragma once

#include <cstdint>

class EffectDisplay {
public:
    virtual ~EffectDisplay() = default;

    // The page composed on SurfaceBack is shown: the two pages of the flip chain change
    // places (Screen::Flip).
    virtual void flip() = 0;
    // The same, once the display's next refresh has come.
    virtual void flipAtRefresh() = 0;
    // A step of an animation starts now ...
    virtual void markStep() = 0;
    // ... and lasts until `ms` have passed since its start; 0 only lets the machine take its
    // events.
    virtual void waitSinceMark(uint32_t ms) = 0;
};
