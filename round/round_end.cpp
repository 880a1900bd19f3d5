// The round clock, the WAIT change during play, and the end of a round: the survivor's
// bonus and the pause on "PUSH ENTER KEY TO NEXT ROUND".
#include <cmath>
#include <string_view>

#include "input/devices.h"
#include "input/pacing.h"
#include "items/explosions.h"
#include "items/item_box.h"
#include "items/meteorites.h"
#include "round/round.h"
#include "round/round_header.h"

namespace {

constexpr int32_t kSurvivorBonus = 100;

constexpr const char* kNextRoundMessage = "PUSH ENTER KEY TO NEXT ROUND";
constexpr int kMessageWidth =
    kGlyphCell * static_cast<int>(std::string_view(kNextRoundMessage).size());
constexpr int kMessageX = static_cast<int>(centredX(1, kMessageWidth));
constexpr int kMessageY = static_cast<int>(centredY(kGlyphCell));

// trunc(time * scoreRate) + 100, the product in double precision.
int32_t survivorBonus(const MatchCounters& match) {
    const double earned =
        std::trunc(static_cast<double>(match.time) * static_cast<double>(match.scoreRate));
    return static_cast<int32_t>(earned) + kSurvivorBonus;
}

// The message lies composed at the top-left of SurfaceBack; this puts it, opaque, in the
// middle of the shown page.
void showNextRoundMessage(Screen& screen) {
    screen.Copy(kMessageX, kMessageY, 0, 0, kMessageWidth, kGlyphCell, SurfacePrimary, SurfaceBack);
}

}  // namespace

void updateRoundTime(MatchCounters& match, Screen& screen, bool secondMark) {
    if (!secondMark) return;
    match.time += 1;
    drawHeaderTime(screen, match.time);
}

void adjustWait(RoundKeys& keys, Settings& settings, Screen& screen) {
    int32_t& wait = settings.wait;
    bool changed = false;
    if (keys.take(MatchKeyPageDown)) {
        if (wait < kWaitMax) wait += 1;
        changed = true;  // redrawn even at the limit
    }
    if (keys.take(MatchKeyPageUp)) {
        if (wait > kWaitMin) wait -= 1;
        changed = true;
    }
    if (changed) drawHeaderWait(screen, wait);
}

bool roundOver(const Players& players) { return players.inPlayCount() <= 1; }

void paySurvivor(Players& players, const MatchCounters& match) {
    for (int slot = 0; slot < kSlots; ++slot) {
        if (players.inPlay(slot)) players.score[slot] += survivorBonus(match);
    }
}

bool playPauseFrame(Play& play, RoundKeys& keys, const FrameInput& input) {
    applyFrameInput(input, keys, play.players);
    if (keys.take(MatchKeyEnter)) return true;
    // Explosions and meteorites go on, nothing else moves.
    for (int slot = 0; slot < kSlots; ++slot) tickExplosion(play, slot);
    drawItemBox(play.itemBox, play.screen);
    stepMeteorites(play);
    showNextRoundMessage(play.screen);
    return false;
}

void runRoundEndPause(Round& round) {
    Play& play = round.play;
    const PadsInRound pads(round.devices);  // Start on a pad is Enter here too
    play.screen.DrawColourText(SurfaceBack, kNextRoundMessage, 0, 0, kGlyphCell, kGlyphCell,
                               kTextTile);
    showNextRoundMessage(play.screen);
    // An Enter still down from the round does not end the pause: it must be pressed anew.
    round.keys.down[MatchKeyEnter] = 0;
    for (;;) {
        markFrameStart(round.devices);
        if (playPauseFrame(play, round.keys, round.stream.nextFrame())) return;
        busyDelay(round.devices, play.settings.wait);
    }
}
