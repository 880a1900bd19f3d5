// Game controllers for the SDL backend: every controller SDL knows as a game controller,
// given the lowest free pad slot in the order they are connected (controllers beyond the
// four slots wait, in that order, for a slot to come free). Buttons, the d-pad and the left
// stick become the pad events of the platform seam; what they do is the game's business.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>

#include "platform/event_queue.h"
#include "platform/platform.h"

namespace platform {

// The pad button for an SDL_GameControllerButton, or -1 for a button the game does not use.
int padButtonFor(int sdlControllerButton);

// The left stick counts as pushed one way once it is this far out (of 32767), and as let go
// once it is back within kStickRelease: the gap keeps a stick held near the edge from
// chattering.
inline constexpr int kStickPress = 16000;
inline constexpr int kStickRelease = 12000;

class SdlPads {
public:
    // Pad events go to `out`, in order.
    explicit SdlPads(EventQueue& out) : out_(out) {}

    // Starts SDL's game controller subsystem (SDL then reports the controllers already
    // plugged in as added). Without it the game simply has no pads.
    void start();
    // Closes every controller; the subsystem ends with SDL_Quit.
    void stop();

    // Takes an SDL event if it concerns game controllers: true when it did (whether or not
    // it made pad events for the game).
    bool handle(const SDL_Event& sdlEvent);

    // Pad slot of a controller (by its SDL instance id), -1 when it has none.
    int slotOf(SDL_JoystickID id) const;

    // The most pad events one SDL event makes: a controller unplugged with every button
    // held lets go of them and leaves, and a waiting one takes its slot holding all of its.
    static constexpr int kMostEventsAtOnce = 2 * kPadButtonCount + 2;

private:
    static constexpr int kMaxControllers = 8;

    struct Controller {
        SDL_GameController* handle = nullptr;
        SDL_JoystickID id = -1;
        uint64_t connectedOrder = 0;  // smaller: connected earlier
        int slot = -1;
        uint16_t buttons = 0;   // bits of PadButton held on buttons and the d-pad
        uint16_t stick = 0;     // bits of the four directions the left stick is pushed
        uint16_t reported = 0;  // bits of PadButton the game was told are down
    };

    Controller* controllerOf(SDL_JoystickID id);
    void add(int deviceIndex);
    void remove(SDL_JoystickID id);
    void giveFreeSlots();
    void button(const SDL_ControllerButtonEvent& press);
    void axis(const SDL_ControllerAxisEvent& motion);
    void report(Controller& controller);

    std::array<Controller, kMaxControllers> controllers_{};
    uint64_t connections_ = 0;
    EventQueue& out_;
};

}  // namespace platform
