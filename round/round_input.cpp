// The round's one reading of its input per frame, and what the match's observer is shown of
// it: shared by the round's frames and the passes of the round-end pause.
#include "game/game.h"
#include "round/round.h"

FrameInput readFrameInput(Game& game) {
    const FrameInput input = game.matchInput->nextFrame();
    game.match.roundKeys.apply(input);
    return input;
}

void observeFrame(Game& game, const FrameInput& input, bool secondAdvanced) {
    if (game.matchObserver != nullptr) game.matchObserver->frame(input, secondAdvanced);
}
