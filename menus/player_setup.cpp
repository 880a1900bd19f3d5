// The player setup on the title's rows 1 to 4: Enter steps a slot round NON, MAN, COM.
#include "menus/title_menu.h"
#include "shell/game.h"

namespace {

constexpr int kPlayerTypes = 3;

}  // namespace

void cyclePlayerType(Game& game) {
    const int row = game.titleMenu.cursor;
    if (row < 1 || row > kSlots) return;  // only the four player rows carry a slot
    int8_t& type = game.players.type[row - 1];
    type = static_cast<int8_t>((type + 1) % kPlayerTypes);
    drawPlayerRowType(game, row - 1);
    showPage(game);
}
