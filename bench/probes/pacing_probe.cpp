// Pacing probe: real rounds of two computer players on the real SDL backend, at several
// WAIT values, timing every frame with a high-resolution clock, every present of the
// picture (the game's hand-over) and every showing of it on the display (on the SDL
// thread). Prints the distribution of frame periods (median, p90, p99, max) against the
// WAIT's length, how long presents and showings took, and whether frames with a present
// ran longer than frames without one.
//
//   pacing_probe [--no-verdict] [seconds per WAIT = 5] [WAIT values... = 1 2 10]
//
// Exit status: 0 when every WAIT kept its pace (see report()), 2 when one did not, 1 when the
// probe could not run (a wrong argument, no display, the window closed). --no-verdict prints
// the same figures and ends with 0 however they came out: a run that only shows the probe
// works, on a machine too busy to keep pace.
//
// With PACING_PROBE_DUMP=<prefix> set, every frame period goes to the file <prefix><WAIT>.
// Runs wherever the program runs: under X (DISPLAY set) or with SDL_VIDEODRIVER=dummy.
// The probe does not change the game: it calls playPacedRoundFrame as runRound does and
// watches the platform from outside, through a Platform that forwards to the SDL one.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "bench/probes/probe_arguments.h"
#include "bench/probes/probe_rounds.h"
#include "game/game.h"
#include "input/keyboard.h"
#include "input/live_input.h"
#include "input/pacing.h"
#include "match/match.h"
#include "platform/sdl_platform.h"
#include "round/round.h"
#include "settings/settings.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kEnterKey = 13;
constexpr double kMedianTolerance = 0.05;
constexpr double kP99Tolerance = 0.25;
constexpr double kPresentStallLimitMs = 0.2;

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// The SDL platform, watched: every present is timed, and once the round has ended Enter is
// pressed for the "PUSH ENTER KEY TO NEXT ROUND" wait, as a player would.
class WatchedPlatform : public platform::Platform {
public:
    explicit WatchedPlatform(platform::SdlPlatform& inner) : inner_(inner) {
        presents.reserve(1 << 16);
    }

    bool openDisplay(std::string& error) override { return inner_.openDisplay(error); }
    void closeDisplay() override { inner_.closeDisplay(); }
    bool pollEvent(platform::Event& event) override {
        if (pressEnter) {
            pressEnter = false;
            event = platform::Event{platform::EventKind::KeyDown, kEnterKey, false};
            return true;
        }
        return inner_.pollEvent(event);
    }
    bool waitEvent(platform::Event& event, uint32_t timeoutMs) override {
        if (pressEnter) return pollEvent(event);
        return inner_.waitEvent(event, timeoutMs);
    }
    uint32_t ticks() override { return inner_.ticks(); }
    int64_t calendarTime() override { return inner_.calendarTime(); }
    uint32_t refreshIntervalMs() override { return inner_.refreshIntervalMs(); }
    void present(const uint8_t* pixels, int pitch, const platform::PaletteEntry* palette) override {
        const Clock::time_point start = Clock::now();
        inner_.present(pixels, pitch, palette);
        const Clock::time_point end = Clock::now();
        if (presents.size() < presents.capacity()) presents.push_back({start, end});
    }

    struct Span {
        Clock::time_point start;
        Clock::time_point end;
    };
    std::vector<Span> presents;
    bool pressEnter = false;

private:
    platform::SdlPlatform& inner_;
};

// How long every showing took, as the SDL thread reports them.
class ShowLog {
public:
    void add(Clock::duration took) {
        const std::lock_guard lock(mutex_);
        const double ms = std::chrono::duration<double, std::milli>(took).count();
        if (took_.size() < kKept) took_.push_back(ms);
    }
    std::vector<double> takeAll() {
        const std::lock_guard lock(mutex_);
        std::vector<double> all;
        all.swap(took_);
        took_.reserve(kKept);
        return all;
    }

private:
    static constexpr size_t kKept = 1 << 16;
    std::mutex mutex_;
    std::vector<double> took_;
};

struct Frame {
    Clock::time_point start;
    double periodMs;  // from this frame's start to the next one's
};

// Plays rounds at the given WAIT for about `seconds`; the frames of every round but its
// last (which waits for Enter) are kept.
std::vector<Frame> playFor(Game& game, WatchedPlatform& watched, int wait, double seconds) {
    game.play.settings.wait = wait;
    std::vector<Frame> frames;
    frames.reserve(size_t(seconds * 1000) + 1000);
    const Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                     std::chrono::duration<double>(seconds));
    LiveInput keyboard(game.devices);
    MatchStream stream(keyboard, nullptr);
    Round round(game.play, game.devices, stream);
    while (Clock::now() < end) {
        setUpRound(game, stream);
        std::vector<Clock::time_point> starts;
        starts.reserve(1 << 18);
        for (;;) {
            if (inPlayCount(game) < 2) watched.pressEnter = true;
            if (Clock::now() >= end) break;
            starts.push_back(Clock::now());
            const RoundState state = playPacedRoundFrame(round);
            if (state == RoundState::Ended) runRoundEndPause(round);
            if (state != RoundState::Running) break;
        }
        for (size_t i = 0; i + 1 < starts.size(); ++i) {
            frames.push_back({starts[i], msBetween(starts[i], starts[i + 1])});
        }
        watched.pressEnter = false;
    }
    return frames;
}

bool report(const std::vector<Frame>& frames, const std::vector<WatchedPlatform::Span>& presents,
            const std::vector<double>& shows, int wait) {
    const double target = wait * double(kWaitUnitMs);
    std::vector<double> periods, withPresent, withoutPresent, presentMs;
    size_t next = 0;
    for (const Frame& frame : frames) {
        periods.push_back(frame.periodMs);
        const Clock::time_point frameEnd =
            frame.start + std::chrono::duration_cast<Clock::duration>(
                              std::chrono::duration<double, std::milli>(frame.periodMs));
        bool presented = false;
        while (next < presents.size() && presents[next].start < frameEnd) {
            if (presents[next].start >= frame.start) {
                presented = true;
                presentMs.push_back(msBetween(presents[next].start, presents[next].end));
            }
            ++next;
        }
        (presented ? withPresent : withoutPresent).push_back(frame.periodMs);
    }
    if (const char* dump = std::getenv("PACING_PROBE_DUMP")) {
        if (FILE* file = std::fopen((std::string(dump) + std::to_string(wait)).c_str(), "w")) {
            for (const double period : periods) std::fprintf(file, "%.4f\n", period);
            std::fclose(file);
        }
    }
    const double median = percentile(periods, 0.5);
    const double p90 = percentile(periods, 0.9);
    const double p99 = percentile(periods, 0.99);
    const double worst = periods.empty() ? 0 : *std::max_element(periods.begin(), periods.end());
    // A present stalls a frame by how much later frames with a present end than frames
    // without one (medians, so that one scheduling hiccup does not count as a stall); when
    // every frame presents (long frames), by how much they overrun the WAIT's length.
    const double baseline = withoutPresent.empty() ? target : percentile(withoutPresent, 0.5);
    const double stall = percentile(withPresent, 0.5) - baseline;
    const bool medianOk = std::abs(median - target) <= kMedianTolerance * target;
    const bool p99Ok = std::abs(p99 - target) <= kP99Tolerance * target;
    const bool stallOk = stall <= kPresentStallLimitMs;
    std::printf(
        "WAIT %3d (target %5.1f ms): %zu frames  median %.3f  p90 %.3f  p99 %.3f  "
        "max %.3f ms  [median %s, p99 %s]\n",
        wait, target, periods.size(), median, p90, p99, worst, medianOk ? "ok" : "MISS",
        p99Ok ? "ok" : "MISS");
    std::printf(
        "          presents: %zu  median %.3f  p99 %.3f  max %.3f ms;  frame median "
        "with a present %.3f, without %.3f ms  [stall %.3f ms %s]\n",
        presentMs.size(), percentile(presentMs, 0.5), percentile(presentMs, 0.99),
        presentMs.empty() ? 0 : *std::max_element(presentMs.begin(), presentMs.end()),
        percentile(withPresent, 0.5), percentile(withoutPresent, 0.5), stall,
        stallOk ? "ok" : "MISS");
    std::printf("          shown: %zu  median %.3f  p99 %.3f  max %.3f ms\n", shows.size(),
                percentile(shows, 0.5), percentile(shows, 0.99),
                shows.empty() ? 0 : *std::max_element(shows.begin(), shows.end()));
    return medianOk && p99Ok && stallOk;
}

int probe(platform::SdlPlatform& sdl, ShowLog& shows, double seconds,
          const std::vector<int>& waits) {
    WatchedPlatform watched(sdl);
    auto game = makeGame(watched);
    Game& g = *game;
    g.charBitmapName = std::string(DIRAVIRU_SOURCE_DIR) + "/assets/char.bmp";
    installScreenWaitHook(g.devices);
    std::string error;
    if (!g.devices.screen.Open(watched, error) ||
        !g.devices.screen.LoadChars(g.charBitmapName, error)) {
        std::fprintf(stderr, "pacing_probe: %s\n", error.c_str());
        return 1;
    }
    g.devices.screen.LoadPalette(g.charBitmapName);
    g.devices.screen.ResetPalette();
    g.devices.screen.MapField();
    g.play.directions.build();
    g.play.random.seed(1);
    g.play.players.type = {PlayerCom, PlayerCom, PlayerNon, PlayerNon};
    std::printf("refresh interval %u ms\n", watched.refreshIntervalMs());

    bool allOk = true;
    try {
        for (const int wait : waits) {
            watched.presents.clear();
            shows.takeAll();
            const std::vector<Frame> frames = playFor(g, watched, wait, seconds);
            allOk = report(frames, watched.presents, shows.takeAll(), wait) && allOk;
        }
    } catch (const ProgramExit& exit) {
        std::fprintf(stderr, "pacing_probe: the window was closed\n");
        g.devices.screen.Close();
        return 1;
    }
    g.devices.screen.Close();
    return allOk ? 0 : 2;
}

struct Arguments {
    bool verdict = true;
    double seconds = 5;
    std::vector<int> waits;
};

// The command line; false, with one line on standard error, when it is not one the probe
// takes.
bool readArguments(int argc, char** argv, Arguments& arguments) {
    int at = 1;
    if (at < argc && std::string(argv[at]) == "--no-verdict") {
        arguments.verdict = false;
        ++at;
    }
    if (at < argc && !readNumber("pacing_probe", "seconds per WAIT", argv[at++], 0.01, 3600,
                                 arguments.seconds)) {
        return false;
    }
    for (; at < argc; ++at) {
        long wait = 0;
        if (!readWholeNumber("pacing_probe", "a WAIT value", argv[at], 1, kWaitMax, wait)) {
            return false;
        }
        arguments.waits.push_back(int(wait));
    }
    if (arguments.waits.empty()) arguments.waits = {1, 2, 10};
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    if (!readArguments(argc, argv, arguments)) return 1;
    platform::SdlPlatform sdl("DIRAVIRU pacing probe");
    ShowLog shows;
    sdl.watchShows([&shows](const platform::Picture&, Clock::duration took) { shows.add(took); });
    const int status =
        sdl.run([&] { return probe(sdl, shows, arguments.seconds, arguments.waits); });
    return status == 2 && !arguments.verdict ? 0 : status;
}
