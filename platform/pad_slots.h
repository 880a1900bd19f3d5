// Game controllers given pad slots, the rule every backend follows: each controller takes the
// lowest free pad slot in the order they were connected; controllers beyond the four slots
// wait, in that order, for a slot to come free. The backend tells which controllers are there
// and what each holds (buttons, the d-pad, the left stick as four directions); the game hears
// pad events: a slot taken or freed, and every change of what a slot's controller holds.
#pragma once

#include <array>
#include <cstdint>

#include "platform/event_queue.h"
#include "platform/platform.h"

namespace platform {

// The left stick counts as pushed one way once it is this far out (of 32767), and as let go
// once it is back within kStickRelease: the gap keeps a stick held near the edge from
// chattering.
inline constexpr int kStickPress = 16000;
inline constexpr int kStickRelease = 12000;

inline uint16_t padBit(PadButton button) { return uint16_t(1u << static_cast<int>(button)); }

// The stick's directions along one axis after it moved to `value` (-32768..32767): `negative`
// is Left or Up, `positive` Right or Down. Between the release and the press distance a
// direction keeps its state.
uint16_t stickAlong(uint16_t bits, PadButton negative, PadButton positive, int value);

class PadSlots {
public:
    // More controllers than this are not kept track of.
    static constexpr int kMaxControllers = 8;
    // The most pad events one change makes: a controller unplugged with every button held
    // lets go of them and leaves, and a waiting one takes its slot holding all of its.
    static constexpr int kMostEventsAtOnce = 2 * kPadButtonCount + 2;

    // Pad events go to `out`, in order.
    explicit PadSlots(EventQueue& out) : out_(out) {}

    // A controller, by the backend's id for it, was plugged in (or found at the start); a
    // second announcement changes nothing. False when there is no room for it.
    bool connect(int id);
    // It went away: the game hears its buttons let go and its slot freed, and the slot goes
    // to the controller that has waited longest.
    void disconnect(int id);
    // What it holds now, as bits of PadButton: on its buttons and d-pad, and on its stick. A
    // direction held both ways is one press, let go when both let go.
    void setButtons(int id, uint16_t bits);
    void setStick(int id, uint16_t bits);

    bool connected(int id) const { return find(id) != nullptr; }
    uint16_t buttons(int id) const;
    uint16_t stick(int id) const;
    // The pad slot of a controller, -1 when it has none (or is not there).
    int slotOf(int id) const;
    // Forgets every controller without telling the game (the display is going away).
    void clear();

private:
    struct Controller {
        bool present = false;
        int id = 0;
        uint64_t connectedOrder = 0;  // smaller: connected earlier
        int slot = -1;
        uint16_t buttons = 0;   // bits of PadButton held on buttons and the d-pad
        uint16_t stick = 0;     // bits of the four directions the left stick is pushed
        uint16_t reported = 0;  // bits of PadButton the game was told are down
    };

    const Controller* find(int id) const;
    Controller* find(int id);
    void giveFreeSlots();
    void report(Controller& controller);

    std::array<Controller, kMaxControllers> controllers_{};
    uint64_t connections_ = 0;
    EventQueue& out_;
};

}  // namespace platform
