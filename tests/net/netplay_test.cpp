// Network play in the whole program: machines in this process, each the real program on
// the scripted platform on a thread of its own, driven by what it shows (as a person would
// react), joined over ENet on the loopback address, directly or through the relay.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "netplay/net_game.h"
#include "netplay/net_screens.h"
#include "replay/replay.h"
#include "shell/program.h"
#include "tests/net/loopback_match.h"
#include "tests/net/udp_relay.h"
#include "tests/support/test_game.h"

namespace {

using Page = platform::ScriptedPlatform::PresentedPage;
constexpr auto kPatience = std::chrono::seconds(60);
const uint32_t kVersion = netGameVersion("1.0");
constexpr uint32_t kHoldMs = 50;  // longer than a redraw's wait for the display

// A machine: the program with its network game, a script that reacts to the pages shown.
class Machine {
public:
    explicit Machine(std::unique_ptr<NetGame> net)
        : game_(makeGame(platform_)), net_(net.get()), owned_(std::move(net)) {
        game_->settingsPath = ref_->settingsPath;
        game_->recordPath = ref_.dir + "/last_match.dvr";
        game_->charBitmapName = ref_->charBitmapName;
        platform_.onPresent = [this](const Page& page) {
            now_ = uint32_t(page.atMicros / 1000);
            if (script) script(page);
        };
    }
    ~Machine() {
        if (thread_.joinable()) thread_.join();
    }

    void start() {
        thread_ = std::thread([this] { status_ = runNetGame(*game_, "", std::move(owned_)); });
    }
    int finish() {
        thread_.join();
        return status_;
    }
    // The network game: the host's while the program runs, a joined machine's until it
    // leaves the lobby.
    NetGame& net() { return *net_; }
    // The checksums of the rounds of the replay this machine kept, and whether playing it
    // back (as --play FILE --check does) gives them again.
    std::vector<uint64_t> replaySums(bool& playsBack) {
        Replay replay;
        std::string error;
        EXPECT_TRUE(readReplayFile(game_->recordPath, replay, error)) << error;
        std::vector<uint64_t> sums;
        for (const ReplayRound& round : replay.rounds) sums.push_back(round.checksum);
        platform::ScriptedPlatform viewer;
        const auto game = makeGame(viewer);
        game->charBitmapName = ref_->charBitmapName;
        Options options;
        options.mode = Options::Mode::Play;
        options.playPath = game_->recordPath;
        options.check = true;
        playsBack = runGame(*game, "", options) == 0;
        return sums;
    }
    Game& game() { return *game_; }

    // Whether the page shows `text` at (x, y) in the colour tile, as the game draws it.
    bool sees(const Page& page, const char* text, int x, int y, int tile = 7) {
        return bool(shows(*ref_, page.pixels.data(), text, x, y, tile));
    }
    // Presses the keys one after the other, from 100 ms after the last press or now.
    void press(std::initializer_list<int> keys) {
        for (int code : keys) {
            at_ = std::max(at_, now_) + 100;
            platform_.keyPress(at_, code, kHoldMs);
        }
    }

    // Taps `code` every `everyMs` from now on, `count` times (a person steering).
    void tap(int code, uint32_t everyMs, int count) {
        for (int i = 1; i <= count; ++i) platform_.keyPress(now_ + everyMs * uint32_t(i), code);
    }

    std::function<void(const Page&)> script;

private:
    TestGame ref_;  // draws what the script looks for; its folder keeps the settings
    platform::ScriptedPlatform platform_;
    std::unique_ptr<Game> game_;
    NetGame* net_;
    std::unique_ptr<NetGame> owned_;  // until the program takes it
    std::thread thread_;
    int status_ = -1;
    uint32_t now_ = 0;
    uint32_t at_ = 0;
};

std::unique_ptr<NetGame> hostGame() {
    std::string error;
    auto net = NetGame::host(0, kVersion, error, "HOST");
    EXPECT_TRUE(net) << error;
    return net;
}

std::unique_ptr<NetGame> joinGame(uint16_t port, const std::string& name) {
    std::string error;
    auto net = NetGame::join("127.0.0.1:" + std::to_string(port), kVersion, error, name);
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
        bool told = false;
        std::atomic<bool> lobby = false;
        late.script = [&](const Page& page) {
            if (late.sees(page, kWaitingForHost, kCentred, 400)) lobby = true;
            told |= late.sees(page, c.told, kCentred, 232, kNoticeTile);
            if (titleShown(late, page)) late.press({key::Pause});
        };
        late.start();
        if (open) {
            await([&] { return bool(lobby); });
            open.reset();
        }
        EXPECT_EQ(late.finish(), 0);
        EXPECT_TRUE(told) << c.told;
        EXPECT_EQ(lobby, !c.full);
    }
}

namespace {

bool scoreTableShown(Machine& m, const Page& page) {
    return m.sees(page, "PUSH ENTER KEY TO START", kCentred, 368);
}
bool roundShown(Machine& m, const Page& page) {
    return m.sees(page, "PUSH ESC KEY TO END", kCentred, 464);
}
bool roundEndShown(Machine& m, const Page& page) {
    return m.sees(page, "PUSH ENTER KEY TO NEXT ROUND", 96, 232);
}
bool stopShown(Machine& m, const Page& page) {
    return m.sees(page, kChecksumsDiffer, kCentred, 232, kNoticeTile);
}

enum class Sight { Other, Title, Lobby, Table, Round, RoundEnd };

Sight sightOf(Machine& m, const Page& page) {
    if (roundEndShown(m, page)) return Sight::RoundEnd;
    if (roundShown(m, page)) return Sight::Round;
    if (scoreTableShown(m, page)) return Sight::Table;
    if (titleShown(m, page)) return Sight::Title;
    if (m.sees(page, kWaitingForHost, kCentred, 400)) return Sight::Lobby;
    return Sight::Other;
}

// What a machine saw of a match.
struct Seen {
    int scoreTables = 0;
    int rounds = 0;
    bool stopped = false;
    bool hostGone = false;
    std::vector<uint64_t> sums;  // the round checksums, as compared, once back from the match
};

// A network match as people would play it: the host gives slot m to machine m on its title
// (Enter on the row: MAN, COM, then NET for machine 1, 2, ...), starts, and plays `rounds`
// rounds; every person steers its own slot in tight circles so that rounds end soon.
// `onRound(machine, game)` runs on a machine's thread when it first shows a round.
struct NetMatch {
    int machines = 2;
    int rounds = 2;
    loopback::Distance distance;
    std::function<void(int machine, Game& game)> onRound = nullptr;
    bool firstGuestFallsSilent = false;  // its link passes nothing once its first round shows
};

std::vector<Seen> playNetMatch(const NetMatch& match, std::vector<std::unique_ptr<Machine>>& out,
                               std::unique_ptr<UdpRelay>* relayOut = nullptr) {
    std::unique_ptr<NetGame> host = hostGame();
    const uint16_t port = host->session().port();
    const bool relayed = match.distance.oneWayDelayMs > 0;
    std::unique_ptr<UdpRelay> relay =
        relayed ? std::make_unique<UdpRelay>(port, match.machines - 1, match.distance.oneWayDelayMs,
                                             match.distance.lossRate, 2024)
                : nullptr;
    out.clear();
    out.push_back(std::make_unique<Machine>(std::move(host)));
    for (int m = 1; m < match.machines; ++m) {
        out.push_back(std::make_unique<Machine>(
            joinGame(relayed ? relay->port(m - 1) : port, "GUEST" + std::to_string(m))));
        await([&] { return out.back()->net().session().self() == m; });
    }
    std::vector<Seen> seen(out.size());
    std::atomic<int> back = 0;  // joined machines back in their lobby after the match
    for (int m = 0; m < match.machines; ++m) {
        Machine& machine = *out[m];
        Seen& s = seen[m];
        machine.script = [&, m, at = Sight::Other, quitting = false,
                          counted = false](const Page& page) mutable {
            s.stopped |= stopShown(machine, page);
            s.hostGone |= machine.sees(page, kHostGoneInMatch, kCentred, 232, kNoticeTile);
            const Sight now = sightOf(machine, page);
            // The host ends once the others have the whole match (its end ends their game).
            if (m == 0 && now == Sight::Title && s.scoreTables > 0 && !quitting &&
                back == match.machines - 1) {
                quitting = true;
                s.sums = machine.net().roundChecksums();
                machine.press({key::Pause});
            }
            if (now == at || now == Sight::Other) return;
            const Sight before = std::exchange(at, now);
            if (now == Sight::Round && before != Sight::RoundEnd) {
                ++s.rounds;
                machine.tap(playerKeys[m].turnLeftKey, 120, 200);
                if (match.onRound) match.onRound(m, machine.game());
                if (m == 1 && match.firstGuestFallsSilent) relay->cut(0);
            } else if (now == Sight::RoundEnd && m == 0) {
                machine.press({key::Enter});
            } else if (now == Sight::Table) {
                ++s.scoreTables;
                if (m == 0) machine.press({s.rounds < match.rounds ? key::Enter : key::Esc});
            } else if (now == Sight::Title && m == 0 && s.scoreTables == 0) {
                // Slot s to machine s: NET m comes after MAN, COM, NET 1 .. m - 1.
                machine.press({key::Down});  // 1P stays the host's own MAN
                for (int slot = 1; slot < kSlots; ++slot) {
                    machine.press({key::Down});
                    const int steps = slot < match.machines ? slot + 1 : match.machines + 1;
                    for (int i = 0; i < steps; ++i) machine.press({key::Enter});
                }
                machine.press({key::Up, key::Up, key::Up, key::Up, key::Enter});
            } else if (now == Sight::Title && m != 0) {
                if (!std::exchange(counted, true)) ++back;  // it lost the host on the way
                machine.press({key::Pause});
            } else if (now == Sight::Lobby && s.scoreTables > 0) {
                s.sums = machine.net().roundChecksums();
                if (!std::exchange(counted, true)) ++back;
                machine.press({key::Esc});  // back in the lobby after the match: leave
            }
        };
    }
    for (auto& machine : out) machine->start();
    for (auto& machine : out) EXPECT_EQ(machine->finish(), 0);
    if (relayOut) *relayOut = std::move(relay);
    return seen;
}

}  // namespace

// Two and four machines, directly and through 50 ms each way with 2% lost: every machine
// shows every round and score table of the host's match, every round ends with the same
// checksum on every machine, and every machine's replay of the match plays back to them.
TEST(NetPlay, MachinesPlayTheHostsMatchInLockstepWithEqualChecksums) {
    const NetMatch cases[] = {{2, 2, {}}, {4, 2, {}}, {2, 1, {50, 0.02}}};
    for (const NetMatch& c : cases) {
        std::vector<std::unique_ptr<Machine>> machines;
        const std::vector<Seen> seen = playNetMatch(c, machines);
        EXPECT_EQ(seen[0].sums.size(), std::size_t(c.rounds)) << c.machines << " machines";
        for (int m = 0; m < c.machines; ++m) {
            EXPECT_EQ(seen[m].sums, seen[0].sums) << "machine " << m;
            bool playsBack = false;
            EXPECT_EQ(machines[m]->replaySums(playsBack), seen[0].sums) << "machine " << m;
            EXPECT_TRUE(playsBack) << "machine " << m;
            EXPECT_EQ(seen[m].rounds, c.rounds) << "machine " << m;
            EXPECT_EQ(seen[m].scoreTables, c.rounds + 1) << "machine " << m;
            EXPECT_FALSE(seen[m].stopped) << "machine " << m;
        }
    }
}

// A machine whose game goes its own way (here its 1P score, as a fault would change it)
// makes the round's checksums differ: the match stops on every machine with the message.
TEST(NetPlay, ChecksumsThatDifferStopTheMatchOnEveryMachine) {
    NetMatch match;
    match.onRound = [](int machine, Game& game) {
        if (machine == 1) game.players.score[0] += 7;
    };
    std::vector<std::unique_ptr<Machine>> machines;
    const std::vector<Seen> seen = playNetMatch(match, machines);
    for (int m = 0; m < 2; ++m) {
        EXPECT_TRUE(seen[m].stopped) << "machine " << m;
        EXPECT_EQ(seen[m].rounds, 1) << "machine " << m;
    }
}

// A machine that stops answering mid-round (as a killed one would): after 3 s its slot turns
// COM on the host, whose match goes on to its end; the silent machine, cut off, tells that
// the host has gone and comes to its own title.
TEST(NetPlay, AMachineThatFallsSilentMidRoundGivesItsSlotToTheComputer) {
    NetMatch match;
    match.rounds = 1;
    match.distance = {1, 0};  // through the relay, which can cut the link
    match.firstGuestFallsSilent = true;
    std::vector<std::unique_ptr<Machine>> machines;
    const std::vector<Seen> seen = playNetMatch(match, machines);
    EXPECT_EQ(seen[0].rounds, 1);
    EXPECT_EQ(seen[0].sums.size(), 1u);
    EXPECT_FALSE(seen[0].stopped);
    EXPECT_EQ(machines[0]->game().players.type[1], PlayerCom);
    EXPECT_TRUE(seen[1].hostGone);
}
