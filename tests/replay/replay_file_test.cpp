// The replay file: a match comes back from its file and plays its input again, a minute of
// play is small, a file of the first format is still read as it was written, and every
// damaged, truncated, foreign or newer file is refused in one line.
#include <gtest/gtest.h>

#include <cstdio>

#include "replay/playback.h"
#include "tests/replay/played_match.h"
#include "tests/support/test_game.h"

namespace {

using namespace std::string_literals;

// Three rounds of two people: a long one, a short one, and one of a single frame; in the
// second, 2P's machine leaves and its slot is handed to the computer.
std::vector<PlayedRound> playedRounds() {
    std::vector<PlayedRound> rounds = {playedRound(20 * kFramesPerSecond, 2, 7),
                                       playedRound(3 * kFramesPerSecond, 2, 8, 90),
                                       playedRound(1, 2, 9, 1)};
    rounds[1].frames[400].toComputer = 0b0010;
    return rounds;
}

std::string refusal(std::string_view bytes) {
    Replay replay;
    std::string error = "accepted";
    decodeReplay(bytes, replay, error);
    EXPECT_EQ(error.find('\n'), std::string::npos) << "one line: " << error;
    return error;
}

// The records of `replay` alone, without its start and its end.
std::string records(const Replay& replay) {
    Replay bare = replay;
    bare.rounds.clear();
    const std::size_t start = encodeReplay(bare).size() - 9;  // the end's kind, the integrity
    const std::string all = encodeReplay(replay);
    return all.substr(start, all.size() - 9 - start);
}

// A file of `replay`'s start, then `records`, then closed, with a good integrity check.
std::string sealed(const Replay& replay, const std::string& records) {
    Replay bare = replay;
    bare.rounds.clear();
    const std::string start = encodeReplay(bare);
    std::string bytes = start.substr(0, start.size() - 9) + records + '\0';
    const uint64_t check = fnv1a64(bytes);
    for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<char>(check >> (8 * i)));
    return bytes;
}

std::string withByte(std::string bytes, std::size_t at, char value) {
    bytes[at] = value;
    return bytes;
}

// Every frame comes back as it was read, the round's then its pause's; past a pause's last
// recorded frame Enter is pressed. The file ends as the match did.
TEST(ReplayFile, AMatchComesBackFromItsFileAndPlaysItsInputAgain) {
    const std::vector<PlayedRound> rounds = playedRounds();
    const std::string path = testing::TempDir() + "/match.dvr";
    Replay read;
    std::string error;
    ASSERT_TRUE(writeReplayFile(path, recordedMatch(rounds, true), error)) << error;
    ASSERT_TRUE(readReplayFile(path, read, error)) << error;
    EXPECT_EQ(read.format, kReplayFormat);
    EXPECT_EQ(read.start, playedStart());
    ReplayCursor cursor(read);
    for (int r = 0; r < 3; ++r) {
        ASSERT_EQ(cursor.nextDecision(), Decision::NextRound);
        for (const FrameInput& played : rounds[r].frames)
            ASSERT_EQ(cursor.nextFrame(), played) << r;
        cursor.roundEnded(playedResult(r));
        for (const FrameInput& played : rounds[r].pause) ASSERT_EQ(cursor.nextFrame(), played) << r;
    }
    EXPECT_EQ(cursor.nextDecision(), Decision::EndMatch);
    EXPECT_EQ(cursor.verdict(), "every round matched (3 rounds)");
    EXPECT_EQ(encodeReplay(read), readFile(path));
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

// A file the game wrote in the first format: read as that format and written back to the same
// bytes; its round (frames and pause in one) is checked as the match leaves it, not before.
TEST(ReplayFile, AFileOfTheFirstFormatIsReadAsItWasWritten) {
    const std::string bytes =
        readFile(sourcePath("tests/replay/data/format1_real_window_four_com.dvr"));
    Replay read;
    std::string error;
    ASSERT_TRUE(decodeReplay(bytes, read, error)) << error;
    EXPECT_EQ(read.format, kFirstReplayFormat);
    EXPECT_EQ(encodeReplay(read), bytes);
    ReplayCursor cursor(read);
    ASSERT_EQ(cursor.nextDecision(), Decision::NextRound);
    for (uint32_t f = 0; f < read.rounds[0].frames.count; ++f) cursor.nextFrame();
    cursor.roundEnded({});
    EXPECT_EQ(cursor.firstDifferingRound(), 0);
    ASSERT_TRUE(cursor.checksOnLeaving());
    cursor.roundLeft(read.rounds[0].result);
    EXPECT_EQ(cursor.nextDecision(), Decision::NextRound);
    EXPECT_EQ(cursor.verdict(), "every round matched (1 round)");
}

TEST(ReplayFile, ForeignNewerTruncatedAndDamagedFilesAreRefused) {
    const std::string good = encodeReplay(recordedMatch(playedRounds(), true));
    const std::pair<std::string, const char*> cases[] = {
        {"", "not a DIRAVIRU replay"},
        {"DIRAVIR", "not a DIRAVIRU replay"},
        {withByte(good, 7, 'X'), "not a DIRAVIRU replay"},
        {encodeSettings({}), "not a DIRAVIRU replay"},
        {withByte(good, 8, 3), "made by a newer version of the game (format 3)"},
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
        {"damaged: unknown record before round 4", [](Replay& r) { r.end = Decision(7); }},
        {"damaged: round 2 is too long",
         [](Replay& r) { r.rounds[1].frames.count = kMaxRoundFrames + 1; }},
        {"damaged: the pause after round 1 is too long",
         [](Replay& r) { r.rounds[0].pause.count = kMaxRoundFrames + 1; }},
        {"damaged: round 3 holds more frames than it counts",
         [](Replay& r) { r.rounds[2].frames.count = 0; }},
        {"damaged: the pause after round 2 holds more frames than it counts",
         [](Replay& r) { r.rounds[1].pause.count = 0; }},
        {"damaged: round 3 is cut short but not the last",
         [](Replay& r) { r.rounds[2].cutShort = true; }},  // the match ended with Esc
    };
    for (const auto& [expected, spoil] : cases) {
        Replay replay = recordedMatch(playedRounds(), true);
        spoil(replay);
        EXPECT_EQ(refusal(encodeReplay(replay)), expected);
    }
    // A pause record with no round before it, or a second one after a round.
    const Replay match = recordedMatch(playedRounds(), false);
    const std::string pause = "\x03\x00\x05"s;  // five empty frames
    EXPECT_EQ(refusal(sealed(match, pause)), "damaged: a pause without its round before round 1");
    EXPECT_EQ(refusal(sealed(match, records(match) + pause)),
              "damaged: a pause without its round before round 4");
    // Frames: neither a change, a mark nor a hand-over; a change missing; a key twice; a
    // number not in its shortest form; unused bits set; a hand-over of nobody or of a fifth
    // slot.
    for (const auto& frames : {"\x08"s, "\x01"s, "\x01\x09\x08"s, "\x82\x00"s, "\x01\x44"s,
                               "\x04\x00"s, "\x04\x10"s, "\x04"s}) {
        Replay replay = recordedMatch(playedRounds(), true);
        replay.rounds[0].frames.bytes = frames;
        EXPECT_EQ(refusal(encodeReplay(replay)), "damaged: the frames of round 1");
    }
}

// A file may ask of a playback a day of play a round and kMaxReplayWork in all. Rounds that
// each claim a day of empty pause frames (which cost next to nothing in the file) are refused
// once their sum is more than that: one is read, two are not, and a thousand are refused as
// soon as the second is read.
TEST(ReplayFile, AFileAskingMorePlayThanAReplayHoldsIsRefused) {
    for (const int rounds : {1, 2, 1000}) {
        Replay replay = recordedMatch({}, false);
        for (int r = 0; r < rounds; ++r) {
            ReplayRound& round = replay.rounds.emplace_back();
            round.frames.count = 1;
            round.paused = true;
            round.pause.count = kMaxRoundFrames;
        }
        const std::string bytes = encodeReplay(replay);
        EXPECT_LT(bytes.size(), 30'000u);
        EXPECT_EQ(refusal(bytes),
                  rounds == 1 ? "accepted" : "damaged: the match is longer than a replay can hold")
            << rounds;
    }
}

}  // namespace
