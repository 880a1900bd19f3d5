// The pages, the flip chain, presentation and its pacing, and the palettes.

#include <gtest/gtest.h>

#include "platform/scripted_platform.h"
#include "tests/display/display_test_helpers.h"

namespace display_test {

// A Screen opened on the scripted display (17 ms refresh) at tick 1000.
struct ScreenTest : ::testing::Test {
    platform::ScriptedPlatform machine;
    std::unique_ptr<Screen> screen = makeScreen();
    void SetUp() override {
        std::string error;
        machine.setTicks(1000);
        ASSERT_TRUE(screen->Open(machine, error));
    }
    uint8_t shown(int x, int y) const { return machine.lastPage().pixels[y * kScreenWidth + x]; }
};

// Flip shows the back page; a FieldPixels write after a Flip lands on the hidden page.
TEST_F(ScreenTest, FlipShowsTheBackPageAndTheFieldStaysOnItsPage) {
    EXPECT_EQ(screen->PaletteRgb(200) + screen->LivePalette[200].red, 0u);  // black at first
    screen->Pixels(SurfaceBack)[5 * kSurfacePitch + 7] = 42;
    screen->Flip();
    EXPECT_EQ(shown(7, 5), 42);
    screen->FieldPixels[100 * screen->FieldPitch + 200] = 156;
    machine.advance(17);
    screen->PresentIfDue();
    EXPECT_EQ(machine.presentCount(), 2u);
    EXPECT_EQ(shown(200, 100), 0);
    screen->Flip();
    EXPECT_EQ(shown(200, 100), 156);
}

// Flip waits, pumping, for one refresh interval from the start of its present.
TEST_F(ScreenTest, FlipWaitsForTheNextRefresh) {
    std::vector<uint32_t> waits;  // maxWaitMs of every call of the hook
    uint32_t stopAfter = 0;
    screen->SetWaitHook([&](uint32_t maxWaitMs) {  // a pump: 5 ms pass per call
        waits.push_back(maxWaitMs);
        machine.advance(std::min(5u, maxWaitMs));
        return waits.size() < stopAfter;
    });
    const struct { uint32_t start, presentMs, stopAfter, end; std::vector<uint32_t> waits; }
        flips[] = {
            {1000, 0, 9, 1017, {17, 12, 7, 2}}, {1017, 0, 1, 1022, {17}},  // 1: Ctrl held
            {0xFFFFFFF8u, 0, 9, 9, {17, 12, 7, 2}},  // the tick count wraps round
            {3000, 12, 9, 3017, {5}},                // a present taking 12 ms leaves 5 to wait
        };
    for (const auto& f : flips) {
        machine.setTicks(f.start);
        machine.onPresent = [this, cost = f.presentMs](const auto&) { machine.advance(cost); };
        waits.clear();
        stopAfter = f.stopAfter;
        screen->Flip();
        EXPECT_EQ(waits, f.waits) << f.start;
        EXPECT_EQ(machine.ticks(), f.end) << f.start;
    }
    screen->PresentIfDue();  // due at once: 17 ms since the last present began
    EXPECT_EQ(machine.lastPage().atMicros, 3017000u);
    machine.setTicks(3057);  // the next refresh after 3017 + 40 is 3017 + 3 * 17
    screen->WaitVerticalBlank();
    EXPECT_EQ(machine.ticks(), 3068u);
}

// Shades are always taken from the base entry and show with the next present.
TEST_F(ScreenTest, ShadesComeFromTheBaseEntry) {
    screen->BasePalette[10] = PaletteEntry{30, 20, 254, 0};
    const std::pair<int, std::vector<int>> shades[] = {{-300, {0, 0, 0, 0}},
        {300, {255, 255, 255, 0}}, {0, {30, 20, 254, 0}}, {-20, {10, 0, 234, 0}},
        {-20, {10, 0, 234, 0}}, {1, {31, 21, 255, 0}}};
    for (const auto& [delta, live] : shades) {
        screen->ShadePaletteEntry(10, delta);
        EXPECT_EQ(rgbFlags(screen->LivePalette[10]), live) << delta;
    }
    EXPECT_EQ(screen->PaletteRgb(10), 30u + 20u * 256u + 254u * 65536u);
    screen->Flip();
    EXPECT_EQ(machine.lastPage().palette[10].green, 21);
}

}  // namespace display_test
