// A match: the score table before every round, the round's set-up, the START countdown
// and the hand-over to round play, until Esc on the score table.
#include <cstdio>

#include "match/match.h"
#include "match/match_checksum.h"
#include "round/round.h"
#include "shell/game.h"
#include "shell/pacing.h"

namespace {

constexpr int kTextTile = 7;
constexpr int kHeaderX = 16;
constexpr int kHeaderY = 16;
constexpr int kHeaderTile = 8;
constexpr int kEscLineY = 464;
constexpr float kRatePerEmptySlot = 0.5f;

// The field's frame: columns 0 and 639, rows 32 and 415.
constexpr int kFrameLeft = 0;
constexpr int kFrameTop = 32;
constexpr int kFrameRight = 639;
constexpr int kFrameBottom = 415;

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
    players.alive[slot] = 1;
    players.speedLevel[slot] = kStartSpeedLevel;
    players.itemCount[slot] = 0;
    players.comStraightCount[slot] = 0;
    players.comTurnSide[slot] = 0;
}

void drawRoundHeader(Game& game) {
    char header[64];
    std::snprintf(header, sizeof header, "ROUND %02d  WAIT %03d  TIME %05d", game.match.round + 1,
                  game.settings.wait, game.match.time);
    game.screen.DrawColourText(SurfacePage, header, kHeaderX, kHeaderY, kGlyphCell, kGlyphCell,
                               kHeaderTile);
}

void drawItemCaption(Game& game, int slot) {
    char caption[24];
    std::snprintf(caption, sizeof caption, "%dP ITEM", slot + 1);
    game.screen.DrawColourText(SurfacePage, caption, panelLineX(slot), panelLineY(slot), kGlyphCell,
                               kGlyphCell, slot + 1);
}

void showRoundPage(Game& game) {
    game.screen.Copy(0, 0, 0, 0, kScreenWidth, kScreenHeight, SurfaceBack, SurfacePage);
}

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
    screen.DrawFrame(SurfacePage, kFrameLeft, kFrameTop, kFrameRight, kFrameBottom,
                     screen.PaletteRgb(ColourFrame));
    drawRoundHeader(game);
    for (int slot = 0; slot < kSlots; ++slot) {
        // An explosion still flying from the last round stops here, whoever it belongs to.
        players.explosionActive[slot] = 0;
        if (players.present(slot)) {
            drawItemCaption(game, slot);
            placePlayerAtStart(players, slot);
        } else {
            match.scoreRate += kRatePerEmptySlot;
        }
    }
    screen.DrawColourText(SurfacePage, "PUSH ESC KEY TO END", kCentred, kEscLineY, kGlyphCell,
                          kGlyphCell, kTextTile);
    drawHeads(game);
    game.meteorites.meteorShowerActive = 0;
    // A box of the last round is dropped; round play starts without one.
    game.itemBox.itemKind = ItemNone;
}

void runCountdown(Game& game) {
    Screen& screen = game.screen;
    // Presses made before the round do not act in it.
    for (const PlayerKeys& keys : playerKeys) {
        game.keyboard.keyDown[keys.turnLeftKey] = 0;
        game.keyboard.keyDown[keys.itemKey] = 0;
        game.keyboard.keyDown[keys.turnRightKey] = 0;
    }
    for (const char* text : kCountdownTexts) {
        showRoundPage(game);
        screen.DrawText(SurfaceBack, text, kCentred, kCentred, kCountdownCell, kCountdownCell);
        screen.Flip();
        screen.MapField();
        drawHeads(game);  // the heads on the page now shown
        markFrameStart(game);
        waitSinceMark(game, kCountdownStepMs);
    }
    showRoundPage(game);
    screen.Flip();
    screen.MapField();
    game.keyboard.keyDown[key::Esc] = 0;
}
