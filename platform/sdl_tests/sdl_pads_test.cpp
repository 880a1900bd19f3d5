// The SDL backend's game controllers, driven by SDL's own virtual game controllers on the
// dummy video driver: slots in the order of connection, buttons, d-pad and stick, unplugging
// and plugging in again, more controllers than slots.
#include "platform/sdl_pads.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/sdl_platform.h"

using platform::Event;
using platform::EventKind;
using platform::SdlPlatform;

namespace {

bool headlessDriver() {
    ::setenv("SDL_VIDEODRIVER", "dummy", 0);
    const std::string driver = std::getenv("SDL_VIDEODRIVER");
    return driver == "dummy" || driver == "offscreen";
}

// What the game hears, in a form that compares and prints well: "down 0 Fire" and so on.
std::string describe(const Event& event) {
    static const char* const buttons[] = {"Left", "Right", "Up", "Down", "Fire", "Start",
                                          "Back", "LeftShoulder", "RightShoulder"};
    const std::string pad = std::to_string(event.pad);
    const std::string button = buttons[static_cast<int>(event.button)];
    if (event.kind == EventKind::PadDown) return "down " + pad + " " + button;
    if (event.kind == EventKind::PadUp) return "up " + pad + " " + button;
    if (event.kind == EventKind::PadAdded) return "added " + pad;
    if (event.kind == EventKind::PadRemoved) return "removed " + pad;
    return "other";
}

using Heard = std::vector<std::string>;

// Every event the platform has for the game now (SDL is pumped by each poll).
Heard drain(SdlPlatform& machine) {
    Heard heard;
    Event event;
    while (machine.pollEvent(event)) heard.push_back(describe(event));
    return heard;
}

// A virtual controller with the standard buttons and axes (SDL maps it as a game controller:
// button i is SDL_GameControllerButton i, axis i is SDL_GameControllerAxis i).
struct VirtualPad {
    SDL_JoystickID id = -1;

    static VirtualPad attach() {
        const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER,
                                                    SDL_CONTROLLER_AXIS_MAX,
                                                    SDL_CONTROLLER_BUTTON_MAX, 0);
        EXPECT_GE(index, 0) << SDL_GetError();
        return VirtualPad{SDL_JoystickGetDeviceInstanceID(index)};
    }
    // Only once the backend opened it (after a drain) does SDL have a joystick to drive.
    SDL_Joystick* joystick() const { return SDL_JoystickFromInstanceID(id); }
    void button(SDL_GameControllerButton which, bool down) const {
        ASSERT_NE(joystick(), nullptr);
        ASSERT_EQ(SDL_JoystickSetVirtualButton(joystick(), which, down ? 1 : 0), 0);
    }
    void axis(SDL_GameControllerAxis which, int value) const {
        ASSERT_NE(joystick(), nullptr);
        ASSERT_EQ(SDL_JoystickSetVirtualAxis(joystick(), which, Sint16(value)), 0);
    }
    void detach() const {
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == id) {
                ASSERT_EQ(SDL_JoystickDetachVirtual(i), 0);
                return;
            }
        }
        ADD_FAILURE() << "no such virtual controller";
    }
};

}  // namespace

TEST(SdlPads, VirtualControllersTakeSlotsAndReportButtonsDpadAndStick) {
    if (!headlessDriver()) GTEST_SKIP() << "runs only on the dummy or offscreen video driver";
    // The dummy driver's window never has the keyboard focus; controllers still count.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SdlPlatform machine("DIRAVIRU");
    std::string error;
    ASSERT_TRUE(machine.openDisplay(error)) << error;
    ASSERT_NE(SDL_WasInit(SDL_INIT_GAMECONTROLLER), 0u);
    drain(machine);

    // Slots in the order of connection.
    const VirtualPad first = VirtualPad::attach();
    EXPECT_EQ(drain(machine), Heard{"added 0"});
    const VirtualPad second = VirtualPad::attach();
    EXPECT_EQ(drain(machine), Heard{"added 1"});

    // Buttons, each controller in its own slot; buttons the game does not use say nothing.
    // (A virtual controller's state is read once per pump: one change per drain.)
    first.button(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(drain(machine), Heard{"down 0 Fire"});
    second.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    EXPECT_EQ(drain(machine), Heard{"down 1 Left"});
    second.button(SDL_CONTROLLER_BUTTON_B, true);
    second.button(SDL_CONTROLLER_BUTTON_GUIDE, true);
    EXPECT_EQ(drain(machine), Heard{});
    second.button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    EXPECT_EQ(drain(machine), Heard{"down 1 Down"});
    second.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
    EXPECT_EQ(drain(machine), Heard{"up 1 Left"});
    second.button(SDL_CONTROLLER_BUTTON_START, true);
    EXPECT_EQ(drain(machine), Heard{"down 1 Start"});
    second.button(SDL_CONTROLLER_BUTTON_START, false);
    EXPECT_EQ(drain(machine), Heard{"up 1 Start"});
    second.button(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true);
    EXPECT_EQ(drain(machine), Heard{"down 1 RightShoulder"});

    // The left stick: pushed past half way it presses, it lets go only once well back, and
    // a push from one side to the other lets go of one side and presses the other.
    first.axis(SDL_CONTROLLER_AXIS_LEFTX, -30000);
    EXPECT_EQ(drain(machine), Heard{"down 0 Left"});
    first.axis(SDL_CONTROLLER_AXIS_LEFTX, -14000);  // between let-go and press: still held
    EXPECT_EQ(drain(machine), Heard{});
    first.axis(SDL_CONTROLLER_AXIS_LEFTX, -5000);
    EXPECT_EQ(drain(machine), Heard{"up 0 Left"});
    first.axis(SDL_CONTROLLER_AXIS_LEFTX, -14000);  // not yet far enough to press
    EXPECT_EQ(drain(machine), Heard{});
    first.axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    EXPECT_EQ(drain(machine), Heard{"down 0 Left"});
    first.axis(SDL_CONTROLLER_AXIS_LEFTY, 20000);
    EXPECT_EQ(drain(machine), Heard{"down 0 Down"});
    first.axis(SDL_CONTROLLER_AXIS_RIGHTX, 32767);  // the right stick is not the game's
    EXPECT_EQ(drain(machine), Heard{});
    first.axis(SDL_CONTROLLER_AXIS_LEFTX, 32767);  // one SDL event, two for the game
    EXPECT_EQ(drain(machine), (Heard{"up 0 Left", "down 0 Right"}));
    first.axis(SDL_CONTROLLER_AXIS_LEFTY, 0);
    EXPECT_EQ(drain(machine), Heard{"up 0 Down"});
    // A direction held on the stick and the d-pad at once is one press.
    first.button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    EXPECT_EQ(drain(machine), Heard{});
    first.axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    EXPECT_EQ(drain(machine), Heard{});
    first.button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
    EXPECT_EQ(drain(machine), Heard{"up 0 Right"});

    // Unplugged while its Fire is held: the game hears the slot go, and the next controller
    // takes the lowest free slot.
    first.detach();
    const Heard unplugged = drain(machine);
    ASSERT_FALSE(unplugged.empty());
    EXPECT_EQ(unplugged.back(), "removed 0");
    const VirtualPad third = VirtualPad::attach();
    EXPECT_EQ(drain(machine), Heard{"added 0"});
    third.button(SDL_CONTROLLER_BUTTON_BACK, true);
    EXPECT_EQ(drain(machine), Heard{"down 0 Back"});
    second.button(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(drain(machine), Heard{"down 1 Fire"});

    // Five controllers for four slots: the fifth waits, and takes the first slot that
    // comes free, holding what it holds.
    const VirtualPad fourth = VirtualPad::attach();
    const VirtualPad fifth = VirtualPad::attach();
    EXPECT_EQ(drain(machine), (Heard{"added 2", "added 3"}));
    const VirtualPad sixth = VirtualPad::attach();
    EXPECT_EQ(drain(machine), Heard{});
    sixth.button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true);
    EXPECT_EQ(drain(machine), Heard{});
    fourth.detach();
    const Heard handedOver = drain(machine);
    ASSERT_GE(handedOver.size(), 3u);
    EXPECT_EQ(handedOver[handedOver.size() - 3], "removed 2");
    EXPECT_EQ(handedOver[handedOver.size() - 2], "added 2");
    EXPECT_EQ(handedOver[handedOver.size() - 1], "down 2 LeftShoulder");
    sixth.button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, false);
    EXPECT_EQ(drain(machine), Heard{"up 2 LeftShoulder"});
    fifth.button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    EXPECT_EQ(drain(machine), Heard{"down 3 Up"});

    // Closing lets go of every controller (SDL's virtual ones go with it); opening again
    // gives slots from 0 again.
    machine.closeDisplay();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_GAMECONTROLLER), 0u);
    ASSERT_TRUE(machine.openDisplay(error)) << error;
    drain(machine);
    VirtualPad::attach();
    EXPECT_EQ(drain(machine), Heard{"added 0"});
    machine.closeDisplay();
}
