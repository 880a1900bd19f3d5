// The score table shown before every round: round number, one line per player with its
// keys, score and rank, and the two PUSH lines. The heading and the lines are equally wide
// (23 characters with one-character key labels), so that the columns line up.
#include <cstdio>

#include "game/game.h"
#include "match/match.h"

namespace {

constexpr int kRoundCell = 32;
constexpr int kRoundY = 100;
constexpr int kHeadingY = 184;
constexpr int kFirstRowY = 216;
constexpr int kRowSpacing = 32;
constexpr int kStartLineY = 368;
constexpr int kEndLineY = 400;

// The KEY column is as wide as the longest keys of the players listed.
int keyColumnWidth(Game& game) {
    unsigned listed = 0;
    for (int slot = 0; slot < kSlots; ++slot) {
        if (game.play.players.present(slot)) listed |= 1u << slot;
    }
    return keyColumnWidth(game.devices.playerKeys, listed);
}

void drawHeading(Game& game, int keyWidth) {
    char line[64];
    std::snprintf(line, sizeof line, "PLAYER %-*s SCORE   RANK", keyWidth, kKeyHeading);
    game.devices.screen.DrawColourText(SurfacePage, line, kCentred, kHeadingY, kGlyphCell,
                                       kGlyphCell, kTextTile);
}

void drawPlayerRow(Game& game, int slot, int32_t rank, int keyWidth) {
    char keys[kKeyColumnMax + 1];
    formatKeyColumn(game.devices.playerKeys[slot], keys, sizeof keys);
    char line[64];
    std::snprintf(line, sizeof line, "%dP     %-*s %07d %d   ", slot + 1, keyWidth, keys,
                  game.play.players.score[slot], rank);
    game.devices.screen.DrawColourText(SurfacePage, line, kCentred, kFirstRowY + kRowSpacing * slot,
                                       kGlyphCell, kGlyphCell, slotTile(slot));
}

}  // namespace

std::array<int32_t, 4> computeRanks(const Players& players) {
    std::array<int32_t, 4> ranks = {1, 1, 1, 1};
    for (int p = 0; p < kSlots; ++p) {
        if (!players.present(p)) continue;
        for (int q = 0; q < kSlots; ++q) {
            if (players.present(q) && players.score[q] > players.score[p]) ranks[p] += 1;
        }
    }
    return ranks;
}

void drawScoreTable(Game& game) {
    Screen& screen = game.devices.screen;
    const std::array<int32_t, 4> ranks = computeRanks(game.play.players);
    screen.Clear(SurfacePage);
    screen.Clear(SurfaceOverlay);

    char title[32];
    std::snprintf(title, sizeof title, "ROUND %d", game.play.counters.round + 1);
    screen.DrawText(SurfacePage, title, kCentred, kRoundY, kRoundCell, kRoundCell);
    const int keyWidth = keyColumnWidth(game);
    drawHeading(game, keyWidth);
    for (int slot = 0; slot < kSlots; ++slot) {
        if (game.play.players.present(slot)) drawPlayerRow(game, slot, ranks[slot], keyWidth);
    }
    screen.DrawColourText(SurfacePage, "PUSH ENTER KEY TO START", kCentred, kStartLineY, kGlyphCell,
                          kGlyphCell, kTextTile);
    screen.DrawColourText(SurfacePage, "PUSH ESC KEY TO END", kCentred, kEndLineY, kGlyphCell,
                          kGlyphCell, kTextTile);

    copyPage(screen, SurfaceBack, SurfacePage);
    screen.Flip();
}
