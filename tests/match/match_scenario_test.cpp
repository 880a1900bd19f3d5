// Whole matches on the scripted platform: computer players through several rounds, with
// Enter pressed whenever the game waits for it and Esc on the last score table; the scores
// of every round are checked against the scoring rules.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "tests/round/round_checks.h"

using namespace roundtest;
using platform::ScriptedPlatform;

namespace {

// What a round left behind, read on the score table that follows it.
struct RoundResult {
    int32_t time = 0;
    float scoreRate = 0;
    std::array<int32_t, 4> alive{};
    std::array<int32_t, 4> scores{};
};

// Presses the key the game waits for: Enter on the score table and at "PUSH ENTER KEY TO
// NEXT ROUND", Esc on the table once enough rounds are played. It looks at each presented
// page: the score table has no field frame; a round whose players are down to one is at
// its end pause.
class MatchDriver {
public:
    MatchDriver(TestGame& test, int rounds) : test_(test), rounds_(rounds) {
        test_.machine.onPresent = [this](const ScriptedPlatform::PresentedPage& page) {
            onPresent(page);
        };
    }

    const std::vector<RoundResult>& results() const { return results_; }

private:
    static constexpr uint64_t kKeyDelayMs = 40;   // after the table's flip has cleared keys
    static constexpr uint64_t kQuietMs = 300;
    static constexpr uint64_t kGiveUpMicros = uint64_t{kGiveUpMs} * 1000;

    void onPresent(const ScriptedPlatform::PresentedPage& page) {
        Game& game = *test_;
        const uint64_t now = test_.machine.nowMicros();
        if (now > kGiveUpMicros) {
            test_.machine.push(nowMs() , platform::Event{platform::EventKind::Quit, 0, false});
            return;
        }
        const bool framed = page.pixels[32 * kScreenWidth] == ColourFrame;
        int key = 0;
        if (!framed) {
            if (game.match.round > static_cast<int>(results_.size())) record(game);
            key = game.match.round >= rounds_ ? key::Esc : key::Enter;
        } else if (inPlay(game) <= 1) {
            key = key::Enter;
        }
        if (key == 0 || now < quietUntil_) return;
        test_.machine.keyPress(nowMs() + kKeyDelayMs, key);
        quietUntil_ = now + kQuietMs * 1000;
    }

    void record(const Game& game) {
        RoundResult result;
        result.time = game.match.time;
        result.scoreRate = game.match.scoreRate;
        result.alive = game.players.alive;
        result.scores = game.players.score;
        results_.push_back(result);
    }

    static int inPlay(const Game& game) {
        int count = 0;
        for (int slot = 0; slot < kSlots; ++slot) count += game.players.inPlay(slot) ? 1 : 0;
        return count;
    }

    uint32_t nowMs() const { return static_cast<uint32_t>(test_.machine.nowMicros() / 1000); }

    TestGame& test_;
    int rounds_;
    uint64_t quietUntil_ = 0;
    std::vector<RoundResult> results_;
};

int32_t paid(int32_t time, double rate) {
    return static_cast<int32_t>(std::trunc(static_cast<double>(time) * rate));
}

// Plays a whole match of the given players for `rounds` rounds.
std::vector<RoundResult> playMatch(TestGame& test, std::array<int8_t, 4> types, int rounds) {
    Game& game = *test;
    game.players.type = types;
    MatchDriver driver(test, rounds);
    try {
        runMatch(game);
    } catch (const ProgramExit&) {
        ADD_FAILURE() << "the match did not end within the script";
    }
    test.machine.onPresent = nullptr;
    return driver.results();
}

// The final table shows every player's score and its rank.
void expectFinalTable(Game& game, int rounds) {
    EXPECT_TRUE(textShownAt(game, SurfacePrimary, "ROUND " + std::to_string(rounds + 1), -1,
                            100, 32, -1));
    for (int slot = 0; slot < kSlots; ++slot) {
        if (!game.players.present(slot)) continue;
        int rank = 1;
        for (int other = 0; other < kSlots; ++other) {
            rank += game.players.present(other) &&
                            game.players.score[other] > game.players.score[slot]
                        ? 1
                        : 0;
        }
        char row[64];
        std::snprintf(row, sizeof row, "%dP     %s %07d %d   ", slot + 1, keyLabels[slot],
                      game.players.score[slot], rank);
        EXPECT_TRUE(textShownAt(game, SurfacePrimary, row, -1, 216 + 32 * slot, 16, slot + 1));
    }
}

}  // namespace

TEST(MatchScenario, TwoComputerPlayersPlaySeveralRoundsPaidByTheRules) {
    TestGame test;
    Game& game = *test;
    constexpr int kRounds = 4;
    const auto results = playMatch(test, {C, C, N, N}, kRounds);
    ASSERT_EQ(results.size(), size_t{kRounds});
    EXPECT_EQ(game.match.round, kRounds);

    std::array<int32_t, 4> before{};
    for (const RoundResult& r : results) {
        const int32_t t = r.time;
        const int32_t got0 = r.scores[0] - before[0];
        const int32_t got1 = r.scores[1] - before[1];
        // With two players the crash and the round's end fall in the same frame.
        if (r.alive[0] + r.alive[1] == 0) {
            EXPECT_EQ(got0, paid(t, 2.0));
            EXPECT_EQ(got1, paid(t, 2.5));
            EXPECT_EQ(r.scoreRate, 3.0f);
        } else {
            const int survivor = r.alive[0] != 0 ? 0 : 1;
            EXPECT_EQ(r.scores[survivor] - before[survivor], paid(t, 2.5) + 100);
            EXPECT_EQ(r.scores[1 - survivor] - before[1 - survivor], paid(t, 2.0));
            EXPECT_EQ(r.scoreRate, 2.5f);
        }
        before = r.scores;
    }
    EXPECT_GT(results.back().scores[0] + results.back().scores[1], 100 * (kRounds - 1));
    expectFinalTable(game, kRounds);
}

TEST(MatchScenario, FourComputerPlayersPlaySeveralRoundsPaidByTheRules) {
    TestGame test;
    Game& game = *test;
    constexpr int kRounds = 3;
    const auto results = playMatch(test, {C, C, C, C}, kRounds);
    ASSERT_EQ(results.size(), size_t{kRounds});

    std::array<int32_t, 4> before{};
    for (const RoundResult& r : results) {
        const int32_t t = r.time;
        int survivors = 0;
        int32_t crashPay = 0;
        for (int slot = 0; slot < kSlots; ++slot) {
            const int32_t got = r.scores[slot] - before[slot];
            EXPECT_GE(got, 0);
            if (r.alive[slot] != 0) {
                ++survivors;
                // Three crashes raised the rate from 1.0 to 2.5.
                EXPECT_EQ(got, paid(t, 2.5) + 100) << "slot " << slot;
            } else {
                EXPECT_LE(got, paid(t, 2.5)) << "slot " << slot;
                crashPay += got;
            }
        }
        EXPECT_LE(survivors, 1);
        EXPECT_EQ(r.scoreRate, 1.0f + 0.5f * static_cast<float>(4 - survivors));
        // Each crash paid at most the time so far at the rate of its place in the order.
        EXPECT_LE(crashPay, paid(t, 1.0) + paid(t, 1.5) + paid(t, 2.0) +
                                (survivors == 0 ? paid(t, 2.5) : 0));
        before = r.scores;
    }
    expectFinalTable(game, kRounds);
}

TEST(MatchScenario, EscDuringARoundPaysNoBonusAndASecondEscEndsTheMatch) {
    TestGame test;
    Game& game = *test;
    game.players.type = {M, M, N, N};
    test.machine.keyPress(100, key::Enter);
    test.machine.keyPress(4500, key::Esc);   // in the round, before anyone reaches a wall
    test.machine.keyPress(5000, key::Esc);   // on the table
    test.machine.quitWhenIdleAfter(kGiveUpMs);
    try {
        runMatch(game);
    } catch (const ProgramExit&) {
        FAIL() << "the match did not end with the second Esc";
    }
    EXPECT_EQ(game.match.round, 1);
    EXPECT_EQ(game.players.alive[0] + game.players.alive[1], 2);
    EXPECT_EQ(game.players.score, (std::array<int32_t, 4>{0, 0, 0, 0}));
    EXPECT_TRUE(textShownAt(game, SurfacePrimary, "ROUND 2", -1, 100, 32, -1));
}

TEST(MatchScenario, TheSameSeedClockAndKeysGiveTheSameMatch) {
    std::vector<uint8_t> pages[2];
    std::array<int32_t, 4> scores[2];
    uint64_t endTimes[2];
    for (int run = 0; run < 2; ++run) {
        TestGame test;
        const auto results = playMatch(test, {C, C, N, N}, 2);
        ASSERT_EQ(results.size(), 2u);
        pages[run] = test.machine.lastPage().pixels;
        scores[run] = test->players.score;
        endTimes[run] = test.machine.nowMicros();
    }
    EXPECT_EQ(scores[0], scores[1]);
    EXPECT_EQ(endTimes[0], endTimes[1]);
    EXPECT_TRUE(pages[0] == pages[1]);
}
