// A match: the score table before every round, the round's set-up, the START countdown
// and the hand-over to round play, until Esc on the score table.
#include <cstdio>

#include "game/game.h"
#include "input/pacing.h"
#include "match/match.h"
#include "match/match_checksum.h"
#include "round/round.h"
#include "round/round_header.h"

namespace {

constexpr int kEscLineY = 464;
constexpr float kRatePerEmptySlot = 0.5f;

constexpr int kCountdownCell = 64;
constexpr uint32_t kCountdownStepMs = 900;
constexpr const char* kCountdownTexts[] = {"3", "2", "1", "START"};

void placePlayerAtStart(Players& players, int slot) {
    players.x[slot] = static_cast<float>(startX[slot]);
    players.y[slot] = static_cast<float>(startY[slot]);
    players.pixelX[slot] = static_cast<int32_t>(players.x[slot]);
    players.pixelY[slot] = static_cast<int32_t>(players.y[slot]);
    players.direction[slot] = startDirection[slot];
    players.alive[slot] = true;
    players.speedLevel[slot] = kStartSpeedLevel;
    players.itemCount[slot] = 0;
    players.comStraightCount[slot] = 0;
    players.comTurnSide[slot] = 0;
}

void drawItemCaption(Game& game, int slot) {
    char caption[24];
    std::snprintf(caption, sizeof caption, "%dP ITEM", slot + 1);
    game.devices.screen.DrawColourText(SurfacePage, caption, panelLineX(slot), panelLineY(slot),
                                       kGlyphCell, kGlyphCell, slotTile(slot));
}

void showRoundPage(Game& game) { copyPage(game.devices.screen, SurfaceBack, SurfacePage); }

}  // namespace

RoundResult roundResult(const Game& game) {
    return {matchChecksum(game.devices.screen, game.play.players.score), game.play.players.score};
}

void runMatch(Game& game, MatchInput& input, MatchObserver* observer) {
    MatchStream stream(input, observer);
    game.devices.screen.ResetPalette();
    for (int slot = 0; slot < kSlots; ++slot) game.play.players.score[slot] = 0;
    game.play.counters.round = 0;
    for (;;) {
        drawScoreTable(game);
        if (stream.nextDecision() != Decision::NextRound) return;
        playRound(game, stream);
        game.play.counters.round += 1;
        waitSinceMark(game.devices, 0);
    }
}

void playRound(Game& game, MatchStream& stream) {
    startRound(game);
    runCountdown(game);
    Round round(game.play, game.devices, stream);
    const RoundState end = runRound(round);
    // Between the round's frames and its pause: a recorder keeps the round here.
    stream.roundEnded(roundResult(game));
    if (end == RoundState::Ended) runRoundEndPause(round);
    stream.roundLeft();
}

void startRound(Game& game) {
    MatchCounters& match = game.play.counters;
    Players& players = game.play.players;
    Screen& screen = game.devices.screen;
    match.time = 0;
    match.scoreRate = 1.0f;
    screen.Clear(SurfacePage);
    drawFieldFrame(screen, SurfacePage);
    drawRoundHeader(screen, SurfacePage, match.round, game.play.settings.wait, match.time);
    for (int slot = 0; slot < kSlots; ++slot) {
        // An explosion still flying from the last round stops here, whoever it belongs to.
        players.explosionActive[slot] = false;
        if (players.present(slot)) {
            drawItemCaption(game, slot);
            placePlayerAtStart(players, slot);
        } else {
            match.scoreRate += kRatePerEmptySlot;
        }
    }
    screen.DrawColourText(SurfacePage, "PUSH ESC KEY TO END", kCentred, kEscLineY, kGlyphCell,
                          kGlyphCell, kTextTile);
    drawHeads(game.play.players, game.devices.screen);
    game.play.meteorites.meteorShowerActive = false;
    // A box of the last round is dropped; round play starts without one.
    game.play.itemBox.itemKind = ItemNone;
}

void runCountdown(Game& game) {
    Screen& screen = game.devices.screen;
    for (const char* text : kCountdownTexts) {
        showRoundPage(game);
        screen.DrawText(SurfaceBack, text, kCentred, kCentred, kCountdownCell, kCountdownCell);
        screen.Flip();
        screen.MapField();
        drawHeads(game.play.players, game.devices.screen);  // the heads on the page now shown
        markFrameStart(game.devices);
        waitSinceMark(game.devices, kCountdownStepMs);
    }
    showRoundPage(game);
    screen.Flip();
    screen.MapField();
}
