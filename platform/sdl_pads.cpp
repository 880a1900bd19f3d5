#include "platform/sdl_pads.h"

namespace platform {

namespace {

constexpr int kNotUsed = -1;

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
    for (SDL_GameController*& handle : handles_) {
        if (handle) SDL_GameControllerClose(handle);
        handle = nullptr;
    }
    slots_.clear();
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

// A controller plugged in (or present when the subsystem started). SDL may announce one
// device twice; the second time changes nothing.
void SdlPads::add(int deviceIndex) {
    if (!SDL_IsGameController(deviceIndex)) return;
    if (slots_.connected(SDL_JoystickGetDeviceInstanceID(deviceIndex))) return;
    for (size_t i = 0; i < handles_.size(); ++i) {
        if (handles_[i]) continue;
        SDL_GameController* handle = SDL_GameControllerOpen(deviceIndex);
        if (!handle) return;
        handles_[i] = handle;
        ids_[i] = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(handle));
        slots_.connect(ids_[i]);
        return;
    }
    // More controllers than the game can keep track of: left alone.
}

void SdlPads::remove(SDL_JoystickID id) {
    for (size_t i = 0; i < handles_.size(); ++i) {
        if (!handles_[i] || ids_[i] != id) continue;
        SDL_GameControllerClose(handles_[i]);
        handles_[i] = nullptr;
        slots_.disconnect(id);
        return;
    }
}

void SdlPads::button(const SDL_ControllerButtonEvent& press) {
    const int padButton = padButtonFor(press.button);
    if (!slots_.connected(press.which) || padButton == kNotUsed) return;
    const uint16_t bit = uint16_t(1u << padButton);
    const uint16_t held = slots_.buttons(press.which);
    slots_.setButtons(press.which,
                      press.state == SDL_PRESSED ? uint16_t(held | bit) : uint16_t(held & ~bit));
}

void SdlPads::axis(const SDL_ControllerAxisEvent& motion) {
    const uint16_t stick = slots_.stick(motion.which);
    if (motion.axis == SDL_CONTROLLER_AXIS_LEFTX) {
        slots_.setStick(motion.which,
                        stickAlong(stick, PadButton::Left, PadButton::Right, motion.value));
    } else if (motion.axis == SDL_CONTROLLER_AXIS_LEFTY) {
        slots_.setStick(motion.which,
                        stickAlong(stick, PadButton::Up, PadButton::Down, motion.value));
    }
}

}  // namespace platform
