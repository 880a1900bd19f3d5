// Presenting during round frames: a present that falls due while a frame waits is made at
// the start of that wait, never at its end, so that a slow present is paid for by the wait
// and does not make the frame late; and the shown page is still presented at least once
// every refresh interval. (Frames longer than a refresh interval wait in one piece: the page
// does not change meanwhile, so their present at the end shows the same picture again.)
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/scripted_platform.h"
#include "shell/game.h"
#include "shell/pacing.h"

using platform::ScriptedPlatform;

TEST(PresentInWaits, RoundFramesPresentAtTheStartOfTheirWaitAndEveryRefresh) {
    constexpr uint32_t kStartMs = 9000;
    constexpr int kFrames = 300;
    for (const int32_t wait : {1, 2, 3, 4}) {
        ScriptedPlatform machine;
        std::unique_ptr<Game> game = makeGame(machine);
        std::string error;
        ASSERT_TRUE(game->screen.Open(machine, error)) << error;
        installScreenWaitHook(*game);
        machine.setTicks(kStartMs);
        std::vector<uint64_t> presents;
        machine.onPresent = [&](const ScriptedPlatform::PresentedPage& page) {
            presents.push_back(page.atMicros);
        };

        for (int frame = 0; frame < kFrames; ++frame) {
            const uint64_t frameStart = machine.nowMicros();
            const size_t before = presents.size();
            busyDelay(*game, wait);
            const uint64_t frameEnd = machine.nowMicros();
            // The first millisecond of a wait may go to the pump's guard against spinning;
            // a present comes before the wait proper, never in its last millisecond.
            for (size_t i = before; i < presents.size(); ++i) {
                EXPECT_LE(presents[i] - frameStart, 1100u) << "WAIT " << wait << " frame " << frame;
                EXPECT_LT(presents[i] + 1000, frameEnd) << "WAIT " << wait << " frame " << frame;
            }
        }
        ASSERT_GT(presents.size(), 10u) << "WAIT " << wait;
        const uint64_t refreshMicros = uint64_t{machine.refreshMs} * 1000;
        for (size_t i = 1; i < presents.size(); ++i) {
            EXPECT_LE(presents[i] - presents[i - 1], refreshMicros + 1100) << "WAIT " << wait;
        }
    }
}
