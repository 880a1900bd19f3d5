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

// How a round ended, kept from its return until the next score table is shown.
struct RoundEnd {
    uint64_t checksum = 0;
    Scores scores{};
};

// Tells the match's source and observer how the round ended. Called once the next score
// table is shown, so that what they keep (a recorder's file) is never made in a round.
void reportRoundEnd(Game& game, const RoundEnd& end) {
    game.matchInput->endRound(end.checksum, end.scores);
    if (game.matchObserver != nullptr) game.matchObserver->endRound(end.checksum, end.scores);
}

// The score table's decision from the match's source: true to play the next round. Esc ends
// the match (the observer is told); a closed source ends it too.
bool decideNextRound(Game& game) {
    const Decision decision = game.matchInput->nextDecision();
    if (decision == Decision::NextRound) {
        if (game.matchObserver != nullptr) game.matchObserver->beginRound();
        return true;
    }
    if (decision == Decision::EndMatch && game.matchObserver != nullptr) {
        game.matchObserver->endMatch();
    }
    return false;
}

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

void runMatch(Game& game) {
    game.screen.ResetPalette();
    for (int slot = 0; slot < kSlots; ++slot) game.players.score[slot] = 0;
    game.match.round = 0;
    bool roundPlayed = false;
    RoundEnd end;
    for (;;) {
        drawScoreTable(game);
        if (roundPlayed) reportRoundEnd(game, end);
        if (!decideNextRound(game)) return;
        startRound(game);
        runCountdown(game);
        runRound(game);
        end = {matchChecksum(game.screen, game.players.score), game.players.score};
        roundPlayed = true;
        game.match.round += 1;
        waitSinceMark(game, 0);
    }
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
