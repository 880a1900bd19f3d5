// The player setup on the title's rows 1 to 4: Enter steps a slot round NON, MAN, COM.
#include "game/game.h"
#include "menus/title_menu.h"

namespace {

constexpr int kPlayerTypes = 3;

}  // namespace

void cyclePlayerType(Game& game) {
    const int row = game.titleMenu.cursor;
    if (!isPlayerRow(row)) return;  // only the four player rows carry a slot
    const int slot = row - TitleRowFirstPlayer;
    int8_t& type = game.play.players.type[slot];
    type = static_cast<int8_t>((type + 1) % kPlayerTypes);
    drawPlayerRowType(game, slot);
    showPage(game.devices.screen);
}
