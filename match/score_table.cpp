// The score table shown before every round: round number, one line per player with its
// keys, score and rank, and the two PUSH lines.
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

void drawPlayerRow(Game& game, int slot, int32_t rank) {
    const char* keys = keyLabels[slot];
    char line[64];
    std::snprintf(line, sizeof line, "%dP     %c%c%c %07d %d   ", slot + 1, keys[0], keys[1],
                  keys[2], game.players.score[slot], rank);
    game.screen.DrawColourText(SurfacePage, line, kCentred, kFirstRowY + kRowSpacing * slot,
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
    Screen& screen = game.screen;
    const std::array<int32_t, 4> ranks = computeRanks(game.players);
    screen.Clear(SurfacePage);
    screen.Clear(SurfaceOverlay);

    char title[32];
    std::snprintf(title, sizeof title, "ROUND %d", game.match.round + 1);
    screen.DrawText(SurfacePage, title, kCentred, kRoundY, kRoundCell, kRoundCell);
    screen.DrawColourText(SurfacePage, "PLAYER KEY SCORE   RANK", kCentred, kHeadingY, kGlyphCell,
                          kGlyphCell, kTextTile);
    for (int slot = 0; slot < kSlots; ++slot) {
        if (game.players.present(slot)) drawPlayerRow(game, slot, ranks[slot]);
    }
    screen.DrawColourText(SurfacePage, "PUSH ENTER KEY TO START", kCentred, kStartLineY, kGlyphCell,
                          kGlyphCell, kTextTile);
    screen.DrawColourText(SurfacePage, "PUSH ESC KEY TO END", kCentred, kEndLineY, kGlyphCell,
                          kGlyphCell, kTextTile);

    copyPage(screen, SurfaceBack, SurfacePage);
    screen.Flip();
}
