#include "netplay/net_match.h"

#include "net/session.h"
#include "shell/game.h"

MatchEnd playHostMatch(Game&, net::NetSession&) { return MatchEnd::Ended; }
MatchEnd playJoinedMatch(Game&, net::NetSession&) { return MatchEnd::Ended; }
