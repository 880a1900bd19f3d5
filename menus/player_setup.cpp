// The player setup on the title's rows 1 to 4: Enter steps a slot round NON, MAN, COM.
#include "menus/title_menu.h"
#include "shell/game.h"

namespace {

constexpr int kPlayerTypes = 3;
constexpr int kNameX = 394;  // the last three characters of "%d PLAYER %s" at x 250
constexpr int kRowTop = 206;
constexpr int kRowSpacing = 28;

}  // namespace

void cyclePlayerType(Game& game) {
    const int row = game.titleMenu.cursor;
    if (row < 1 || row > kSlots) return;  // only the four player rows carry a slot
    int8_t& type = game.players.type[row - 1];
    type = static_cast<int8_t>((type + 1) % kPlayerTypes);
    // The name is drawn in the row's own colour tile, which is the slot's number.
    game.screen.DrawColourText(SurfacePage, playerTypeNames[type], kNameX,
                               kRowTop + kRowSpacing * row, kGlyphCell, kGlyphCell, row);
    showPage(game);
}
