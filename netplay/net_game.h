// Network play in the program: the game this program hosts (`--host`) or joins (`--join`),
// over a NetSession. The host's title gives slots to the joined machines and tells of joins
// and leaves; a joined machine shows its lobby until the host starts a match; every machine
// then plays the match in lockstep (net_match.h) and comes back to its title or lobby.
//
// The rules of the game never see any of this: they read their input through the match's
// input source, slots handed to the computer included. Which machine plays a slot
// (Game::owners) is known to network play and to the title, which shows such rows as NET.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "menus/title_menu.h"
#include "net/session.h"
#include "netplay/net_match.h"

struct Game;

// A version string (the game's) as the network compares it: a join from another version of
// the game is refused.
uint32_t netGameVersion(const char* version);
// The name this machine shows the others: the host's name, in capitals.
std::string machineName();

// Back to a game on this machine alone after leaving a network game: no slot is another
// machine's, the pads play their own slots, the title tells of nothing.
void leaveNetworkPlay(Game& game);

class NetGame final : public HostedTitle {
public:
    // nullptr with `error` when the port cannot be opened or the address is unknown. Port 0
    // takes a free one (session().port() tells which).
    static std::unique_ptr<NetGame> host(uint16_t port, uint32_t gameVersion, std::string& error,
                                         const std::string& name = machineName());
    static std::unique_ptr<NetGame> join(const std::string& address, uint32_t gameVersion,
                                         std::string& error,
                                         const std::string& name = machineName());
    // Owns its session: it leaves when this is destroyed.
    explicit NetGame(std::unique_ptr<net::NetSession> session);

    bool hosting() const { return session_->isHost(); }
    net::NetSession& session() { return *session_; }

    // --- the host's title ---------------------------------------------------------------
    // Makes the title tell of joins and leaves (a notice each) while it waits for a key.
    void attachTitle(Game& game);
    // Enter on a player row: NON, MAN, COM, then NET for each joined machine in turn, NON...
    // A NET slot is MAN in the match, played by that machine; it stays MAN here when the
    // machine leaves.
    void cycleSlot(Game& game, int slot) override;
    // Whether a match would be a network one: another machine is in the lobby.
    bool othersJoined() const override;
    // START with others joined: the match with them.
    void playHostMatch(Game& game) override;
    // How the program plays a match once its input is chosen (runMatch without a recording
    // unless this is called).
    void setMatchRunner(MatchRunner run) { runMatch_ = run; }

    // --- a joined machine ---------------------------------------------------------------
    // The lobby until the session ends: refused, host unreachable or gone (told on the
    // screen), or Esc (leaving). The matches the host starts are played from here.
    void runLobby(Game& game);

    // The checksum of every round of the last match, as the machines compared them.
    const std::vector<uint64_t>& roundChecksums() const { return roundSums_; }

private:
    void noticeEvents(Game& game);
    void syncOwners(Game& game);

    std::unique_ptr<net::NetSession> session_;
    std::vector<uint64_t> roundSums_;
    MatchRunner runMatch_;
};
