// Soak test: a long four-player match with everything switched on at full size: item boxes,
// COSMO2 explosions of 9050 particles, a meteorite shower of 9050 every second. 1P and 2P
// are computer players; 3P and 4P are people whose keys come from a seeded script of random
// presses (turns and item fires) until they let go and run into something. Some rounds are
// abandoned with Esc, some run a while at WAIT 0.
//
// The match is played as match flow plays it (score table, Enter, round set-up, countdown,
// the round's frames), but the round's frames are run one by one so that after every frame
// the shown page and the scores can be checked against the rules:
//   - the frame round the field is entirely ColourFrame;
//   - the header band holds exactly the header line with the round's values;
//   - the panel band holds exactly each player's caption and item label (blanks for a
//     crashed player) and "PUSH ESC KEY TO END", nothing else;
//   - every head is inside the field, and a living head's pixel holds its colour;
//   - every crash pays time x rate at the rate of its place in the slot order, the last
//     player left gets the bonus, and scores never go down.
// Every page presented in between (item flashes, disc animations, countdown, end pause) is
// checked too, with the panel allowed to hold any of a player's possible lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <tuple>
#include <vector>

#include "items/explosions.h"
#include "items/item_box.h"
#include "items/item_effects.h"
#include "match/match.h"
#include "round/meteorites.h"
#include "round/round.h"
#include "shell/game.h"
#include "shell/pacing.h"
#include "tests/support/test_game.h"

#if defined(__SANITIZE_ADDRESS__)
#define SOAK_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SOAK_SANITIZED 1
#endif
#endif
#ifndef SOAK_SANITIZED
#define SOAK_SANITIZED 0
#endif

namespace {

using platform::ScriptedPlatform;

constexpr int kFullCount = 9050;     // the largest particle and meteorite counts
constexpr int kHeaderRows = 32;      // rows 0..31
constexpr int kFrameTop = 32;
constexpr int kFrameBottom = 415;
constexpr int kFrameLeft = 0;
constexpr int kFrameRight = 639;
constexpr int kPanelTop = 416;       // rows 416..479
constexpr int kCell = 16;
constexpr int kHalfWidth = 320;
constexpr int kEscLineY = 464;
constexpr int kKeyDelayMs = 40;      // Enter / Esc come this long after the game waits for them
constexpr uint32_t kRoundCapMs = 30000;   // a round still running after this is ended by Esc
constexpr uint32_t kComputersAloneMs = 5000;  // ... or once only computers played this long
constexpr int kMaxFramesPerRound = 200000;

// What one round of the soak is played with.
struct RoundPlan {
    int32_t meteorites;   // per shower
    int32_t particles;    // per explosion
    uint32_t abandonAtMs; // Esc this long after the round began; 0: played to its end
    bool waitZeroSpell;   // Page Up to WAIT 0 early in the round, Page Down back later
};

// Twelve rounds. Rounds with the full shower end in seconds (the field is soon thick with
// meteorites and particles), so every other round has thinner showers and lasts long enough
// for item boxes to be taken and fired. Two rounds are abandoned with Esc at a set time, two
// run a while at WAIT 0. The sanitizer build, several times slower, plays the first half.
std::vector<RoundPlan> soakPlan() {
    std::vector<RoundPlan> plan = {
        {kFullCount, kFullCount, 0, false}, {50, 150, 0, false},
        {kFullCount, kFullCount, 1000, false}, {50, 300, 0, true},
        {kFullCount, kFullCount, 0, false}, {100, 150, 9000, false},
        {kFullCount, kFullCount, 0, true}, {50, kFullCount, 0, false},
        {kFullCount, kFullCount, 0, false}, {50, 150, 0, false},
        {kFullCount, 150, 0, false}, {kFullCount, kFullCount, 0, false},
    };
    if (SOAK_SANITIZED) plan.resize(plan.size() / 2);
    return plan;
}

// The panel line of one player: its caption and the label of a held item kind (0: none),
// or kCrashedLine for a crashed player, whose line is blank.
constexpr int kCrashedLine = 6;
constexpr int kLineStates = 7;

// Reference drawings made with the game's own text operation on a second, untouched Game.
class References {
public:
    References() {
        for (int slot = 0; slot < kSlots; ++slot) {
            for (int state = 0; state < kLineStates; ++state) {
                lines_[slot][state] = drawLine(slot, state);
            }
        }
        Screen& screen = ref_->screen;
        screen.Clear(kScratch);
        screen.DrawColourText(kScratch, "PUSH ESC KEY TO END", -1, kEscLineY, kCell, kCell, 7);
        escLine_.assign(screen.Pixels(kScratch) + kEscLineY * kSurfacePitch,
                        screen.Pixels(kScratch) + (kEscLineY + kCell) * kSurfacePitch);
    }

    // Rows 0..31 as the header line "ROUND %02d  WAIT %03d  TIME %05d" draws them.
    const std::vector<uint8_t>& header(int32_t round, int32_t wait, int32_t time) {
        const auto key = std::make_tuple(round, wait, time);
        if (key != headerKey_ || header_.empty()) {
            char text[64];
            std::snprintf(text, sizeof text, "ROUND %02d  WAIT %03d  TIME %05d", round, wait,
                          time);
            Screen& screen = ref_->screen;
            screen.Clear(kScratch);
            screen.DrawColourText(kScratch, text, 16, 16, kCell, kCell, 8);
            header_.assign(screen.Pixels(kScratch),
                           screen.Pixels(kScratch) + kHeaderRows * kSurfacePitch);
            headerKey_ = key;
        }
        return header_;
    }

    // The 320 x 16 half line of the panel that belongs to the slot, in the given state.
    const std::vector<uint8_t>& line(int slot, int state) const { return lines_[slot][state]; }
    const std::vector<uint8_t>& escLine() const { return escLine_; }

private:
    static constexpr SurfaceId kScratch = SurfaceSpare7;

    std::vector<uint8_t> drawLine(int slot, int state) {
        Screen& screen = ref_->screen;
        screen.Clear(kScratch);
        const int left = kHalfWidth * (slot % 2);
        const int y = kPanelTop + kCell * (slot / 2);
        if (state != kCrashedLine) {
            char caption[24];
            std::snprintf(caption, sizeof caption, "%dP ITEM", slot + 1);
            screen.DrawColourText(kScratch, caption, left + 16, y, kCell, kCell, slot + 1);
            if (state != ItemNone) {
                screen.DrawColourText(kScratch, itemNames[state], left + 144, y, kCell, kCell,
                                      slot + 1);
            }
        }
        std::vector<uint8_t> block;
        for (int row = y; row < y + kCell; ++row) {
            const uint8_t* from = screen.Pixels(kScratch) + row * kSurfacePitch + left;
            block.insert(block.end(), from, from + kHalfWidth);
        }
        return block;
    }

    TestGame ref_;
    std::array<std::array<std::vector<uint8_t>, kLineStates>, kSlots> lines_;
    std::vector<uint8_t> escLine_;
    std::tuple<int32_t, int32_t, int32_t> headerKey_{};
    std::vector<uint8_t> header_;
};

// Whether the slot's half line of the panel on `page` equals `want`.
bool panelLineIs(const uint8_t* page, int slot, const std::vector<uint8_t>& want) {
    const int left = kHalfWidth * (slot % 2);
    const int top = kPanelTop + kCell * (slot / 2);
    for (int row = 0; row < kCell; ++row) {
        if (std::memcmp(page + (top + row) * kSurfacePitch + left, &want[row * kHalfWidth],
                        kHalfWidth) != 0) {
            return false;
        }
    }
    return true;
}

// The first pixel of the rectangle that is not `value`, as text; empty when all are.
std::string firstNot(const uint8_t* page, int x0, int y0, int x1, int y1, uint8_t value) {
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const uint8_t got = page[y * kSurfacePitch + x];
            if (got != value) {
                return "(" + std::to_string(x) + ", " + std::to_string(y) + ") holds " +
                       std::to_string(got);
            }
        }
    }
    return {};
}

// The first pixel of rows [top, top + rows) that differs from `want`, as text.
std::string firstDifference(const uint8_t* page, int top, int rows, const uint8_t* want) {
    for (int i = 0; i < rows * kSurfacePitch; ++i) {
        const uint8_t got = page[top * kSurfacePitch + i];
        if (got != want[i]) {
            return "(" + std::to_string(i % kSurfacePitch) + ", " +
                   std::to_string(top + i / kSurfacePitch) + ") holds " + std::to_string(got) +
                   ", expected " + std::to_string(want[i]);
        }
    }
    return {};
}

int32_t paid(int32_t time, float rate) {
    return static_cast<int32_t>(std::trunc(static_cast<double>(time) * rate));
}

enum class Phase { Table, Countdown, Round };

// What happened over the whole match, to show that the soak exercised what it claims to.
struct Tally {
    int roundsEnded = 0;      // by the end test
    int roundsAbandoned = 0;  // by Esc
    int crashes = 0;
    int fullExplosions = 0;   // launched with 9050 particles
    int fullShowers = 0;      // frames in which a shower of 9050 began
    int pickups = 0;          // boxes taken
    std::array<int, 6> fired{};  // items fired, by kind
    int speedUpsTaken = 0;    // boxes that acted at once (SPEED UP, also from "?")
    int itemFlashes = 0;      // runs of presented flash pages
    int framesAtWaitZero = 0;
    int pagesChecked = 0;
    int framesChecked = 0;
};

class SoakMatch {
public:
    SoakMatch(TestGame& test, uint32_t seed) : test_(test), game_(*test), keys_(seed) {
        test_.machine.onPresent = [this](const ScriptedPlatform::PresentedPage& page) {
            onPresent(page);
        };
    }
    ~SoakMatch() { test_.machine.onPresent = nullptr; }

    const Tally& tally() const { return tally_; }

    // Match flow with the round's frames run one by one: score table and Enter, set-up,
    // countdown, frames; Esc on the table after the last round.
    void play(const std::vector<RoundPlan>& plan) {
        Game& game = game_;
        game.screen.ResetPalette();
        game.players.score = {};
        game.match.round = 0;
        for (;;) {
            phase_ = Phase::Table;
            drawScoreTable(game);
            game.keyboard.keyDown[key::Enter] = 0;
            game.keyboard.keyDown[key::Esc] = 0;
            const bool more = game.match.round < static_cast<int32_t>(plan.size());
            test_.machine.keyPress(nowMs() + kKeyDelayMs, more ? key::Enter : key::Esc);
            if (!waitForNextRound()) return;
            ASSERT_TRUE(more) << "Enter on the table after the last round";
            playRound(plan[game.match.round]);
            if (::testing::Test::HasFatalFailure()) return;
            phase_ = Phase::Table;  // the round's page stays shown, but its round is over
            game.match.round += 1;
            waitSinceMark(game, 0);
        }
    }

private:
    // The state before a frame, to check what the frame changed.
    struct Before {
        std::array<int32_t, kSlots> alive;
        std::array<int32_t, kSlots> score;
        std::array<int32_t, kSlots> itemCount;
        float scoreRate;
        int32_t time;
        int32_t showerActive;
        int32_t boxKind;
    };

    bool waitForNextRound() {
        for (;;) {
            if (game_.keyboard.take(key::Enter)) return true;
            if (game_.keyboard.take(key::Esc)) return false;
            waitSinceMark(game_, 0);
        }
    }

    uint32_t nowMs() const { return static_cast<uint32_t>(test_.machine.nowMicros() / 1000); }

    int inPlay() const {
        int count = 0;
        for (int slot = 0; slot < kSlots; ++slot) count += game_.players.inPlay(slot) ? 1 : 0;
        return count;
    }

    int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(keys_); }

    void playRound(const RoundPlan& plan) {
        Game& game = game_;
        game.settings.meteoriteValue = plan.meteorites;
        game.settings.explosionValue[ExplosionCosmo2] = plan.particles;
        game.settings.wait = 1;
        phase_ = Phase::Countdown;
        enterScheduled_ = false;
        startRound(game);
        runCountdown(game);
        // As runRound does before its first frame.
        game.itemBox.itemKind = ItemNone;
        game.match.secondStamp = game.platform->ticks();
        phase_ = Phase::Round;

        roundStartMs_ = nowMs();
        for (int slot = 2; slot < kSlots; ++slot) {
            // A person plays for a while, then lets go and runs into something.
            letGoAtMs_[slot] = roundStartMs_ + static_cast<uint32_t>(uniform(5000, 20000));
            nextPressAtMs_[slot] = roundStartMs_ + static_cast<uint32_t>(uniform(0, 300));
        }
        escScheduled_ = false;
        lastPersonMs_ = roundStartMs_;
        waitSpell_ = plan.waitZeroSpell ? 1 : 0;

        for (int frame = 0; frame < kMaxFramesPerRound; ++frame) {
            scheduleKeys(plan);
            const Before before = snapshot();
            const bool over = playRoundFrame(game);
            checkFrame(before, over);
            if (::testing::Test::HasFatalFailure()) return;
            if (over) {
                if (inPlay() <= 1) {
                    tally_.roundsEnded += 1;
                } else {
                    tally_.roundsAbandoned += 1;
                }
                return;
            }
        }
        FAIL() << "round " << game.match.round + 1 << " did not end";
    }

    Before snapshot() const {
        const Game& game = game_;
        return Before{game.players.alive,     game.players.score,
                      game.players.itemCount, game.match.scoreRate,
                      game.match.time,        game.meteorites.meteorShowerActive,
                      game.itemBox.itemKind};
    }

    // A person's next key, drawn at random: a turn away from what lies close ahead (most of
    // the time); the item key now and then while something is
    // held; otherwise mostly a turn toward the item box when one lies on the field (so that
    // boxes get taken and fired), else a turn either way. 0: no press this time.
    int chooseKey(int slot) {
        const PlayerKeys& keys = playerKeys[slot];
        const Players& players = game_.players;
        const int pick = uniform(0, 99);
        // Something close ahead: usually a turn to the freer side, sometimes a blunder.
        if (lookAhead(game_, slot, 0, 16) != kLookClear && pick < 95) {
            return lookAhead(game_, slot, -30, 15) > lookAhead(game_, slot, 30, 15)
                       ? keys.turnRightKey
                       : keys.turnLeftKey;
        }
        if (players.itemCount[slot] > 0 && pick < 25) return keys.itemKey;
        if (pick < 5) return keys.itemKey;  // with nothing held the press is used up
        const ItemBox& box = game_.itemBox;
        if (box.itemKind != ItemNone && pick < 90) {
            const double dx = box.x + kItemBoxSize / 2 - players.x[slot];
            const double dy = box.y + kItemBoxSize / 2 - players.y[slot];
            const double towards = std::atan2(-dy, dx) * 180.0 / 3.141592653589793;
            double off = std::fmod(towards - players.direction[slot] + 540.0, 360.0) - 180.0;
            if (off > 15.0) return keys.turnLeftKey;
            if (off < -15.0) return keys.turnRightKey;
            return 0;
        }
        return pick % 2 == 0 ? keys.turnLeftKey : keys.turnRightKey;
    }

    // The people's random presses, the planned Esc, the WAIT 0 spell.
    void scheduleKeys(const RoundPlan& plan) {
        const uint32_t now = nowMs();
        for (int slot = 2; slot < kSlots; ++slot) {
            if (!game_.players.inPlay(slot) || now >= letGoAtMs_[slot] ||
                now < nextPressAtMs_[slot]) {
                continue;
            }
            const int code = chooseKey(slot);
            if (code != 0) {
                test_.machine.keyPress(now + static_cast<uint32_t>(uniform(1, 8)), code,
                                       static_cast<uint32_t>(uniform(10, 30)));
            }
            const bool blocked = lookAhead(game_, slot, 0, 16) != kLookClear;
            nextPressAtMs_[slot] =
                now + static_cast<uint32_t>(blocked ? uniform(8, 20) : uniform(30, 200));
        }
        const uint32_t age = now - roundStartMs_;
        // Computer players left to themselves can go on for long: they are stopped too.
        if (game_.players.inPlay(2) || game_.players.inPlay(3)) lastPersonMs_ = now;
        if (!escScheduled_ && ((plan.abandonAtMs != 0 && age >= plan.abandonAtMs) ||
                               age >= kRoundCapMs || now - lastPersonMs_ >= kComputersAloneMs)) {
            test_.machine.keyPress(now + 1, key::Esc);
            escScheduled_ = true;
        }
        if (waitSpell_ == 1 && age >= 1200) {
            test_.machine.keyPress(now + 1, key::PageUp);
            waitSpell_ = 2;
        } else if (waitSpell_ == 2 && age >= 1700) {
            test_.machine.keyPress(now + 1, key::PageDown);
            waitSpell_ = 3;
        }
    }

    // --- checks -------------------------------------------------------------------------

    void checkFrame(const Before& before, bool over) {
        Game& game = game_;
        const int32_t round = game.match.round + 1;
        tally_.framesChecked += 1;
        if (game.settings.wait == 0) tally_.framesAtWaitZero += 1;
        if (before.showerActive == 0 && game.meteorites.meteorShowerActive != 0 &&
            game.settings.meteoriteValue == kFullCount) {
            tally_.fullShowers += 1;
        }
        ASSERT_EQ(game.screen.FieldPixels, game.screen.Pixels(SurfacePrimary))
            << "round " << round << ": the field is not the shown page";
        const uint8_t* page = game.screen.Pixels(SurfacePrimary);
        checkBands(page, true, "round " + std::to_string(round) + " frame " +
                                   std::to_string(tally_.framesChecked));
        // In the end pause explosions and meteorites go on and may wipe the last head.
        checkHeads(page, !(over && inPlay() <= 1));
        checkScores(before, over);
        bool stackGrew = false;
        for (int slot = 0; slot < kSlots; ++slot) {
            const int32_t count = game.players.itemCount[slot];
            stackGrew = stackGrew || count > before.itemCount[slot];
            if (count < before.itemCount[slot]) {
                tally_.fired[std::clamp(game.players.items[slot][count], 0, 5)] += 1;
            }
        }
        if (before.boxKind != ItemNone && game.itemBox.itemKind == ItemNone) {
            tally_.pickups += 1;
            if (!stackGrew) tally_.speedUpsTaken += 1;
        }
    }

    // The frame, the header band and the panel band of a page of the round. `strict`: the
    // panel must show exactly the players' state; otherwise any line a player can have.
    void checkBands(const uint8_t* page, bool strict, const std::string& where) {
        Game& game = game_;
        std::string stray = firstNot(page, kFrameLeft, kFrameTop, kFrameRight, kFrameTop,
                                     ColourFrame);
        if (stray.empty()) {
            stray = firstNot(page, kFrameLeft, kFrameBottom, kFrameRight, kFrameBottom,
                             ColourFrame);
        }
        if (stray.empty()) {
            stray = firstNot(page, kFrameLeft, kFrameTop, kFrameLeft, kFrameBottom, ColourFrame);
        }
        if (stray.empty()) {
            stray = firstNot(page, kFrameRight, kFrameTop, kFrameRight, kFrameBottom,
                             ColourFrame);
        }
        ASSERT_TRUE(stray.empty()) << where << ": frame pixel " << stray;

        const auto& header = refs_.header(game.match.round + 1, game.settings.wait,
                                          game.match.time);
        const std::string headerDiff = firstDifference(page, 0, kHeaderRows, header.data());
        ASSERT_TRUE(headerDiff.empty()) << where << ": header band pixel " << headerDiff;

        for (int slot = 0; slot < kSlots; ++slot) {
            if (strict) {
                const int state = expectedLine(slot);
                ASSERT_GE(state, 0) << where << ": " << slot + 1 << "P holds an item of kind "
                                    << game.players.items[slot][game.players.itemCount[slot] - 1];
                ASSERT_TRUE(panelLineIs(page, slot, refs_.line(slot, state)))
                    << where << ": panel line of " << slot + 1 << "P is not line state "
                    << state << " (alive " << game.players.alive[slot] << ", items "
                    << game.players.itemCount[slot] << ")";
            } else {
                bool any = false;
                for (int state = 0; state < kLineStates && !any; ++state) {
                    any = panelLineIs(page, slot, refs_.line(slot, state));
                }
                ASSERT_TRUE(any) << where << ": panel line of " << slot + 1
                                 << "P is none of its possible lines";
            }
        }
        const std::string gap = firstNot(page, 0, kPanelTop + 2 * kCell, kScreenWidth - 1,
                                         kEscLineY - 1, ColourEmpty);
        ASSERT_TRUE(gap.empty()) << where << ": panel pixel " << gap;
        const std::string esc =
            firstDifference(page, kEscLineY, kCell, refs_.escLine().data());
        ASSERT_TRUE(esc.empty()) << where << ": \"PUSH ESC KEY TO END\" line pixel " << esc;
    }

    // What the slot's panel line shows now: blank once crashed, else its caption and the
    // label of its top held item.
    int expectedLine(int slot) const {
        const Players& players = game_.players;
        if (players.alive[slot] == 0) return kCrashedLine;
        if (players.itemCount[slot] == 0) return ItemNone;
        const int32_t top = players.items[slot][players.itemCount[slot] - 1];
        return top >= ItemLaserShot && top <= ItemBomb ? top : -1;
    }

    // Every head is inside the frame; a living one inside the field, its pixel in its
    // colour (or in the colour of a higher slot standing on the same pixel) unless
    // `headsDrawnLast` is false.
    void checkHeads(const uint8_t* page, bool headsDrawnLast) {
        const Players& players = game_.players;
        for (int slot = 0; slot < kSlots; ++slot) {
            const float x = players.x[slot];
            const float y = players.y[slot];
            if (players.alive[slot] == 0) {
                ASSERT_TRUE(x >= kFrameLeft && x < kFrameRight + 1 && y >= kFrameTop &&
                            y < kFrameBottom + 1)
                    << slot + 1 << "P crashed outside the frame at " << x << ", " << y;
                continue;
            }
            ASSERT_TRUE(x >= kFieldLeft && x < kFieldRight + 1 && y >= kFieldTop &&
                        y < kFieldBottom + 1)
                << slot + 1 << "P is outside the field at " << x << ", " << y;
            if (!headsDrawnLast) continue;
            const int px = static_cast<int>(x);
            const int py = static_cast<int>(y);
            uint8_t want = playerColour[slot];
            for (int other = slot + 1; other < kSlots; ++other) {
                if (players.inPlay(other) && static_cast<int>(players.x[other]) == px &&
                    static_cast<int>(players.y[other]) == py) {
                    want = playerColour[other];
                }
            }
            ASSERT_EQ(page[py * kSurfacePitch + px], want)
                << slot + 1 << "P's head pixel (" << px << ", " << py << ")";
        }
    }

    // Crashes of this frame pay time x rate in slot order, each raising the rate by 0.5;
    // when the round ended by the end test the last player left gets time x rate + 100;
    // nothing else changes a score.
    void checkScores(const Before& before, bool over) {
        Game& game = game_;
        const int32_t time = game.match.time;
        ASSERT_TRUE(time == before.time || time == before.time + 1)
            << "time went from " << before.time << " to " << time << " in one frame";
        float rate = before.scoreRate;
        std::array<int32_t, kSlots> want = before.score;
        for (int slot = 0; slot < kSlots; ++slot) {
            ASSERT_FALSE(before.alive[slot] == 0 && game.players.alive[slot] != 0)
                << slot + 1 << "P came back to life";
            if (before.alive[slot] != 0 && game.players.alive[slot] == 0) {
                want[slot] += paid(time, rate);
                rate += 0.5f;
                tally_.crashes += 1;
                if (game.settings.explosionValue[ExplosionCosmo2] == kFullCount) {
                    tally_.fullExplosions += 1;
                }
            }
        }
        ASSERT_EQ(game.match.scoreRate, rate) << "rate after the crashes of this frame";
        if (over && inPlay() <= 1) {
            for (int slot = 0; slot < kSlots; ++slot) {
                if (game.players.inPlay(slot)) want[slot] += paid(time, rate) + 100;
            }
        }
        for (int slot = 0; slot < kSlots; ++slot) {
            ASSERT_GE(game.players.score[slot], before.score[slot]) << slot + 1 << "P's score";
            ASSERT_EQ(game.players.score[slot], want[slot])
                << slot + 1 << "P's score at time " << time << " (round "
                << game.match.round + 1 << ")";
        }
    }

    // Every page presented during a round's set-up, countdown, frames and end pause.
    void onPresent(const ScriptedPlatform::PresentedPage& page) {
        if (phase_ == Phase::Table) return;
        const uint8_t* pixels = page.pixels.data();
        tally_.pagesChecked += 1;
        const bool flash = pixels[0] == flashColour;
        if (flash && !lastPageFlash_) tally_.itemFlashes += 1;
        lastPageFlash_ = flash;
        if (flash) {
            const std::string off =
                firstNot(pixels, 0, 0, kScreenWidth - 1, kScreenHeight - 1, flashColour);
            EXPECT_TRUE(off.empty()) << "flash page pixel " << off;
            return;
        }
        checkBands(pixels, false, "presented page " + std::to_string(tally_.pagesChecked));
        // The end pause: press Enter once the round is down to one player or none.
        if (phase_ == Phase::Round && !enterScheduled_ && inPlay() <= 1) {
            test_.machine.keyPress(nowMs() + kKeyDelayMs, key::Enter);
            enterScheduled_ = true;
        }
    }

    TestGame& test_;
    Game& game_;
    std::mt19937 keys_;
    References refs_;
    Phase phase_ = Phase::Table;
    Tally tally_;
    uint32_t roundStartMs_ = 0;
    std::array<uint32_t, kSlots> letGoAtMs_{};
    std::array<uint32_t, kSlots> nextPressAtMs_{};
    uint32_t lastPersonMs_ = 0;  // when a person was last in play
    bool escScheduled_ = false;
    bool enterScheduled_ = false;
    int waitSpell_ = 0;
    bool lastPageFlash_ = false;
};

}  // namespace

class Soak : public ::testing::TestWithParam<uint32_t> {};

TEST_P(Soak, FourPlayersWithFullExplosionsMeteoritesAndItemsKeepTheScreenAndScoresSound) {
    TestGame test;
    Game& game = *test;
    // The seed drives both the game's own generator (computer players, boxes, explosions,
    // showers) and the people's key script.
    game.random.seed(GetParam());
    game.players.type = {PlayerCom, PlayerCom, PlayerMan, PlayerMan};
    game.settings.itemsOn = 1;
    game.settings.explosionType = ExplosionCosmo2;
    game.settings.meteoritesOn = 1;
    game.settings.meteoriteTime = 1;
    // A script that runs dry (the match hung waiting for a key) ends the program instead.
    test.machine.quitWhenIdleAfter(60 * 60 * 1000);

    const std::vector<RoundPlan> plan = soakPlan();
    SoakMatch soak(test, GetParam());
    try {
        soak.play(plan);
    } catch (const ProgramExit&) {
        FAIL() << "the match ended the program instead of returning";
    }
    if (HasFatalFailure()) return;

    // The match went the whole way and did what a soak is for.
    const Tally& tally = soak.tally();
    EXPECT_EQ(game.match.round, static_cast<int32_t>(plan.size()));
    EXPECT_EQ(tally.roundsEnded + tally.roundsAbandoned, static_cast<int>(plan.size()));
    EXPECT_GE(tally.roundsAbandoned, 1);
    EXPECT_GE(tally.crashes, 2 * tally.roundsEnded);
    EXPECT_GE(tally.fullExplosions, 1);
    EXPECT_GE(tally.fullShowers, 1);
    EXPECT_GE(tally.pickups, 1);
    EXPECT_GT(tally.framesAtWaitZero, 0);
    // Every item used (fired, or a SPEED UP acting at pickup) flashed the screen once, and
    // nothing else did.
    int used = tally.speedUpsTaken;
    for (const int count : tally.fired) used += count;
    EXPECT_EQ(tally.itemFlashes, used);
    std::printf("soak seed %u: %d rounds (%d ended, %d abandoned), %d frames and %d pages "
                "checked, %d crashes (%d with 9050 particles), %d showers of 9050, %d boxes "
                "taken, %d speed-ups, fired %d laser %d warp %d change %d bomb, "
                "%d frames at WAIT 0\n",
                GetParam(), tally.roundsEnded + tally.roundsAbandoned, tally.roundsEnded,
                tally.roundsAbandoned, tally.framesChecked, tally.pagesChecked, tally.crashes,
                tally.fullExplosions, tally.fullShowers, tally.pickups, tally.speedUpsTaken,
                tally.fired[ItemLaserShot], tally.fired[ItemWarp], tally.fired[ItemChange],
                tally.fired[ItemBomb], tally.framesAtWaitZero);
}

INSTANTIATE_TEST_SUITE_P(Seeds, Soak, ::testing::Values(20240607u, 77u, 1234u));
