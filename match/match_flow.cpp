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
    game.screen.DrawColourText(SurfacePage, caption, panelLineX(slot), panelLineY(slot), kGlyphCell,
                               kGlyphCell, slotTile(slot));
}

void showRoundPage(Game& game) { copyPage(game.screen, SurfaceBack, SurfacePage); }

}  // namespace

RoundResult roundResult(const Game& game) {
    return {matchChecksum(game.screen, game.players.score), game.players.score};
}

void runMatch(Game& game, MatchInput& input, MatchObserver* observer) {
    MatchStream stream(input, observer);
    game.screen.ResetPalette();
    for (int slot = 0; slot < kSlots; ++slot) game.players.score[slot] = 0;
    game.match.round = 0;
    for (;;) {
        drawScoreTable(game);
        if (stream.nextDecision() != Decision::NextRound) return;
        playRound(game, stream);
        game.match.round += 1;
        waitSinceMark(game, 0);
    }
}

void playRound(Game& game, MatchStream& stream) {
    startRound(game);
    runCountdown(game);
    const RoundState end = runRound(game, stream);
    // Between the round's frames and its pause: a recorder keeps the round here.
    stream.roundEnded(roundResult(game));
    if (end == RoundState::Ended) runRoundEndPause(game, stream);
    stream.roundLeft();
}

void startRound(Game& game) {
    Match& match = game.match;
    Players& players = game.players;
    Screen& screen = game.screen;
    match.time = 0;
    match.scoreRate = 1.0f;
    screen.Clear(SurfacePage);
    screen.DrawFrame(SurfacePage, kFieldFrame.left, kFieldFrame.top, kFieldFrame.right - 1,
                     kFieldFrame.bottom - 1, screen.PaletteRgb(ColourFrame));
    drawRoundHeader(screen, SurfacePage, match.round, game.settings.wait, match.time);
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
    drawHeads(game.players, game.screen);
    game.meteorites.meteorShowerActive = false;
    // A box of the last round is dropped; round play starts without one.
    game.itemBox.itemKind = ItemNone;
}

void runCountdown(Game& game) {
    Screen& screen = game.screen;
    // Presses made before the round do not act in it.
    for (const PlayerKeys& keys : game.playerKeys) {
        game.keyboard.keyDown[keys.turnLeftKey] = 0;
        game.keyboard.keyDown[keys.itemKey] = 0;
        game.keyboard.keyDown[keys.turnRightKey] = 0;
    }
    for (const char* text : kCountdownTexts) {
        showRoundPage(game);
        screen.DrawText(SurfaceBack, text, kCentred, kCentred, kCountdownCell, kCountdownCell);
        screen.Flip();
        screen.MapField();
        drawHeads(game.players, game.screen);  // the heads on the page now shown
        markFrameStart(game);
        waitSinceMark(game, kCountdownStepMs);
    }
    showRoundPage(game);
    screen.Flip();
    screen.MapField();
    game.keyboard.keyDown[key::Esc] = 0;
}
