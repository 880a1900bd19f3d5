// The pages, the flip chain, presentation and the palettes.

#include <gtest/gtest.h>

#include <vector>

#include "display/screen.h"
#include "tests/display/display_test_helpers.h"

using display_test::makeScreen;

namespace {

// A display that records what is presented, with a clock the test sets.
class RecordingPlatform : public platform::Platform {
public:
    struct Shown {
        uint32_t at;
        const uint8_t* pixels;
        std::vector<uint8_t> copy;
        std::vector<PaletteEntry> palette;
    };

    bool openDisplay(std::string& error) override {
        if (failOpen) {
            error = "no display";
            return false;
        }
        ++opens;
        return true;
    }
    void closeDisplay() override { ++closes; }
    bool pollEvent(platform::Event&) override { return false; }
    bool waitEvent(platform::Event&, uint32_t) override { return false; }
    uint32_t ticks() override { return now; }
    uint32_t refreshIntervalMs() override { return refresh; }
    void present(const uint8_t* pixels, int pitch, const PaletteEntry* palette) override {
        EXPECT_EQ(pitch, kSurfacePitch);
        shown.push_back(Shown{now, pixels, std::vector<uint8_t>(pixels, pixels + kSurfaceBytes),
                              std::vector<PaletteEntry>(palette, palette + 256)});
        now += presentCost;
    }

    bool failOpen = false;
    int opens = 0;
    int closes = 0;
    uint32_t now = 1000;
    uint32_t refresh = 17;
    uint32_t presentCost = 0;  // ms a present takes (a slow display)
    std::vector<Shown> shown;
};

struct OpenScreen {
    RecordingPlatform machine;
    std::unique_ptr<Screen> screen = makeScreen();
    std::vector<uint32_t> waits;  // the maxWaitMs of every call of the wait hook

    OpenScreen() {
        std::string error;
        EXPECT_TRUE(screen->Open(machine, error));
    }
    // A hook that lets `step` ms pass per call, as a pump waiting for events would.
    void waitInSteps(uint32_t step, int stopAfter = -1) {
        screen->SetWaitHook([this, step, stopAfter](uint32_t maxWaitMs) {
            waits.push_back(maxWaitMs);
            machine.now += std::min(step, maxWaitMs);
            return stopAfter < 0 || static_cast<int>(waits.size()) < stopAfter;
        });
    }
};

bool samePalette(const std::vector<PaletteEntry>& a, const std::array<PaletteEntry, 256>& b) {
    for (int i = 0; i < 256; ++i) {
        if (a[i].red != b[i].red || a[i].green != b[i].green || a[i].blue != b[i].blue ||
            a[i].flags != b[i].flags) {
            return false;
        }
    }
    return true;
}

}  // namespace

TEST(ScreenPages, OpenStartsBlackAndCloseGivesTheDisplayBack) {
    RecordingPlatform machine;
    auto screen = makeScreen();
    display_test::fillSurface(*screen, SurfaceOverlay, 9);
    screen->BasePalette[3] = PaletteEntry{1, 2, 3, 0};
    std::string error;
    ASSERT_TRUE(screen->Open(machine, error));
    EXPECT_TRUE(screen->IsOpen());
    EXPECT_EQ(machine.opens, 1);
    for (int id = 0; id < kSurfaceCount; ++id) {
        EXPECT_EQ(display_test::countIndex(*screen, SurfaceId(id), 0), kSurfaceBytes) << id;
    }
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(screen->PaletteRgb(i), 0u);
        EXPECT_EQ(screen->LivePalette[i].red + screen->LivePalette[i].green +
                      screen->LivePalette[i].blue,
                  0);
    }
    screen->Close();
    EXPECT_FALSE(screen->IsOpen());
    EXPECT_EQ(machine.closes, 1);
    screen->Close();  // a second Close does nothing
    EXPECT_EQ(machine.closes, 1);
    screen->Flip();   // nor is anything presented once closed
    EXPECT_TRUE(machine.shown.empty());

    RecordingPlatform broken;
    broken.failOpen = true;
    auto other = makeScreen();
    EXPECT_FALSE(other->Open(broken, error));
    EXPECT_EQ(error, "no display");
    EXPECT_FALSE(other->IsOpen());
}

TEST(ScreenPages, FlipShowsTheBackPageAndTheFieldStaysOnItsPhysicalPage) {
    OpenScreen s;
    Screen& screen = *s.screen;
    screen.MapField();
    uint8_t* firstPage = screen.Pixels(SurfacePrimary);
    EXPECT_EQ(screen.FieldPixels, firstPage);
    EXPECT_EQ(screen.FieldPitch, kSurfacePitch);

    screen.Pixels(SurfaceBack)[5 * kSurfacePitch + 7] = 42;
    screen.Flip();
    ASSERT_EQ(s.machine.shown.size(), 1u);
    EXPECT_EQ(s.machine.shown[0].copy[5 * kSurfacePitch + 7], 42);
    EXPECT_EQ(screen.Pixel(SurfacePrimary, 7, 5), 42);
    EXPECT_EQ(screen.Pixel(SurfaceBack, 7, 5), 0);
    EXPECT_EQ(screen.Pixels(SurfaceBack), firstPage);

    // Without MapField the field pointer stays on the page that is hidden now.
    screen.FieldPixels[100 * screen.FieldPitch + 200] = 156;
    EXPECT_EQ(screen.Pixel(SurfaceBack, 200, 100), 156);
    EXPECT_EQ(screen.Pixel(SurfacePrimary, 200, 100), 0);
    screen.PresentIfDue();
    s.machine.now += 17;
    screen.PresentIfDue();
    ASSERT_EQ(s.machine.shown.size(), 2u);
    EXPECT_EQ(s.machine.shown[1].copy[100 * kSurfacePitch + 200], 0);
    screen.Flip();
    ASSERT_EQ(s.machine.shown.size(), 3u);
    EXPECT_EQ(s.machine.shown[2].pixels, firstPage);
    EXPECT_EQ(s.machine.shown[2].copy[100 * kSurfacePitch + 200], 156);

    // MapField follows the shown page again; off-screen surfaces never move.
    s.machine.now += 100;
    screen.Flip();
    screen.MapField();
    EXPECT_EQ(screen.FieldPixels, screen.Pixels(SurfacePrimary));
    EXPECT_NE(screen.FieldPixels, firstPage);
    screen.FieldPixels[0] = 27;
    s.machine.now += 17;
    screen.PresentIfDue();
    EXPECT_EQ(s.machine.shown.back().copy[0], 27);
    const uint8_t* chars = screen.Pixels(SurfaceChars);
    screen.Flip();
    EXPECT_EQ(screen.Pixels(SurfaceChars), chars);

    display_test::fillSurface(screen, SurfaceOverlay, 5);
    screen.Clear(SurfaceOverlay);
    EXPECT_EQ(display_test::countIndex(screen, SurfaceOverlay, 0), kSurfaceBytes);
}

TEST(ScreenPages, FlipWaitsForTheNextRefreshThroughTheHook) {
    OpenScreen s;
    // No hook: the screen does not wait at all.
    s.screen->Flip();
    EXPECT_EQ(s.machine.now, 1000u);

    s.machine.now = 2000;
    s.waitInSteps(5);
    s.screen->Flip();
    EXPECT_EQ(s.machine.shown.back().at, 2000u);
    EXPECT_EQ(s.waits, (std::vector<uint32_t>{17, 12, 7, 2}));
    EXPECT_EQ(s.machine.now, 2017u);

    // A hook that says stop (Ctrl held) ends the wait at once.
    s.waits.clear();
    s.waitInSteps(5, 1);
    s.screen->Flip();
    EXPECT_EQ(s.waits.size(), 1u);
    EXPECT_EQ(s.machine.now, 2022u);

    // The tick count wrapping round does not make the wait endless or skip it.
    s.waits.clear();
    s.machine.now = 0xFFFFFFF8u;
    s.waitInSteps(5);
    s.screen->Flip();
    EXPECT_EQ(s.waits, (std::vector<uint32_t>{17, 12, 7, 2}));
    EXPECT_EQ(s.machine.now, 9u);

    // A present that takes 12 of the 17 ms leaves only 5 ms to wait: the interval counts
    // from the start of the present, so a slow display does not halve the frame rate.
    s.waits.clear();
    s.machine.now = 3000;
    s.machine.presentCost = 12;
    s.waitInSteps(5);
    s.screen->Flip();
    EXPECT_EQ(s.waits, (std::vector<uint32_t>{5}));
    EXPECT_EQ(s.machine.now, 3017u);
    s.screen->PresentIfDue();  // due again at 3017, from the start of the last present
    EXPECT_EQ(s.machine.shown.back().at, 3017u);
    EXPECT_EQ(s.machine.now, 3029u);
}

TEST(ScreenPages, PresentIfDueAndWaitVerticalBlankFollowTheRefreshInterval) {
    OpenScreen s;
    Screen& screen = *s.screen;
    screen.Flip();  // presented at 1000
    s.machine.now = 1016;
    screen.PresentIfDue();
    EXPECT_EQ(s.machine.shown.size(), 1u);
    s.machine.now = 1017;
    screen.PresentIfDue();
    ASSERT_EQ(s.machine.shown.size(), 2u);
    EXPECT_EQ(s.machine.shown[1].pixels, screen.Pixels(SurfacePrimary));

    // 40 ms after the present at 1017 the next boundary is 1017 + 3 * 17 = 1068.
    s.machine.now = 1057;
    s.waitInSteps(4);
    screen.WaitVerticalBlank();
    EXPECT_EQ(s.waits.front(), 11u);
    EXPECT_EQ(s.machine.now, 1068u);
    EXPECT_EQ(s.machine.shown.size(), 2u);  // waiting presents nothing by itself
}

TEST(ScreenPalette, ShadesAreTakenFromTheBaseEntryAndShowWithTheNextPresent) {
    OpenScreen s;
    Screen& screen = *s.screen;
    screen.BasePalette[10] = PaletteEntry{30, 20, 254, 0};
    screen.BasePalette[11] = PaletteEntry{255, 0, 128, 0};
    screen.ResetPalette();
    EXPECT_TRUE(samePalette(std::vector<PaletteEntry>(screen.BasePalette.begin(),
                                                      screen.BasePalette.end()),
                            screen.LivePalette));

    screen.ShadePaletteEntry(10, -300);
    EXPECT_EQ(screen.LivePalette[10].red + screen.LivePalette[10].green +
                  screen.LivePalette[10].blue,
              0);
    screen.ShadePaletteEntry(10, 300);
    EXPECT_EQ(screen.LivePalette[10].red, 255);
    EXPECT_EQ(screen.LivePalette[10].green, 255);
    EXPECT_EQ(screen.LivePalette[10].blue, 255);
    screen.ShadePaletteEntry(10, 0);
    EXPECT_EQ(screen.LivePalette[10].red, 30);
    EXPECT_EQ(screen.LivePalette[10].green, 20);
    EXPECT_EQ(screen.LivePalette[10].blue, 254);

    screen.ShadePaletteEntry(10, -20);
    screen.ShadePaletteEntry(10, -20);  // 20 darker than the base, not 40
    EXPECT_EQ(screen.LivePalette[10].red, 10);
    EXPECT_EQ(screen.LivePalette[10].green, 0);
    EXPECT_EQ(screen.LivePalette[10].blue, 234);
    EXPECT_EQ(screen.LivePalette[10].flags, 0);

    screen.ShadePaletteEntry(11, -255);
    EXPECT_EQ(screen.LivePalette[11].red, 0);
    screen.ShadePaletteEntry(10, 1);
    EXPECT_EQ(screen.LivePalette[10].blue, 255);
    EXPECT_EQ(screen.LivePalette[10].red, 31);

    // PaletteRgb reads the base entry, shaded or not.
    EXPECT_EQ(screen.PaletteRgb(10), 30u + 20u * 256u + 254u * 65536u);
    EXPECT_EQ(screen.PaletteRgb(11), 255u + 128u * 65536u);
    EXPECT_EQ(screen.IndexOfColour(screen.PaletteRgb(11)), 11);

    // The live palette, shade included, goes out with the page; pixels stay as they were.
    screen.Pixels(SurfaceBack)[0] = 10;
    screen.Flip();
    EXPECT_EQ(s.machine.shown.back().palette[10].blue, 255);
    EXPECT_EQ(s.machine.shown.back().palette[11].red, 0);
    EXPECT_EQ(s.machine.shown.back().copy[0], 10);

    screen.ShadePaletteEntry(-1, 50);   // not a palette index: nothing happens
    screen.ShadePaletteEntry(256, 50);
    EXPECT_EQ(screen.PaletteRgb(256), 0u);
    screen.ResetPalette();
    EXPECT_EQ(screen.LivePalette[10].blue, 254);
    EXPECT_EQ(screen.LivePalette[11].red, 255);
}
