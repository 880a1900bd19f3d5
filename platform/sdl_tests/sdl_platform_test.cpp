// The SDL backend as the game meets it, on SDL's dummy video driver: the game's calls come
// from a thread of their own while run() serves them from the test's thread, as in the
// program. Events are pushed into SDL from the game's side (SDL allows it from any thread),
// and game controllers are SDL's own virtual ones.
#include "platform/sdl_platform.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/picture_mailbox.h"

using namespace platform;
using Heard = std::vector<std::string>;

namespace {

void push(Uint32 type, int detail = 0, Uint16 mod = KMOD_NONE, bool repeat = false) {
    SDL_Event event{};
    event.type = type;
    if (type == SDL_KEYDOWN || type == SDL_KEYUP) {
        const auto code = SDL_Scancode(detail);
        event.key.repeat = Uint8(repeat);
        event.key.keysym = SDL_Keysym{code, SDL_GetKeyFromScancode(code), mod, 0};
    }
    if (type == SDL_MOUSEBUTTONDOWN) event.button.button = Uint8(detail);
    if (type == SDL_WINDOWEVENT) event.window.event = Uint8(detail);
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

// What the game hears: "KeyDown 99 repeat", "RightButton", "PadDown 0 Fire", ...: `count`
// events, and whatever else comes within a short while after them.
Heard hear(SdlPlatform& machine, size_t count) {
    static const char* const kinds[] = {"",     "KeyDown", "KeyUp", "RightButton", "Close",
                                        "Quit", "PadDown", "PadUp", "PadAdded",    "PadRemoved"};
    static const char* const buttons[] = {"Left",  "Right", "Up",           "Down",         "Fire",
                                          "Start", "Back",  "LeftShoulder", "RightShoulder"};
    Heard heard;
    Event event;
    while (machine.waitEvent(event, heard.size() < count ? 2000 : 30)) {
        std::string text = kinds[int(event.kind)];
        if (event.kind >= EventKind::PadDown) text += " " + std::to_string(event.pad);
        if (event.kind == EventKind::PadDown || event.kind == EventKind::PadUp) {
            text += std::string(" ") + buttons[int(event.button)];
        }
        if (event.key != 0) text += " " + std::to_string(event.key);
        heard.push_back(event.repeat ? text + " repeat" : text);
    }
    return heard;
}

// A virtual game controller with the standard buttons and axes, by its instance id.
SDL_JoystickID attachPad() {
    const int index = SDL_JoystickAttachVirtual(
        SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
    return SDL_JoystickGetDeviceInstanceID(index);
}
void press(SDL_JoystickID pad, SDL_GameControllerButton button) {
    ASSERT_EQ(SDL_JoystickSetVirtualButton(SDL_JoystickFromInstanceID(pad), button, 1), 0);
}
void tilt(SDL_JoystickID pad, int value) {
    const auto x = SDL_CONTROLLER_AXIS_LEFTX;
    ASSERT_EQ(SDL_JoystickSetVirtualAxis(SDL_JoystickFromInstanceID(pad), x, Sint16(value)), 0);
}
void detach(SDL_JoystickID pad) {
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (SDL_JoystickGetDeviceInstanceID(i) == pad) SDL_JoystickDetachVirtual(i);
    }
}

}  // namespace

TEST(SdlPlatform, PassesEventsOnAndShowsTheNewestPage) {
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    SdlPlatform machine("DIRAVIRU");
    std::atomic<int> lastShown = -1;  // the value filling the page shown last
    machine.watchShows([&](const Picture& picture, std::chrono::steady_clock::duration) {
        EXPECT_EQ(picture.palette[1].red, picture.page[0]);
        lastShown = picture.page[0];
    });
    const int status = machine.run([&] {
        std::string error;
        EXPECT_TRUE(machine.openDisplay(error)) << error;
        EXPECT_TRUE(machine.fullScreen());
        Event event;
        while (machine.waitEvent(event, 50)) {
        }  // whatever opening the window queued
        push(SDL_KEYDOWN, SDL_SCANCODE_KP_3, KMOD_NONE, true);
        push(SDL_KEYUP, SDL_SCANCODE_KP_3);
        push(SDL_KEYDOWN, SDL_SCANCODE_LGUI);               // the desktop's
        push(SDL_KEYDOWN, SDL_SCANCODE_RETURN, KMOD_LALT);  // the window's, both ways
        push(SDL_KEYUP, SDL_SCANCODE_RETURN, KMOD_LALT);
        push(SDL_KEYDOWN, SDL_SCANCODE_RETURN);
        EXPECT_EQ(hear(machine, 3), (Heard{"KeyDown 99 repeat", "KeyUp 99", "KeyDown 13"}));
        EXPECT_FALSE(machine.fullScreen());
        push(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
        push(SDL_KEYDOWN, SDL_SCANCODE_F11);
        push(SDL_KEYUP, SDL_SCANCODE_F11);
        push(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT);
        push(SDL_WINDOWEVENT, SDL_WINDOWEVENT_CLOSE);
        push(SDL_QUIT);
        EXPECT_EQ(hear(machine, 3), (Heard{"RightButton", "Close", "Quit"}));
        EXPECT_TRUE(machine.fullScreen());

        // A wait that times out ends once the tick count has gone up by its length; a key
        // ends the longest wait at once.
        for (uint32_t timeout = 1; timeout <= 4; ++timeout) {
            const uint32_t before = machine.ticks();
            EXPECT_FALSE(machine.waitEvent(event, timeout));
            EXPECT_GE(machine.ticks() - before, timeout);
        }
        push(SDL_KEYDOWN, SDL_SCANCODE_Q);
        EXPECT_EQ(hear(machine, 1), Heard{"KeyDown 81"});

        // Pages handed over faster than the display shows them: the last one is shown.
        constexpr int kPitch = kPageWidth + 16;
        std::vector<uint8_t> page(size_t{kPitch} * kPageHeight);
        std::vector<PaletteEntry> palette(kPaletteSize);
        for (uint8_t value = 1; value <= 20; ++value) {
            std::fill(page.begin(), page.end(), value);
            palette[1].red = value;
            machine.present(page.data(), kPitch, palette.data());
        }
        for (int wait = 0; wait < 100 && lastShown != 20; ++wait) machine.waitEvent(event, 20);
        EXPECT_EQ(lastShown, 20);
        machine.closeDisplay();
        EXPECT_FALSE(machine.pollEvent(event));
        return 7;
    });
    EXPECT_EQ(status, 7);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

TEST(SdlPlatform, FailsToOpenWithAReasonAndPassesOnWhatTheGameThrows) {
    ::setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    SdlPlatform machine("DIRAVIRU");
    std::string error;
    EXPECT_EQ(machine.run([&] { return machine.openDisplay(error) ? 0 : 1; }), 1);
    EXPECT_EQ(error.rfind("cannot open the display: ", 0), 0u) << error;
    EXPECT_GT(error.size(), std::string("cannot open the display: ").size());
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    EXPECT_THROW(machine.run([]() -> int { throw std::runtime_error("the game failed"); }),
                 std::runtime_error);
}

TEST(SdlPads, VirtualControllersTakeSlotsAndReportButtonsAndStick) {
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    // The dummy driver's window never has the keyboard focus; controllers still count.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SdlPlatform machine("DIRAVIRU");
    machine.run([&] {
        std::string error;
        EXPECT_TRUE(machine.openDisplay(error)) << error;
        hear(machine, 0);
        const SDL_JoystickID first = attachPad();
        EXPECT_EQ(hear(machine, 1), Heard{"PadAdded 0"});
        const SDL_JoystickID second = attachPad();
        EXPECT_EQ(hear(machine, 1), Heard{"PadAdded 1"});
        press(first, SDL_CONTROLLER_BUTTON_A);
        EXPECT_EQ(hear(machine, 1), Heard{"PadDown 0 Fire"});
        press(second, SDL_CONTROLLER_BUTTON_GUIDE);  // not the game's
        press(second, SDL_CONTROLLER_BUTTON_DPAD_UP);
        EXPECT_EQ(hear(machine, 1), Heard{"PadDown 1 Up"});

        // The stick presses past half way and lets go only once well back; pushed across,
        // it lets go of one side and presses the other.
        tilt(second, -30000);
        EXPECT_EQ(hear(machine, 1), Heard{"PadDown 1 Left"});
        tilt(second, -14000);
        EXPECT_EQ(hear(machine, 0), Heard{});
        tilt(second, 32767);
        EXPECT_EQ(hear(machine, 2), (Heard{"PadUp 1 Left", "PadDown 1 Right"}));

        // Unplugged while Fire is held: the slot goes, the next controller takes the lowest
        // free one. A fifth waits for a free slot, holding what it holds.
        detach(first);
        EXPECT_EQ(hear(machine, 2), (Heard{"PadUp 0 Fire", "PadRemoved 0"}));
        attachPad();
        EXPECT_EQ(hear(machine, 1), Heard{"PadAdded 0"});
        const SDL_JoystickID fourth = attachPad();
        attachPad();
        EXPECT_EQ(hear(machine, 2), (Heard{"PadAdded 2", "PadAdded 3"}));
        const SDL_JoystickID fifth = attachPad();
        hear(machine, 0);
        press(fifth, SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
        EXPECT_EQ(hear(machine, 0), Heard{});
        detach(fourth);
        EXPECT_EQ(hear(machine, 3),
                  (Heard{"PadRemoved 2", "PadAdded 2", "PadDown 2 LeftShoulder"}));
        machine.closeDisplay();
        return 0;
    });
    EXPECT_EQ(SDL_WasInit(SDL_INIT_GAMECONTROLLER), 0u);
}
