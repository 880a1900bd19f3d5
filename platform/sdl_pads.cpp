#include "platform/sdl_pads.h"

namespace platform {

namespace {

constexpr int kNoSlot = -1;
constexpr int kNotUsed = -1;

uint16_t bitOf(PadButton button) { return uint16_t(1u << static_cast<int>(button)); }

// The stick along one axis: `negative` is Left or Up, `positive` Right or Down. Between the
// release and the press distance a direction keeps its state.
uint16_t stickAlong(uint16_t bits, PadButton negative, PadButton positive, int value) {
    if (value <= -kStickPress) bits |= bitOf(negative);
    if (value > -kStickRelease) bits &= uint16_t(~bitOf(negative));
    if (value >= kStickPress) bits |= bitOf(positive);
    if (value < kStickRelease) bits &= uint16_t(~bitOf(positive));
    return bits;
}

}  // namespace

int padButtonFor(int sdlControllerButton) {
    switch (sdlControllerButton) {
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return static_cast<int>(PadButton::Left);
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return static_cast<int>(PadButton::Right);
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            return static_cast<int>(PadButton::Up);
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            return static_cast<int>(PadButton::Down);
        case SDL_CONTROLLER_BUTTON_A:  // the south face button, whatever the pad prints on it
            return static_cast<int>(PadButton::Fire);
        case SDL_CONTROLLER_BUTTON_START:
            return static_cast<int>(PadButton::Start);
        case SDL_CONTROLLER_BUTTON_BACK:
            return static_cast<int>(PadButton::Back);
        case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
            return static_cast<int>(PadButton::LeftShoulder);
        case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
            return static_cast<int>(PadButton::RightShoulder);
        default:
            return kNotUsed;
    }
}

void SdlPads::start() { SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER); }

void SdlPads::stop() {
    for (Controller& controller : controllers_) {
        if (controller.handle) SDL_GameControllerClose(controller.handle);
        controller = Controller{};
    }
}

bool SdlPads::handle(const SDL_Event& sdlEvent) {
    switch (sdlEvent.type) {
        case SDL_CONTROLLERDEVICEADDED:
            add(sdlEvent.cdevice.which);
            return true;
        case SDL_CONTROLLERDEVICEREMOVED:
            remove(sdlEvent.cdevice.which);
            return true;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            button(sdlEvent.cbutton);
            return true;
        case SDL_CONTROLLERAXISMOTION:
            axis(sdlEvent.caxis);
            return true;
        default:
            return false;
    }
}

int SdlPads::slotOf(SDL_JoystickID id) const {
    for (const Controller& controller : controllers_) {
        if (controller.handle && controller.id == id) return controller.slot;
    }
    return kNoSlot;
}

SdlPads::Controller* SdlPads::controllerOf(SDL_JoystickID id) {
    for (Controller& controller : controllers_) {
        if (controller.handle && controller.id == id) return &controller;
    }
    return nullptr;
}

// A controller plugged in (or present when the subsystem started). SDL may announce one
// device twice; the second time changes nothing.
void SdlPads::add(int deviceIndex) {
    if (!SDL_IsGameController(deviceIndex)) return;
    if (controllerOf(SDL_JoystickGetDeviceInstanceID(deviceIndex))) return;
    Controller* place = nullptr;
    for (Controller& controller : controllers_) {
        if (!controller.handle) {
            place = &controller;
            break;
        }
    }
    if (!place) return;  // more controllers than the game can keep track of
    SDL_GameController* handle = SDL_GameControllerOpen(deviceIndex);
    if (!handle) return;
    *place = Controller{};
    place->handle = handle;
    place->id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(handle));
    place->connectedOrder = ++connections_;
    giveFreeSlots();
}

// A controller unplugged: the game hears that its slot holds nothing any more, and the slot
// goes to the controller that has waited longest, if any.
void SdlPads::remove(SDL_JoystickID id) {
    Controller* controller = controllerOf(id);
    if (!controller) return;
    const int slot = controller->slot;
    SDL_GameControllerClose(controller->handle);
    *controller = Controller{};
    if (slot == kNoSlot) return;
    out_.push(Event{EventKind::PadRemoved, 0, false, slot});
    giveFreeSlots();
}

// While a slot is free and a controller waits: the one connected first takes the lowest
// free slot, and the game hears of the buttons it already holds.
void SdlPads::giveFreeSlots() {
    for (;;) {
        bool taken[kMaxPads] = {};
        Controller* waiting = nullptr;
        for (Controller& controller : controllers_) {
            if (!controller.handle) continue;
            if (controller.slot != kNoSlot) {
                taken[controller.slot] = true;
            } else if (!waiting || controller.connectedOrder < waiting->connectedOrder) {
                waiting = &controller;
            }
        }
        int freeSlot = kNoSlot;
        for (int slot = kMaxPads - 1; slot >= 0; --slot) {
            if (!taken[slot]) freeSlot = slot;
        }
        if (!waiting || freeSlot == kNoSlot) return;
        waiting->slot = freeSlot;
        waiting->reported = 0;
        out_.push(Event{EventKind::PadAdded, 0, false, freeSlot});
        report(*waiting);
    }
}

void SdlPads::button(const SDL_ControllerButtonEvent& press) {
    Controller* controller = controllerOf(press.which);
    const int padButton = padButtonFor(press.button);
    if (!controller || padButton == kNotUsed) return;
    const uint16_t bit = uint16_t(1u << padButton);
    if (press.state == SDL_PRESSED) {
        controller->buttons |= bit;
    } else {
        controller->buttons &= uint16_t(~bit);
    }
    report(*controller);
}

void SdlPads::axis(const SDL_ControllerAxisEvent& motion) {
    Controller* controller = controllerOf(motion.which);
    if (!controller) return;
    if (motion.axis == SDL_CONTROLLER_AXIS_LEFTX) {
        controller->stick =
            stickAlong(controller->stick, PadButton::Left, PadButton::Right, motion.value);
    } else if (motion.axis == SDL_CONTROLLER_AXIS_LEFTY) {
        controller->stick =
            stickAlong(controller->stick, PadButton::Up, PadButton::Down, motion.value);
    } else {
        return;
    }
    report(*controller);
}

// Tells the game of every button whose state changed since it was last told. A direction
// held on the d-pad and on the stick at once is one press, let go when both let go.
void SdlPads::report(Controller& controller) {
    if (controller.slot == kNoSlot) return;
    const uint16_t down = controller.buttons | controller.stick;
    for (int b = 0; b < kPadButtonCount; ++b) {
        const uint16_t bit = uint16_t(1u << b);
        if ((down & bit) == (controller.reported & bit)) continue;
        const EventKind kind = (down & bit) != 0 ? EventKind::PadDown : EventKind::PadUp;
        out_.push(Event{kind, 0, false, controller.slot, static_cast<PadButton>(b)});
    }
    controller.reported = down;
}

}  // namespace platform
