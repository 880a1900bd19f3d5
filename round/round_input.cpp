// The round's reading of a frame's input, shared by the round's frames and the passes of the
// round-end pause.
#include "round/round.h"

void applyFrameInput(const FrameInput& input, RoundKeys& keys, Players& players) {
    keys.apply(input);
    handOverToComputer(players, input.toComputer);
}

void handOverToComputer(Players& players, uint8_t slots) {
    for (int slot = 0; slot < kSlots; ++slot) {
        if ((slots >> slot) & 1u && players.present(slot)) players.type[slot] = PlayerCom;
    }
}
