// Game controllers for the web backend: the browser's gamepads in the Gamepad API's standard
// layout, read as they are now (the API has no events), given pad slots as PadSlots says.
// Plain C++ without the browser, so that it can be tested on any machine.
#pragma once

#include <array>
#include <cstdint>

#include "platform/event_queue.h"
#include "platform/pad_slots.h"

namespace platform {

// One gamepad as the page reads it: the browser's index for it, its buttons of the standard
// layout as bits (bit i: buttons[i] pressed), and its left stick (-32767..32767 each way).
struct PadReading {
    int index = 0;
    uint32_t pressed = 0;
    int stickX = 0;
    int stickY = 0;
};

// The game's buttons among the standard layout's pressed ones: the south face button (0) is
// Fire, the shoulders (4, 5) LeftShoulder and RightShoulder, Back (8), Start (9) and the
// d-pad (12 up, 13 down, 14 left, 15 right).
uint16_t padButtonsOfStandardLayout(uint32_t pressed);

class WebPads {
public:
    static constexpr int kMaxReadings = PadSlots::kMaxControllers;

    // Pad events go to `out`, in order.
    explicit WebPads(EventQueue& out) : slots_(out) {}

    // The gamepads there now: those gone since the last reading leave, new ones come, and
    // the game hears what changed.
    void update(const PadReading* readings, int count);
    // Forgets every gamepad without telling the game (the display is going away).
    void clear();

private:
    std::array<bool, PadSlots::kMaxControllers> seen_{};
    std::array<int, PadSlots::kMaxControllers> indices_{};
    PadSlots slots_;
};

}  // namespace platform
