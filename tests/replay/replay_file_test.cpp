// The replay file: a match comes back from its file and plays its input again, a minute of
// play is small, and every damaged, truncated, foreign or newer file is refused in one line.
#include <gtest/gtest.h>

#include <cstdio>

#include "replay/playback.h"
#include "tests/replay/played_match.h"

namespace {

using namespace std::string_literals;

// Three rounds of two people: a long one, a short one, and one of a single frame.
const std::vector<PlayedRound> kRounds = {playedRound(20 * kFramesPerSecond, 2, 7),
                                          playedRound(3 * kFramesPerSecond, 2, 8),
                                          playedRound(1, 2, 9)};

std::string refusal(std::string_view bytes) {
    Replay replay;
    std::string error = "accepted";
    decodeReplay(bytes, replay, error);
    EXPECT_EQ(error.find('\n'), std::string::npos) << "one line: " << error;
    return error;
}

std::string withByte(std::string bytes, std::size_t at, char value) {
    bytes[at] = value;
    return bytes;
}

// The clock reads 0 when a round starts and 1000 ms more in every frame where the round's
// second advanced; past the recorded frames it holds still and nothing is pressed.
TEST(ReplayFile, AMatchComesBackFromItsFileAndPlaysItsInputAgain) {
    const std::string path = testing::TempDir() + "/match.dvr";
    Replay read;
    std::string error;
    ASSERT_TRUE(writeReplayFile(path, recordedMatch(kRounds, true), error)) << error;
    ASSERT_TRUE(readReplayFile(path, read, error)) << error;
    EXPECT_EQ(read.start, playedStart());
    ReplayCursor cursor(read);
    for (int r = 0; r < 3; ++r) {
        ASSERT_EQ(cursor.nextDecision(), Decision::NextRound);
        uint32_t clock = kReplayRoundStartClock;
        for (const PlayedFrame& played : kRounds[r]) {
            clock += played.secondAdvanced ? 1000 : 0;
            ASSERT_EQ(cursor.nextFrame(), (FrameInput{played.input.changes, clock})) << r;
        }
        EXPECT_TRUE(cursor.checkRound(playedChecksum(r), playedScores(r)));
    }
    EXPECT_EQ(cursor.nextFrame(), (FrameInput{0, 0}));
    EXPECT_TRUE(cursor.pastRoundEnd());
    EXPECT_EQ(cursor.nextDecision(), Decision::EndMatch);
    EXPECT_EQ(cursor.verdict(), "every round matched (3 rounds)");
}

// Four people at WAIT 1, each pressing a few keys a second: well under 10 KB a minute. Four
// computer players (only the clock's marks) take next to nothing.
TEST(ReplayFile, AMinuteOfPlayIsSmall) {
    for (const int people : {4, 0}) {
        const PlayedRound minute = playedRound(60 * kFramesPerSecond, people, 3);
        const std::size_t size = encodeReplay(recordedMatch({minute}, true)).size();
        std::printf("a minute of %d people, %d computers: %zu bytes\n", people, 4 - people, size);
        EXPECT_LT(size, people > 0 ? 10 * 1024u : 300u);
    }
}

TEST(ReplayFile, ForeignNewerTruncatedAndDamagedFilesAreRefused) {
    const std::string good = encodeReplay(recordedMatch(kRounds, true));
    const std::pair<std::string, const char*> cases[] = {
        {"", "not a DIRAVIRU replay"},
        {"DIRAVIR", "not a DIRAVIRU replay"},
        {withByte(good, 7, 'X'), "not a DIRAVIRU replay"},
        {encodeSettings({}), "not a DIRAVIRU replay"},
        {withByte(good, 8, 2), "made by a newer version of the game (format 2)"},
        {withByte(good, 8, 0), "damaged: unknown format 0"},
        {good + '\0', "damaged: bytes after its end"},
        {good.substr(0, good.size() - 7), "truncated: ends in its integrity check"}};
    for (const auto& [bytes, expected] : cases) EXPECT_EQ(refusal(bytes), expected);
    // Cut anywhere after the magic word, the file is truncated; any byte changed, refused.
    for (std::size_t size = 8; size < good.size(); ++size) {
        ASSERT_TRUE(refusal(good.substr(0, size)).starts_with("truncated: ")) << size;
    }
    for (std::size_t at = 10; at < good.size(); ++at) {
        const std::string line = refusal(withByte(good, at, good[at] ^ 0x10));
        ASSERT_TRUE(line.starts_with("damaged: ") || line.starts_with("truncated: ")) << at;
    }
    Replay replay;
    std::string error;
    EXPECT_FALSE(readReplayFile(testing::TempDir() + "/missing.dvr", replay, error));
    EXPECT_EQ(error, "cannot be read: No such file or directory");
}

// Files whose integrity check holds but whose content the game cannot have written.
TEST(ReplayFile, ImpossibleContentIsRefusedByName) {
    const std::pair<const char*, void (*)(Replay&)> cases[] = {
        {"damaged: the game version is not text", [](Replay& r) { r.start.gameVersion = "1\n"; }},
        {"damaged: the game version is too long",
         [](Replay& r) { r.start.gameVersion.resize(kMaxGameVersionBytes + 1, '1'); }},
        {"damaged: a frame counter is out of range",
         [](Replay& r) { r.start.frameCounters[2] = 3; }},
        {"damaged: the settings are not valid", [](Replay& r) { r.start.settings.wait = 1000; }},
        {"damaged: a player type is out of range", [](Replay& r) { r.start.playerTypes[3] = 3; }},
        {"damaged: unknown decision before round 4", [](Replay& r) { r.end = Decision(7); }},
        {"damaged: round 2 is too long", [](Replay& r) { r.rounds[1].frameCount = 1 << 30; }},
        {"damaged: round 3 holds more frames than it counts",
         [](Replay& r) { r.rounds[2].frameCount = 0; }},
    };
    for (const auto& [expected, spoil] : cases) {
        Replay replay = recordedMatch(kRounds, true);
        spoil(replay);
        EXPECT_EQ(refusal(encodeReplay(replay)), expected);
    }
    // Frames: neither a change nor a mark; a change missing; a key twice; a number not in its
    // shortest form; unused bits set.
    for (const auto& frames : {"\x04"s, "\x01"s, "\x01\x09\x08"s, "\x82\x00"s, "\x01\x44"s}) {
        Replay replay = recordedMatch(kRounds, true);
        replay.rounds[0].frames = frames;
        EXPECT_EQ(refusal(encodeReplay(replay)), "damaged: round 1's frames");
    }
}

}  // namespace
