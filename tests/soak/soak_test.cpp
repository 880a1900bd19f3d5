// Soak: a long four-player match with everything on: item boxes, COSMO2 explosions and a
// meteorite shower every second, every other round at the full 9050 of both. 1P and 2P are
// computer players; 3P and 4P are people whose keys come from a seeded script of random
// turns and item fires until they let go and run into something. The round's frames run one
// by one, and after each the shown page and the scores are checked against the rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "items/explosions.h"
#include "items/item_box.h"
#include "match/match.h"
#include "round/meteorites.h"
#include "round/round.h"
#include "shell/game.h"
#include "tests/support/test_game.h"

namespace {

constexpr int kFull = 9050;              // the largest particle and meteorite counts
constexpr int kRounds = 24;
constexpr uint32_t kRoundCapMs = 20000;  // a round still running then is abandoned with Esc
constexpr int kCell = 16;
constexpr int kFrameTop = 32;            // the header band is rows 0..31
constexpr int kFrameBottom = 415;
constexpr int kPanelTop = 416;           // the panel band is rows 416..479

struct Text { std::string text; int x, y, tile; };

// The first pixel from row `top` on that differs from `want`, as "(x, y)"; empty when none.
std::string firstDifference(const uint8_t* page, int top, const std::vector<uint8_t>& want) {
    const uint8_t* from = page + top * kSurfacePitch;
    if (std::memcmp(from, want.data(), want.size()) == 0) return {};
    const size_t i = std::mismatch(want.begin(), want.end(), from).first - want.begin();
    return "(" + std::to_string(i % kSurfacePitch) + ", " +
           std::to_string(top + i / kSurfacePitch) + ")";
}

// How many pixels of the frame (rows 32 and 415, columns 0 and 639) are not ColourFrame.
int strayFramePixels(const uint8_t* page) {
    const auto stray = [&](int x, int y) { return page[y * kSurfacePitch + x] != ColourFrame; };
    int count = 0;
    for (int x = 0; x < kScreenWidth; ++x) count += stray(x, kFrameTop) + stray(x, kFrameBottom);
    for (int y = kFrameTop; y <= kFrameBottom; ++y) count += stray(0, y) + stray(639, y);
    return count;
}

int32_t paid(int32_t time, float rate) {
    return static_cast<int32_t>(std::trunc(static_cast<double>(time) * rate));
}

struct Tally {
    int ended = 0, abandoned = 0, frames = 0, crashes = 0, fullCrashes = 0, fullShowers = 0;
    int pickups = 0, fired = 0;
};

class SoakMatch {
public:
    explicit SoakMatch(TestGame& test) : test_(test), game_(*test) {
        // The pause after a round's end waits for Enter: press it once it shows.
        test.machine.onPresent = [this](const platform::ScriptedPlatform::PresentedPage&) {
            if (inRound_ && !enterQueued_ && inPlay() <= 1) {
                test_.machine.keyPress(nowMs() + 40, key::Enter);
                enterQueued_ = true;
            }
        };
    }
    ~SoakMatch() { test_.machine.onPresent = nullptr; }

    // One round as match flow plays it: set-up, countdown, then the frames one by one.
    void playRound(int32_t meteorites, int32_t particles) {
        Game& game = game_;
        game.settings.meteoriteValue = meteorites;
        game.settings.explosionValue[ExplosionCosmo2] = particles;
        game.settings.wait = 1;
        startRound(game);
        runCountdown(game);
        game.itemBox.itemKind = ItemNone;  // as runRound does before its first frame
        game.match.secondStamp = game.platform->ticks();
        inRound_ = true;
        enterQueued_ = false;
        const uint32_t start = nowMs();
        for (int slot = 2; slot < kSlots; ++slot) letGoAt_[slot] = start + uniform(5000, 20000);
        if (game.match.round % 4 == 1) {  // a while at WAIT 0, then back to 1
            test_.machine.keyPress(start + 1000, key::PageUp);
            test_.machine.keyPress(start + 1500, key::PageDown);
        }
        bool escQueued = false;
        for (bool over = false; !over && !::testing::Test::HasFatalFailure();) {
            pressPeoplesKeys();
            if (!escQueued && nowMs() - start >= kRoundCapMs) {
                test_.machine.keyPress(nowMs() + 1, key::Esc);
                escQueued = true;
            }
            const Players before = game.players;
            const Match matchBefore = game.match;
            const int32_t showerBefore = game.meteorites.meteorShowerActive;
            const int32_t boxBefore = game.itemBox.itemKind;
            over = playRoundFrame(game);
            tally.frames += 1;
            tally.fullShowers += showerBefore == 0 && game.meteorites.meteorShowerActive != 0 &&
                                 meteorites == kFull;
            tally.pickups += boxBefore != ItemNone && game.itemBox.itemKind == ItemNone;
            checkBands();
            checkPlayers(before, matchBefore, over, particles == kFull);
        }
        inRound_ = false;
        (inPlay() <= 1 ? tally.ended : tally.abandoned) += 1;
    }

    Tally tally;

private:
    uint32_t nowMs() const { return static_cast<uint32_t>(test_.machine.nowMicros() / 1000); }
    int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }
    // Rows [top, bottom) of a page holding only `texts`, drawn with the game's own text call
    // on a second, untouched Game; kept by what they show.
    const std::vector<uint8_t>& band(int top, int bottom, const std::vector<Text>& texts) {
        std::string key;
        for (const Text& t : texts) key += t.text + "@" + std::to_string(t.x) + "|";
        auto [it, fresh] = bands_.try_emplace(key);
        if (fresh) {
            Screen& screen = reference_->screen;
            screen.Clear(SurfaceSpare7);
            for (const Text& t : texts) {
                screen.DrawColourText(SurfaceSpare7, t.text.c_str(), t.x, t.y, kCell, kCell,
                                      t.tile);
            }
            const uint8_t* pixels = screen.Pixels(SurfaceSpare7);
            it->second.assign(pixels + top * kSurfacePitch, pixels + bottom * kSurfacePitch);
        }
        return it->second;
    }
    int inPlay() const {
        int count = 0;
        for (int slot = 0; slot < kSlots; ++slot) count += game_.players.inPlay(slot);
        return count;
    }

    // A person's random press: away from what lies close ahead (mostly), the item key now
    // and then, often a turn toward the item box so that boxes get taken, else either turn.
    int chooseKey(int slot) {
        const PlayerKeys& keys = playerKeys[slot];
        const Players& players = game_.players;
        const int pick = uniform(0, 99);
        if (lookAhead(game_, slot, 0, 16) != kLookClear && pick < 95) {
            const bool right = lookAhead(game_, slot, -30, 15) > lookAhead(game_, slot, 30, 15);
            return right ? keys.turnRightKey : keys.turnLeftKey;
        }
        if (pick < 5 || (players.itemCount[slot] > 0 && pick < 25)) return keys.itemKey;
        const ItemBox& box = game_.itemBox;
        if (box.itemKind != ItemNone && pick < 90) {  // toward the box's middle; y grows down
            const double dx = box.x + 8 - players.x[slot], dy = players.y[slot] - box.y - 8;
            const double off = std::remainder(
                std::atan2(dy, dx) * 180 / M_PI - players.direction[slot], 360);
            return off > 15 ? keys.turnLeftKey : off < -15 ? keys.turnRightKey : 0;
        }
        return pick % 2 == 0 ? keys.turnLeftKey : keys.turnRightKey;
    }

    void pressPeoplesKeys() {
        const uint32_t now = nowMs();
        for (int slot = 2; slot < kSlots; ++slot) {
            if (!game_.players.inPlay(slot) || now >= letGoAt_[slot] || now < nextPressAt_[slot]) {
                continue;
            }
            if (const int code = chooseKey(slot)) {
                test_.machine.keyPress(now + uniform(1, 8), code, uniform(10, 30));
            }
            const bool blocked = lookAhead(game_, slot, 0, 16) != kLookClear;
            nextPressAt_[slot] = now + (blocked ? uniform(8, 20) : uniform(30, 200));
        }
    }

    // The frame is all ColourFrame; the header band holds exactly the header line with the
    // round's values; the panel band exactly each player's caption and top item label (a
    // blank line once crashed) and "PUSH ESC KEY TO END".
    void checkBands() {
        const Game& game = game_;
        const uint8_t* page = game.screen.FieldPixels;
        ASSERT_EQ(page, game.screen.Pixels(SurfacePrimary)) << "the field is the shown page";
        ASSERT_EQ(strayFramePixels(page), 0) << "frame " << tally.frames;
        char header[64];
        std::snprintf(header, sizeof header, "ROUND %02d  WAIT %03d  TIME %05d",
                      game.match.round + 1, game.settings.wait, game.match.time);
        ASSERT_EQ(firstDifference(page, 0, band(0, kFrameTop, {{header, 16, 16, 8}})), "")
            << "header band, frame " << tally.frames;

        std::vector<Text> panel = {{"PUSH ESC KEY TO END", -1, 464, 7}};
        for (int slot = 0; slot < kSlots; ++slot) {
            if (!game.players.inPlay(slot)) continue;
            const int left = 320 * (slot % 2), y = kPanelTop + kCell * (slot / 2);
            panel.push_back({std::to_string(slot + 1) + "P ITEM", left + 16, y, slot + 1});
            const int32_t count = game.players.itemCount[slot];
            if (count == 0) continue;
            const int32_t top = game.players.items[slot][count - 1];
            ASSERT_TRUE(top >= ItemLaserShot && top <= ItemBomb) << "held item kind " << top;
            panel.push_back({itemNames[top], left + 144, y, slot + 1});
        }
        const auto& want = band(kPanelTop, kScreenHeight, panel);
        ASSERT_EQ(firstDifference(page, kPanelTop, want), "") << "panel, frame " << tally.frames;
    }

    // A living head is inside the field, a crashed one at most on the frame; nobody comes
    // back to life. Crashes of the frame pay time x rate in slot order, each raising the rate
    // by 0.5; a round ended by the end test pays the last player left time x rate + 100;
    // nothing else changes a score.
    void checkPlayers(const Players& before, const Match& matchBefore, bool over, bool full) {
        const Players& players = game_.players;
        const int32_t time = game_.match.time;
        ASSERT_TRUE(time == matchBefore.time || time == matchBefore.time + 1);
        float rate = matchBefore.scoreRate;
        std::array<int32_t, kSlots> want = before.score;
        for (int slot = 0; slot < kSlots; ++slot) {
            const int px = static_cast<int>(players.x[slot]);
            const int py = static_cast<int>(players.y[slot]);
            const int margin = players.alive[slot] ? 0 : 1;
            ASSERT_TRUE(px >= kFieldLeft - margin && px <= kFieldRight + margin &&
                        py >= kFieldTop - margin && py <= kFieldBottom + margin)
                << slot + 1 << "P at " << px << ", " << py << ", alive " << players.alive[slot];
            ASSERT_FALSE(before.alive[slot] == 0 && players.alive[slot] != 0);
            tally.fired += players.itemCount[slot] < before.itemCount[slot];
            if (before.alive[slot] != 0 && players.alive[slot] == 0) {
                want[slot] += paid(time, rate);
                rate += 0.5f;
                tally.crashes += 1;
                tally.fullCrashes += full;
            }
        }
        ASSERT_EQ(game_.match.scoreRate, rate) << "rate after the crashes of this frame";
        for (int slot = 0; slot < kSlots && over && inPlay() <= 1; ++slot) {
            if (players.inPlay(slot)) want[slot] += paid(time, rate) + 100;
        }
        ASSERT_EQ(players.score, want) << "time " << time << ", round " << game_.match.round + 1;
    }

    TestGame& test_;
    Game& game_;
    TestGame reference_;
    std::map<std::string, std::vector<uint8_t>> bands_;
    std::mt19937 random_{20240607};
    bool inRound_ = false, enterQueued_ = false;
    std::array<uint32_t, kSlots> letGoAt_{}, nextPressAt_{};
};

}  // namespace

TEST(Soak, FourPlayersWithFullExplosionsMeteoritesAndItemsKeepTheScreenAndScoresSound) {
    TestGame test;
    Game& game = *test;
    game.random.seed(77);
    game.players.type = {PlayerCom, PlayerCom, PlayerMan, PlayerMan};
    game.settings.explosionType = ExplosionCosmo2;
    game.settings.itemsOn = game.settings.meteoritesOn = 1;
    game.settings.meteoriteTime = 1;  // a shower every second
    // A round that hangs ends the program: ProgramExit escapes and fails the test.
    test.machine.quitWhenIdleAfter(60 * 60 * 1000);

    SoakMatch soak(test);
    for (int& round = game.match.round; round < kRounds && !HasFatalFailure(); ++round) {
        soak.playRound(round % 2 == 0 ? kFull : 50, round % 2 == 0 ? kFull : 150);
    }
    if (HasFatalFailure()) return;

    // The soak did what it is for: rounds ended by the end test, crashes into 9050-particle
    // explosions, 9050-meteorite showers, boxes taken and items fired.
    const Tally& t = soak.tally;
    EXPECT_EQ(t.ended + t.abandoned, kRounds);
    EXPECT_GE(t.ended, kRounds / 2);
    EXPECT_GE(t.fullCrashes, 1);
    EXPECT_GE(t.fullShowers, 1);
    EXPECT_GE(t.pickups, 5);
    EXPECT_GE(t.fired, 3);
    std::printf("soak: %d ended, %d abandoned, %d frames, %d crashes (%d full), %d full showers, "
                "%d boxes, %d fired\n", t.ended, t.abandoned, t.frames, t.crashes, t.fullCrashes,
                t.fullShowers, t.pickups, t.fired);
}
