// The replay file: a recorded match comes back whole from its file, a minute of play is
// small, and every damaged, truncated, foreign or newer file is refused with one line.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "replay/playback.h"
#include "replay/replay.h"
#include "tests/replay/played_match.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMagicAndFormatBytes = 10;

// Three rounds of two people: a long one, a short one, and one of a single frame.
std::vector<std::vector<PlayedFrame>> playedRounds() {
    return {playedRound(20 * kFramesPerSecond, 2, 7), playedRound(3 * kFramesPerSecond, 2, 8),
            playedRound(1, 2, 9)};
}

std::string refusal(std::string_view bytes) {
    Replay replay;
    std::string error;
    if (decodeReplay(bytes, replay, error)) return "accepted";
    EXPECT_EQ(error.find('\n'), std::string::npos) << "one line: " << error;
    return error;
}

bool startsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

TEST(ReplayFile, AMatchComesBackFromItsFileAndPlaysItsInputAgain) {
    const auto rounds = playedRounds();
    for (const bool ended : {true, false}) {
        const Replay recorded = recordedMatch(rounds, ended);
        const fs::path path = fs::path(testing::TempDir()) / "match.dvr";
        ASSERT_TRUE(writeReplayFile(path.string(), recorded));
        Replay read;
        std::string error;
        ASSERT_TRUE(readReplayFile(path.string(), read, error)) << error;
        EXPECT_EQ(read.start, playedStart());
        EXPECT_EQ(read.end, ended ? Decision::EndMatch : Decision::Closed);

        ReplayCursor cursor(read);
        for (std::size_t r = 0; r < rounds.size(); ++r) {
            ASSERT_EQ(cursor.nextDecision(), Decision::NextRound);
            uint32_t seconds = 0;
            for (const PlayedFrame& played : rounds[r]) {
                seconds += played.secondAdvanced;
                const FrameInput frame = cursor.nextFrame();
                ASSERT_EQ(frame.changes, played.input.changes) << "round " << r + 1;
                ASSERT_EQ(frame.clock, kReplayRoundStartClock + kReplayMsPerSecond * seconds);
            }
            EXPECT_TRUE(cursor.checkRound(playedChecksum(r), playedScores(r)));
        }
        EXPECT_EQ(cursor.nextDecision(), read.end);
        EXPECT_EQ(cursor.verdict(), "every round matched (3 rounds)");
    }
}

// A minute of four people at WAIT 1, each tapping a few keys a second, fits in 10 KB; four
// computer players (no keys, only the clock) take next to nothing.
TEST(ReplayFile, AMinuteOfPlayIsSmall) {
    constexpr int kMinute = 60 * kFramesPerSecond;
    for (const int people : {4, 0}) {
        const std::size_t size = encodeReplay(recordedMatch({playedRound(kMinute, people, 3)},
                                                            true)).size();
        std::printf("a minute of %d people and %d computer players: %zu bytes\n", people,
                    4 - people, size);
        EXPECT_LT(size, people > 0 ? 10 * 1024u : 300u);
    }
}

// Refusals that name the cause of a file the game did not write.
TEST(ReplayFile, ForeignNewerTruncatedAndDamagedFilesAreRefused) {
    const std::string good = encodeReplay(recordedMatch(playedRounds(), true));
    ASSERT_EQ(refusal(good), "accepted");
    std::string newer = good, unknown = good;
    newer[8] = 2;
    unknown[8] = 0;
    EXPECT_EQ(refusal(newer), "made by a newer version of the game (format 2)");
    EXPECT_EQ(refusal(unknown), "damaged: unknown format 0");
    for (const std::string& foreign : {std::string(), std::string("DIRAVIR"),
                                       "DIRAVIRX" + good.substr(8), encodeSettings({})}) {
        EXPECT_EQ(refusal(foreign), "not a DIRAVIRU replay");
    }
    EXPECT_EQ(refusal(good + '\0'), "damaged: bytes after its end");
    EXPECT_EQ(refusal(good.substr(0, good.size() - 7)), "truncated: ends in its integrity check");

    // Cut anywhere after the magic word, the file is truncated; any byte changed, refused.
    for (std::size_t size = kMagicAndFormatBytes - 2; size < good.size(); ++size) {
        ASSERT_PRED2(startsWith, refusal(good.substr(0, size)), "truncated: ") << size;
    }
    for (std::size_t at = kMagicAndFormatBytes; at < good.size(); ++at) {
        std::string damaged = good;
        damaged[at] ^= 0x10;
        const std::string line = refusal(damaged);
        ASSERT_TRUE(startsWith(line, "damaged: ") || startsWith(line, "truncated: ")) << at;
    }
}

// Files whose integrity check holds but whose content the game cannot have written.
TEST(ReplayFile, ImpossibleContentIsRefusedByName) {
    struct Case {
        const char* expected;
        void (*spoil)(Replay&);
    };
    const Case cases[] = {
        {"damaged: the game version is not text", [](Replay& r) { r.start.gameVersion = "1\n"; }},
        {"damaged: the game version is too long",
         [](Replay& r) { r.start.gameVersion.assign(kMaxGameVersionBytes + 1, '1'); }},
        {"damaged: a frame counter is out of range", [](Replay& r) { r.start.frameCounters[2] = 3; }},
        {"damaged: the settings are not valid", [](Replay& r) { r.start.settings.wait = 1000; }},
        {"damaged: a player type is out of range", [](Replay& r) { r.start.playerTypes[3] = 3; }},
        {"damaged: unknown decision before round 4", [](Replay& r) { r.end = Decision(7); }},
        {"damaged: round 2 is too long",
         [](Replay& r) { r.rounds[1].frameCount = kMaxRoundFrames + 1; }},
        {"damaged: round 3 holds more frames than it counts",
         [](Replay& r) { r.rounds[2].frameCount = 0; }},
        // A frame with neither a change nor a mark; a change byte missing; a key twice;
        // a number not in its shortest form; unused bits set.
        {"damaged: round 1's frames", [](Replay& r) { r.rounds[0].frames = "\x04"; }},
        {"damaged: round 1's frames", [](Replay& r) { r.rounds[0].frames = "\x01"; }},
        {"damaged: round 1's frames", [](Replay& r) { r.rounds[0].frames = "\x01\x09\x08"; }},
        {"damaged: round 1's frames", [](Replay& r) { r.rounds[0].frames = std::string("\x82\0", 2); }},
        {"damaged: round 1's frames", [](Replay& r) { r.rounds[0].frames = "\x01\x44"; }},
    };
    for (const Case& c : cases) {
        Replay replay = recordedMatch(playedRounds(), true);
        c.spoil(replay);
        EXPECT_EQ(refusal(encodeReplay(replay)), c.expected);
    }

    const fs::path path = fs::path(testing::TempDir()) / "missing.dvr";
    Replay replay;
    std::string error;
    EXPECT_FALSE(readReplayFile(path.string(), replay, error));
    EXPECT_EQ(error, "cannot be read: No such file or directory");
}

}  // namespace
