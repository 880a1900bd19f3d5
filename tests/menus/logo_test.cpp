// The start-up logo: the credit line typed behind a blinking cursor, its timing on the
// virtual clock, Ctrl skipping it, and the black page it ends on.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "menus/title_menu.h"
#include "tests/menus/menu_checks.h"
#include "tests/support/test_game.h"

using namespace menu_checks;

namespace {

// The logo line's band: 17 cells of 32 x 32 from x 64 (the line and the cursor after it).
constexpr int kBandX = 64;
constexpr int kBandY = 224;
constexpr int kBandWidth = 17 * 32;
constexpr int kBandHeight = 32;

// Every distinct picture presented, in order (a picture presented again right after
// itself is kept once), plus whether anything was ever drawn outside the band.
struct PresentLog {
    std::vector<std::vector<uint8_t>> bands;
    bool drawnOutsideBand = false;
    bool lastWasBlack = false;
};

void record(PresentLog& log, const platform::ScriptedPlatform::PresentedPage& page) {
    std::vector<uint8_t> band = cutRect(page.pixels.data(), kBandX, kBandY, kBandWidth, kBandHeight);
    size_t solidInBand = 0;
    for (uint8_t pixel : band) solidInBand += pixel != 0 ? 1 : 0;
    const size_t solid = page.pixels.size() - std::count(page.pixels.begin(), page.pixels.end(), 0);
    if (solid != solidInBand) log.drawnOutsideBand = true;
    log.lastWasBlack = solid == 0;
    if (log.bands.empty() || log.bands.back() != band) log.bands.push_back(std::move(band));
}

// The band as it looks with `text` drawn from its start in 32 x 32 cells.
std::vector<uint8_t> bandShowing(Screen& reference, const std::string& text) {
    reference.Clear(kScratch);
    reference.DrawText(kScratch, text.c_str(), kBandX, kBandY, 32, 32);
    return cutRect(reference.Pixels(kScratch), kBandX, kBandY, kBandWidth, kBandHeight);
}

}  // namespace

TEST(Logo, TypesTheCreditLineBehindABlinkingCursorAndEndsBlack) {
    TestGame t;
    PresentLog log;
    t.machine.onPresent = [&log](const auto& page) { record(log, page); };
    t.machine.quitWhenIdleAfter(60000);
    const uint64_t start = t.machine.nowMicros();
    showLogo(*t);
    const uint64_t elapsedMs = (t.machine.nowMicros() - start) / 1000;

    // The states the line goes through, as the player sees them.
    std::vector<std::string> states;
    for (int blink = 0; blink < 8; ++blink) {  // eight blinks at the line's start
        states.push_back("[");
        states.push_back("");
    }
    for (const char* typed :
         {"V[", "VE", "VEV[", "VEVA", "VEVAZ[", "VEVAZI", "VEVAZI [", "VEVAZI S", "VEVAZI SO[",
          "VEVAZI SOF", "VEVAZI SOFT[", "VEVAZI SOFT ", "VEVAZI SOFT 1[", "VEVAZI SOFT 19",
          "VEVAZI SOFT 199[", "VEVAZI SOFT 1998"}) {
        states.push_back(typed);
    }
    for (int blink = 0; blink < 8; ++blink) {  // eight blinks right after the last letter
        states.push_back("VEVAZI SOFT 1998[");
        states.push_back("VEVAZI SOFT 1998");
    }
    states.push_back("");  // the screen goes black

    ASSERT_EQ(log.bands.size(), states.size());
    for (size_t i = 0; i < states.size(); ++i) {
        EXPECT_TRUE(log.bands[i] == bandShowing(t->screen, states[i]))
            << "picture " << i << " should show \"" << states[i] << "\"";
    }
    EXPECT_FALSE(log.drawnOutsideBand);
    EXPECT_TRUE(log.lastWasBlack);

    // 48 steps of 100 ms and a last pause of a second.
    EXPECT_GE(elapsedMs, 5800u);
    EXPECT_LT(elapsedMs, 5850u);
}

TEST(Logo, CtrlHeldPassesTheLogoInABlink) {
    TestGame t;
    PresentLog log;
    t.machine.onPresent = [&log](const auto& page) { record(log, page); };
    t.machine.keyDown(0, key::Ctrl);
    t.machine.quitWhenIdleAfter(60000);
    showLogo(*t);

    EXPECT_LT(t.machine.nowMicros(), 50u * 1000) << "far less than the logo's 5.8 seconds";
    EXPECT_EQ(log.bands.size(), 8u * 2 + 16 + 8 * 2 + 1) << "every step is still shown";
    EXPECT_TRUE(log.lastWasBlack);
}
