// Network play in the whole program: machines in this process, each the real program on
// the scripted platform on a thread of its own, driven by what it shows (as a person would
// react), joined over ENet on the loopback address, directly or through the relay.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "netplay/net_game.h"
#include "netplay/net_screens.h"
#include "shell/program.h"
#include "tests/net/udp_relay.h"
#include "tests/support/test_game.h"

namespace {

using Page = platform::ScriptedPlatform::PresentedPage;
constexpr auto kPatience = std::chrono::seconds(60);

// A machine: the program with its network game, a script that reacts to the pages shown.
class Machine {
public:
    explicit Machine(std::unique_ptr<NetGame> net) : game_(makeGame(platform_)) {
        game_->settingsPath = ref_->settingsPath;
        game_->charBitmapName = ref_->charBitmapName;
        game_->net = std::move(net);
        platform_.onPresent = [this](const Page& page) {
            now_ = uint32_t(page.atMicros / 1000);
            if (script) script(page);
        };
    }
    ~Machine() {
        if (thread_.joinable()) thread_.join();
    }

    void start() {
        thread_ = std::thread([this] { status_ = runGame(*game_, ""); });
    }
    int finish() {
        thread_.join();
        game_->net.reset();  // the program would leave here, at its end
        return status_;
    }
    NetGame& net() { return *game_->net; }
    Game& game() { return *game_; }

    // Whether the page shows `text` at (x, y) in the colour tile, as the game draws it.
    bool sees(const Page& page, const char* text, int x, int y, int tile = 7) {
        return bool(shows(*ref_, page.pixels.data(), text, x, y, tile));
    }
    // Presses the keys one after the other, from 100 ms after the last press or now.
    void press(std::initializer_list<int> keys) {
        for (int code : keys) {
            at_ = std::max(at_, now_) + 100;
            platform_.keyPress(at_, code);
        }
    }

    std::function<void(const Page&)> script;

private:
    TestGame ref_;  // draws what the script looks for; its folder keeps the settings
    platform::ScriptedPlatform platform_;
    std::unique_ptr<Game> game_;
    std::thread thread_;
    int status_ = -1;
    uint32_t now_ = 0;
    uint32_t at_ = 0;
};

std::unique_ptr<NetGame> hostGame() {
    std::string error;
    auto net = NetGame::host(0, error, "HOST");
    EXPECT_TRUE(net) << error;
    return net;
}

std::unique_ptr<NetGame> joinGame(uint16_t port, const std::string& name) {
    std::string error;
    auto net = NetGame::join("127.0.0.1:" + std::to_string(port), error, name);
    EXPECT_TRUE(net) << error;
    return net;
}

// Waits (really) until `done` holds.
void await(const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + kPatience;
    while (!done()) {
        ASSERT_LT(std::chrono::steady_clock::now(), until) << "gave up waiting";
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

bool titleShown(Machine& m, const Page& page) { return m.sees(page, "START", 250, 206); }

}  // namespace

// A join to a full game is refused, and a joined machine loses its host: each is told on
// the screen (and on standard error), and the machine comes to its own title.
TEST(NetPlay, ARefusalAndAHostThatLeavesAreToldAndLeadToTheTitle) {
    std::unique_ptr<NetGame> host = hostGame();
    std::vector<std::unique_ptr<NetGame>> guests;
    for (int m = 1; m < net::kMaxMachines; ++m) {
        guests.push_back(joinGame(host->session().port(), "GUEST" + std::to_string(m)));
        await([&] { return guests.back()->session().self() == m; });
    }
    const struct {
        const char* told;
        bool full;
    } cases[] = {{"REFUSED: THE GAME IS FULL", true}, {kHostGone, false}};
    for (const auto& c : cases) {
        std::unique_ptr<NetGame> open = c.full ? nullptr : hostGame();
        NetGame& joined = c.full ? *host : *open;
        Machine late(joinGame(joined.session().port(), "LATE"));
        bool told = false, lobby = false;
        late.script = [&](const Page& page) {
            lobby |= late.sees(page, kWaitingForHost, kCentred, 400);
            told |= late.sees(page, c.told, kCentred, 232, kNoticeTile);
            if (titleShown(late, page)) late.press({key::Pause});
        };
        late.start();
        if (open) {
            await([&] { return open->othersJoined(); });
            open.reset();
        }
        EXPECT_EQ(late.finish(), 0);
        EXPECT_TRUE(told) << c.told;
        EXPECT_EQ(lobby, !c.full);
    }
}
