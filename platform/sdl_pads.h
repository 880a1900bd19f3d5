// Game controllers for the SDL backend: every controller SDL knows as a game controller,
// given a pad slot as PadSlots says. Buttons, the d-pad and the left stick become the pad
// events of the platform seam; what they do is the game's business.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>

#include "platform/event_queue.h"
#include "platform/pad_slots.h"
#include "platform/platform.h"

namespace platform {

// The pad button for an SDL_GameControllerButton, or -1 for a button the game does not use.
int padButtonFor(int sdlControllerButton);

class SdlPads {
public:
    // Pad events go to `out`, in order.
    explicit SdlPads(EventQueue& out) : slots_(out) {}

    // Starts SDL's game controller subsystem (SDL then reports the controllers already
    // plugged in as added). Without it the game simply has no pads.
    void start();
    // Closes every controller; the subsystem ends with SDL_Quit.
    void stop();

    // Takes an SDL event if it concerns game controllers: true when it did (whether or not
    // it made pad events for the game).
    bool handle(const SDL_Event& sdlEvent);

    // Pad slot of a controller (by its SDL instance id), -1 when it has none.
    int slotOf(SDL_JoystickID id) const { return slots_.slotOf(id); }

    // The most pad events one SDL event makes.
    static constexpr int kMostEventsAtOnce = PadSlots::kMostEventsAtOnce;

private:
    void add(int deviceIndex);
    void remove(SDL_JoystickID id);
    void button(const SDL_ControllerButtonEvent& press);
    void axis(const SDL_ControllerAxisEvent& motion);

    // The open controllers, by their SDL instance ids; which slot each has, and what it
    // holds, is the slots' business.
    std::array<SDL_GameController*, PadSlots::kMaxControllers> handles_{};
    std::array<SDL_JoystickID, PadSlots::kMaxControllers> ids_{};
    PadSlots slots_;
};

}  // namespace platform
