// A match played in lockstep with the other machines of a network game. The host starts it
// from its title with everything the match is a function of; a joined machine applies that
// and plays the same match, showing every screen the host shows.
#pragma once

#include <cstdint>
#include <vector>

namespace net {
class NetSession;
}
struct Game;
class MatchInput;

// How the program plays a match once its input is chosen (runMatch and a recording).
using MatchRunner = void (*)(Game& game, MatchInput& input);

enum class MatchEnd {
    Ended,     // Esc on the host's score table, as a match always ends
    Stopped,   // the machines' checksums differed: told on every machine
    HostGone,  // a joined machine lost the host: told; the session is over
};

// The host: starts the match with the lobby's machines and plays it. `roundSums` gets the
// checksum of every round played, as every machine compared it.
// `run` plays the match on the network's input.
MatchEnd playHostMatch(Game& game, net::NetSession& session, std::vector<uint64_t>& roundSums,
                       MatchRunner run);
// A joined machine: plays the match the host started (session.matchStart) and gives its
// own settings and player types back afterwards.
MatchEnd playJoinedMatch(Game& game, net::NetSession& session, std::vector<uint64_t>& roundSums,
                         MatchRunner run);
