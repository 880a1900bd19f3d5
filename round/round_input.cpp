// The round's one reading of its input per frame, shared by the round's frames and the passes
// of the round-end pause.
#include "game/game.h"
#include "round/round.h"

FrameInput readFrameInput(Game& game, MatchStream& stream) {
    const FrameInput input = stream.nextFrame();
    game.match.roundKeys.apply(input);
    handOverToComputer(game.players, input.toComputer);
    return input;
}

void handOverToComputer(Players& players, uint8_t slots) {
    for (int slot = 0; slot < kSlots; ++slot) {
        if ((slots >> slot) & 1u && players.present(slot)) players.type[slot] = PlayerCom;
    }
}
