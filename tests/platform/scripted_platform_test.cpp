#include "platform/scripted_platform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using platform::Event;
using platform::EventKind;
using platform::PaletteEntry;
using platform::ScriptedPlatform;

namespace {

Event take(ScriptedPlatform& machine) {
    Event event;
    EXPECT_TRUE(machine.pollEvent(event));
    return event;
}

}  // namespace

TEST(ScriptedPlatform, ClockIsAWrappingMillisecondCount) {
    ScriptedPlatform machine;
    EXPECT_EQ(machine.ticks(), 0u);
    machine.advance(1234);
    EXPECT_EQ(machine.ticks(), 1234u);
    EXPECT_EQ(machine.nowMicros(), 1234000u);

    machine.setTicks(UINT32_MAX);
    EXPECT_EQ(machine.ticks(), UINT32_MAX);
    machine.advance(3);
    EXPECT_EQ(machine.ticks(), 2u);  // wrapped like a real tick count
    EXPECT_EQ(machine.nowMicros(), (uint64_t{UINT32_MAX} + 3) * 1000);

    // Every poll costs a little virtual time, so a loop that only polls still ends.
    machine.setTicks(10);
    machine.pollCostMicros = 250;
    Event event;
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(machine.pollEvent(event));
    EXPECT_EQ(machine.nowMicros(), 11000u);
    EXPECT_EQ(machine.ticks(), 11u);
    EXPECT_EQ(machine.pollCount(), 4u);
}

TEST(ScriptedPlatform, EventsComeInTimeOrderWhenDue) {
    ScriptedPlatform machine;
    machine.keyDown(50, 'B');
    machine.keyPress(10, 'A', 30);  // A down at 10, up at 40
    machine.push(50, Event{EventKind::RightButton, 0, false});
    machine.keyDown(50, 'C', true);

    Event event;
    EXPECT_FALSE(machine.pollEvent(event));  // nothing due at time 0
    machine.advance(10);
    event = take(machine);
    EXPECT_EQ(event.kind, EventKind::KeyDown);
    EXPECT_EQ(event.key, 'A');
    EXPECT_FALSE(machine.pollEvent(event));  // A's key-up is not due yet

    machine.advance(100);
    event = take(machine);
    EXPECT_EQ(event.kind, EventKind::KeyUp);
    EXPECT_EQ(event.key, 'A');
    // Equal times come in the order they were queued.
    event = take(machine);
    EXPECT_EQ(event.key, 'B');
    EXPECT_EQ(take(machine).kind, EventKind::RightButton);
    event = take(machine);
    EXPECT_EQ(event.key, 'C');
    EXPECT_TRUE(event.repeat);
    EXPECT_FALSE(machine.pollEvent(event));
    EXPECT_TRUE(machine.scriptDone());
}

TEST(ScriptedPlatform, WaitMovesTheClockToTheEventOrByTheTimeout) {
    ScriptedPlatform machine;
    machine.pollCostMicros = 0;
    machine.keyDown(30, 'W');

    Event event;
    EXPECT_FALSE(machine.waitEvent(event, 20));  // not due within 20 ms
    EXPECT_EQ(machine.nowMicros(), 20000u);
    EXPECT_TRUE(machine.waitEvent(event, 100));  // due 10 ms into this wait
    EXPECT_EQ(event.kind, EventKind::KeyDown);
    EXPECT_EQ(event.key, 'W');
    EXPECT_EQ(machine.nowMicros(), 30000u);  // the clock stops at the event, not the timeout

    // An event already due is returned at once, without moving the clock.
    machine.keyUp(5, 'W');
    EXPECT_TRUE(machine.waitEvent(event, 100));
    EXPECT_EQ(event.kind, EventKind::KeyUp);
    EXPECT_EQ(machine.nowMicros(), 30000u);
    EXPECT_EQ(machine.waitCount(), 3u);
    EXPECT_EQ(machine.pollCount(), 0u);
}

TEST(ScriptedPlatform, QuitsOnceTheScriptIsDoneAndTheIdleTimePassed) {
    ScriptedPlatform machine;
    machine.quitWhenIdleAfter(100);
    machine.keyPress(10, 'Q', 10);

    Event event;
    EXPECT_TRUE(machine.waitEvent(event, 1000));  // Q down
    EXPECT_TRUE(machine.waitEvent(event, 1000));  // Q up
    EXPECT_EQ(event.kind, EventKind::KeyUp);
    EXPECT_FALSE(machine.pollEvent(event));  // script done, but the idle time has not passed
    EXPECT_FALSE(machine.waitEvent(event, 50));
    EXPECT_EQ(machine.ticks(), 70u);

    // A wait that reaches the idle time ends there with Quit, and so does every poll after.
    EXPECT_TRUE(machine.waitEvent(event, 1000));
    EXPECT_EQ(event.kind, EventKind::Quit);
    EXPECT_EQ(machine.ticks(), 100u);
    EXPECT_EQ(take(machine).kind, EventKind::Quit);

    // Without the idle quit, an empty script never ends by itself.
    ScriptedPlatform endless;
    endless.advance(1000000);
    EXPECT_FALSE(endless.pollEvent(event));
    EXPECT_FALSE(endless.waitEvent(event, 1000));
}

TEST(ScriptedPlatform, DisplayAndPresentedPages) {
    ScriptedPlatform machine;
    std::string error;
    machine.failOpen = true;
    EXPECT_FALSE(machine.openDisplay(error));
    EXPECT_NE(error.find("cannot open the display"), std::string::npos);
    EXPECT_FALSE(machine.displayOpen());
    machine.failOpen = false;
    EXPECT_TRUE(machine.openDisplay(error));
    EXPECT_TRUE(machine.displayOpen());

    // A page with a wider pitch than the picture: only 640 bytes of each row are shown.
    constexpr int kPitch = 700;
    std::vector<uint8_t> page(size_t{kPitch} * 480, 0xEE);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) page[size_t{kPitch} * y + x] = uint8_t(x + y);
    }
    std::vector<PaletteEntry> palette(256);
    palette[7] = PaletteEntry{1, 2, 3, 0};

    int seen = 0;
    machine.onPresent = [&](const ScriptedPlatform::PresentedPage& shown) {
        ++seen;
        EXPECT_EQ(shown.pixels[639], uint8_t(639));
    };
    machine.advance(5);
    machine.present(page.data(), kPitch, palette.data());
    const auto& last = machine.lastPage();
    ASSERT_EQ(last.pixels.size(), 640u * 480u);
    ASSERT_EQ(last.palette.size(), 256u);
    EXPECT_EQ(last.atMicros, 5000u);
    int wrong = 0;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) wrong += last.pixels[size_t{640} * y + x] != uint8_t(x + y);
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(last.palette[7].red, 1);
    EXPECT_EQ(last.palette[7].blue, 3);
    EXPECT_TRUE(machine.pages().empty());  // only the last page unless asked

    // A later change to the game's page does not reach the kept copy.
    page[0] = 99;
    EXPECT_EQ(machine.lastPage().pixels[0], 0);

    machine.keepAllPages = true;
    machine.present(page.data(), kPitch, palette.data());
    machine.present(page.data(), kPitch, palette.data());
    EXPECT_EQ(machine.pages().size(), 2u);
    EXPECT_EQ(machine.pages()[0].pixels[0], 99);
    EXPECT_EQ(machine.presentCount(), 3u);
    EXPECT_EQ(seen, 3);

    machine.closeDisplay();
    EXPECT_FALSE(machine.displayOpen());
}
