#include "netplay/net_game.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstring>

#include "game/game.h"
#include "input/pacing.h"
#include "match/match.h"
#include "menus/title_menu.h"
#include "netplay/net_match.h"
#include "netplay/net_screens.h"
#include "replay/bytes.h"

namespace {

constexpr int kTypeCycle = 3;  // NON, MAN, COM; then the joined machines

net::SessionOptions sessionOptions(uint16_t port, uint32_t gameVersion, const std::string& name) {
    net::SessionOptions options;
    options.gameVersion = gameVersion;
    options.name = name;
    options.port = port;
    return options;
}

}  // namespace

uint32_t netGameVersion(const char* version) {
    const uint64_t hash = fnv1a64(version);
    return uint32_t(hash ^ (hash >> 32));
}

std::string machineName() {
    char buffer[256] = {};
    if (gethostname(buffer, sizeof buffer - 1) != 0 || buffer[0] == '\0') return "MACHINE";
    std::string name(buffer);
    for (char& c : name) c = char(std::toupper(uint8_t(c)));
    return name;
}

void leaveNetworkPlay(Game& game) {
    game.owners = SlotOwners{};
    game.devices.pads.roundSlot = PadInput{}.roundSlot;
    game.titleMenu.idle = nullptr;
}

std::unique_ptr<NetGame> NetGame::host(uint16_t port, uint32_t gameVersion, std::string& error,
                                       const std::string& name) {
    auto session = net::NetSession::host(sessionOptions(port, gameVersion, name), error);
    return session ? std::make_unique<NetGame>(std::move(session)) : nullptr;
}

std::unique_ptr<NetGame> NetGame::join(const std::string& address, uint32_t gameVersion,
                                       std::string& error, const std::string& name) {
    auto session =
        net::NetSession::join(address, sessionOptions(net::kDefaultPort, gameVersion, name), error);
    return session ? std::make_unique<NetGame>(std::move(session)) : nullptr;
}

namespace {

void runUnrecordedMatch(Game& game, MatchInput& input) { runMatch(game, input, nullptr); }

}  // namespace

NetGame::NetGame(std::unique_ptr<net::NetSession> session)
    : session_(std::move(session)), runMatch_(runUnrecordedMatch) {}

// ---- The host's title ------------------------------------------------------------------

void NetGame::attachTitle(Game& game) {
    game.titleMenu.idle = [this](Game& g) { noticeEvents(g); };
}

bool NetGame::othersJoined() const { return session_->lobby().machines != net::MachineMask(1); }

void NetGame::noticeEvents(Game& game) {
    net::NetEvent event;
    while (session_->pollEvent(event)) {
        if (event.kind == net::NetEvent::Kind::Failed) {
            showTitleNotice(game, kNetworkFailed);
            syncOwners(game);
            continue;
        }
        const bool joined = event.kind == net::NetEvent::Kind::MachineJoined;
        if (!joined && event.kind != net::NetEvent::Kind::MachineLeft) continue;
        char text[kNoticeLength + 1];
        std::snprintf(text, sizeof text, "%.*s %s", int(event.name.length), event.name.bytes.data(),
                      joined ? "JOINED" : "LEFT");
        showTitleNotice(game, text);
        syncOwners(game);
    }
}

// The title's rows follow the lobby: a machine's slots come back to the host when it leaves.
void NetGame::syncOwners(Game& game) {
    const net::Lobby lobby = session_->lobby();
    for (int slot = 0; slot < kSlots; ++slot) {
        if (game.owners.machine[slot] == lobby.slotOwner[slot]) continue;
        game.owners.machine[slot] = lobby.slotOwner[slot];
        drawPlayerRowType(game, slot);
    }
}

void NetGame::cycleSlot(Game& game, int slot) {
    const net::Lobby lobby = session_->lobby();
    // Positions in the cycle: 0..2 the types, 2 + m machine m.
    int position = game.owners.machine[slot] != net::kHostMachine
                       ? kTypeCycle - 1 + game.owners.machine[slot]
                       : game.play.players.type[slot];
    do {
        position = (position + 1) % (kTypeCycle - 1 + net::kMaxMachines);
    } while (position >= kTypeCycle && !net::hasMachine(lobby.machines, position - kTypeCycle + 1));
    const uint8_t machine = position >= kTypeCycle ? uint8_t(position - kTypeCycle + 1) : 0;
    if (session_->giveSlot(slot, machine)) {
        game.owners.machine[slot] = machine;
        game.play.players.type[slot] =
            machine != net::kHostMachine ? int8_t(PlayerMan) : int8_t(position);
        char text[kNoticeLength + 1];
        const int prefix = std::snprintf(text, sizeof text, "%dP PLAYED BY ", slot + 1);
        if (machine != net::kHostMachine) {
            const net::Name& name = lobby.names[machine];
            std::snprintf(text + prefix, sizeof text - prefix, "%.*s", int(name.length),
                          name.bytes.data());
            showTitleNotice(game, text);
        } else if (const char* notice = game.titleMenu.notice;
                   notice != nullptr && std::strncmp(notice, text, std::size_t(prefix)) == 0) {
            clearTitleNotice(game);  // the slot is no longer played by that machine
        }
    }
    drawPlayerRowType(game, slot);
    showPage(game.devices.screen);
}

void NetGame::playHostMatch(Game& game) { ::playHostMatch(game, *session_, roundSums_, runMatch_); }

// ---- A joined machine's lobby ----------------------------------------------------------

namespace {

// The slots this machine plays, and its pads on them in slot order.
void followLobby(Game& game, const net::Lobby& lobby, uint8_t self) {
    game.owners.self = self;
    game.owners.machine = lobby.slotOwner;
    game.devices.pads.roundSlot.fill(-1);
    for (int slot = 0, pad = 0; slot < kSlots; ++slot) {
        if (lobby.slotOwner[slot] == self) game.devices.pads.roundSlot[pad++] = int8_t(slot);
    }
}

}  // namespace

void NetGame::runLobby(Game& game) {
    drawLobby(game, session_->lobby(), 0, kConnecting);
    for (;;) {
        if (game.devices.keyboard.take(key::Esc)) return;
        bool changed = false;  // redrawn once per pass: a redraw waits for the display
        net::NetEvent event;
        while (session_->pollEvent(event)) {
            using Kind = net::NetEvent::Kind;
            switch (event.kind) {
                case Kind::Refused:
                    showNetEnding(game, refusalText(event.refusal),
                                  refusalDetail(event.refusal, event.hostVersion,
                                                session_->gameVersion()));
                    return;
                case Kind::ConnectFailed:
                    showNetEnding(game, kHostUnreachable);
                    return;
                case Kind::HostGone:
                    showNetEnding(game, kHostGone);
                    return;
                case Kind::Failed:
                    showNetEnding(game, kNetworkFailed);
                    return;
                case Kind::MatchStarted:
                    if (playJoinedMatch(game, *session_, roundSums_, runMatch_) ==
                        MatchEnd::HostGone) {
                        return;
                    }
                    game.devices.keyboard.keyDown[key::Esc] =
                        0;  // an Esc of the match does not leave
                    break;
                default:
                    break;
            }
            changed = true;
        }
        if (changed && session_->self() != net::kHostMachine) {  // welcomed
            followLobby(game, session_->lobby(), session_->self());
            drawLobby(game, session_->lobby(), session_->self(), kWaitingForHost);
        }
        waitSinceMark(game.devices, 0);
    }
}
