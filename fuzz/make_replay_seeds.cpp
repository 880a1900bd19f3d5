// Writes the seed corpus of replay_fuzz into a folder (fuzz/corpus/replay): replays made by
// the recorder (a match of people and computer players with a slot handed to the computer,
// one closed during a round, one ended at once), one of them cut off at a few places, one of
// a newer format, and a settings file, which is no replay. The corpus also keeps a file of
// the first format (format1_match.dvr, format1_closed.dvr), which this program does not write.
//
// Usage: make_replay_seeds <folder>   (built with the fuzz targets)
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "replay/recorder.h"
#include "replay/replay.h"

namespace {

constexpr int kFramesPerSecond = 250;

// A round of `seconds` in which 1P and 2P tap a key now and then, the clock advances and 2P
// is handed to the computer; then its pause, ended by Enter.
void recordRound(ReplayRecorder& recorder, int seconds, int round) {
    recorder.decided(Decision::NextRound);
    for (int f = 1; f <= seconds * kFramesPerSecond; ++f) {
        FrameInput input;
        if (f % 97 == 0) input.setChange(slotKey(0, f % 3), KeyChange::Down);
        if (f % 97 == 20) input.setChange(slotKey(0, (f - 20) % 3), KeyChange::Up);
        if (f % 151 == 0) input.setChange(slotKey(1, f % 3), KeyChange::Down);
        if (f % 151 == 9) input.setChange(slotKey(1, (f - 9) % 3), KeyChange::Up);
        if (f == 400) input.setChange(MatchKeyPageDown, KeyChange::Down);
        if (f == 500) input.toComputer = 0b0010;
        input.secondMark = f % kFramesPerSecond == 0;
        recorder.frame(input);
    }
    recorder.roundEnded({0xC0FFEEull * (round + 1), {100 * round, 37, 0, -4}});
    for (int f = 0; f < 100; ++f) recorder.frame({});
    FrameInput enter;
    enter.setChange(MatchKeyEnter, KeyChange::Down);
    recorder.frame(enter);
    recorder.roundLeft();
}

// `rounds` rounds; `ended`: Esc on the score table after them, else the program ends in the
// round after them.
std::string recorded(int rounds, int seconds, bool ended) {
    ReplayStart start;
    start.gameVersion = "1.0";
    start.randomState = 12345;
    start.frameCounters = {0, 1, 0, 3, 2};
    start.settings.itemsOn = 1;
    start.settings.meteoritesOn = 1;
    start.playerTypes = {PlayerMan, PlayerMan, PlayerCom, PlayerNon};
    ReplayRecorder recorder(start);
    for (int r = 0; r < rounds; ++r) recordRound(recorder, seconds, r);
    if (ended) {
        recorder.decided(Decision::EndMatch);
    } else {
        recorder.decided(Decision::NextRound);
        for (int f = 0; f < 300; ++f) recorder.frame({});
        recorder.cutShort();
    }
    return encodeReplay(recorder.replay());
}

// Writes one seed; a seed that cannot be written is said on standard error.
bool writeSeed(const std::string& folder, const std::string& name, const std::string& bytes) {
    const std::string path = folder + "/" + name;
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_replay_seeds: cannot write %s: %s\n", path.c_str(),
                     std::strerror(errno));
    }
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_replay_seeds <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    const std::string match = recorded(2, 3, true);
    std::string newer = match;
    newer[8] = static_cast<char>(kReplayFormat + 1);
    bool ok = writeSeed(folder, "match.dvr", match) &&
              writeSeed(folder, "closed.dvr", recorded(1, 2, false)) &&
              writeSeed(folder, "no_rounds.dvr", recorded(0, 0, true)) &&
              writeSeed(folder, "newer_format.dvr", newer) &&
              writeSeed(folder, "settings.dat", encodeSettings({}));
    for (const std::size_t size : {4, 12, 40, 60, 200}) {
        ok = ok && writeSeed(folder, "cut_" + std::to_string(size) + ".dvr", match.substr(0, size));
    }
    return ok ? 0 : 1;
}
