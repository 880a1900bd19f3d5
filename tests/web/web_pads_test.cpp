// The browser's gamepads as the game hears them: readings of the Gamepad API's standard
// layout in, pad events out, with the slots given as on the desktop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/web_pads.h"

namespace {

using platform::Event;
using platform::EventKind;
using platform::PadReading;

constexpr uint32_t kSouth = 1u << 0, kLeftShoulder = 1u << 4, kBack = 1u << 8, kStart = 1u << 9,
                   kDpadUp = 1u << 12, kDpadRight = 1u << 15, kGuide = 1u << 16;

std::vector<std::string> heard(platform::EventQueue& queue) {
    static const char* const kinds[] = {"None", "KeyDown", "KeyUp", "RightButton", "Close",
                                        "Quit", "PadDown", "PadUp", "PadAdded",    "PadRemoved"};
    static const char* const buttons[] = {"Left",  "Right", "Up",           "Down",         "Fire",
                                          "Start", "Back",  "LeftShoulder", "RightShoulder"};
    std::vector<std::string> lines;
    for (Event event; queue.poll(event);) {
        std::string line = std::string(kinds[int(event.kind)]) + " " + std::to_string(event.pad);
        if (event.kind == EventKind::PadDown || event.kind == EventKind::PadUp) {
            line += std::string(" ") + buttons[int(event.button)];
        }
        lines.push_back(line);
    }
    return lines;
}

using Heard = std::vector<std::string>;

TEST(WebPads, TheStandardLayoutsButtonsAreTheGames) {
    using platform::padBit;
    using platform::PadButton;
    EXPECT_EQ(platform::padButtonsOfStandardLayout(kSouth), padBit(PadButton::Fire));
    EXPECT_EQ(platform::padButtonsOfStandardLayout(kStart | kBack),
              padBit(PadButton::Start) | padBit(PadButton::Back));
    EXPECT_EQ(platform::padButtonsOfStandardLayout(kDpadUp | kDpadRight | kLeftShoulder),
              padBit(PadButton::Up) | padBit(PadButton::Right) | padBit(PadButton::LeftShoulder));
    // The other face buttons, the triggers, the sticks' clicks and the guide button are not.
    EXPECT_EQ(platform::padButtonsOfStandardLayout(0b1100'1110u | kGuide), 0);
}

TEST(WebPads, GamepadsTakeSlotsAndReportButtonsAndStick) {
    platform::EventQueue queue;
    platform::WebPads pads(queue);
    PadReading first{3}, second{0};
    pads.update(&first, 1);
    EXPECT_EQ(heard(queue), Heard{"PadAdded 0"});
    PadReading both[] = {first, second};
    pads.update(both, 2);
    EXPECT_EQ(heard(queue), Heard{"PadAdded 1"});
    both[0].pressed = kSouth;
    both[1].pressed = kGuide | kDpadUp;
    pads.update(both, 2);
    EXPECT_EQ(heard(queue), (Heard{"PadDown 0 Fire", "PadDown 1 Up"}));
    pads.update(both, 2);  // nothing changed: nothing heard
    EXPECT_EQ(heard(queue), Heard{});

    // The stick presses past half way and lets go only once well back; pushed across, it
    // lets go of one side and presses the other.
    both[1].stickX = -30000;
    pads.update(both, 2);
    EXPECT_EQ(heard(queue), Heard{"PadDown 1 Left"});
    both[1].stickX = -14000;
    pads.update(both, 2);
    EXPECT_EQ(heard(queue), Heard{});
    both[1].stickX = 32767;
    pads.update(both, 2);
    EXPECT_EQ(heard(queue), (Heard{"PadUp 1 Left", "PadDown 1 Right"}));

    // Unplugged while Fire is held: it lets go and the slot is freed; the next gamepad takes
    // the lowest free slot. A fifth waits for a free slot, holding what it holds.
    pads.update(&both[1], 1);
    EXPECT_EQ(heard(queue), (Heard{"PadUp 0 Fire", "PadRemoved 0"}));
    PadReading five[] = {both[1], {7}, {8}, {9}, {10, kLeftShoulder}};
    pads.update(five, 4);
    EXPECT_EQ(heard(queue), (Heard{"PadAdded 0", "PadAdded 2", "PadAdded 3"}));
    pads.update(five, 5);
    EXPECT_EQ(heard(queue), Heard{});
    five[2] = five[4];
    pads.update(five, 4);  // 8 (slot 2) gone
    EXPECT_EQ(heard(queue), (Heard{"PadRemoved 2", "PadAdded 2", "PadDown 2 LeftShoulder"}));
}

}  // namespace
