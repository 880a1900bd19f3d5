// Machines of a network game in one process, and a match played on all of them at once:
// each machine on a thread of its own, as the game would play it (local keys from a seeded
// script, frames taken in lockstep, a checksum of what was played now and then).
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "net/session.h"
#include "tests/net/udp_relay.h"

namespace loopback {

// Waits until `done` holds, polling every 2 ms; throws after 10 s.
void waitFor(const std::function<bool()>& done);

// The game version of the machines gathered here.
constexpr uint32_t kGameVersion = 7;

// Polls `session` for its next event of one of `kinds`; throws after 10 s.
net::NetEvent awaitEvent(net::NetSession& session,
                         std::initializer_list<net::NetEvent::Kind> kinds);
// Joins the host at `port` as a machine of `gameVersion`, kept in `guest`; its first event of
// Welcomed, Refused and ConnectFailed.
net::NetEvent join(uint16_t port, std::unique_ptr<net::NetSession>& guest,
                   uint32_t gameVersion = kGameVersion);

struct Distance {
    int oneWayDelayMs = 0;  // 0 and no loss: the machines talk directly
    double lossRate = 0;
};

struct Machines {
    std::unique_ptr<UdpRelay> relay;                         // between the host and the others
    std::vector<std::unique_ptr<net::NetSession>> sessions;  // [0] hosts
};

// Hosts a game on a free port and joins `count - 1` machines to it; machine m is given
// slot m. Returns once every machine is welcomed and has seen every slot given. A control
// message finding the outbox full waits up to `outboxWaitMs` for room.
Machines gather(int count, Distance distance = {},
                uint32_t outboxWaitMs = net::SessionOptions{}.outboxWaitMs);
// The frames of the matches started here, as the game's WAIT 1 makes them.
constexpr double kFramePeriodMs = 4;
// The match the host starts here: frames of kFramePeriodMs, a checksum every 100 frames.
net::MatchSetup matchSetup();
// The host starts that match; returns once every machine has it.
net::MatchStart startMatch(Machines& machines);

struct Script {
    int frames = 1000;
    int quitter = -1;  // this machine stops after `quitAt` frames and calls `quit`
    int quitAt = 0;
    std::function<void(int machine)> quit = nullptr;
    double periodMs = 0;  // each frame paced to this length as the game paces it; 0: as fast
                          // as the lockstep lets each machine go
};

struct Played {
    std::vector<net::NetFrame> frames;
    std::vector<double> atMs;  // when each frame was taken, from the start of play
    long allocations = 0;      // made by the session while the machine played
};

// Plays the script on every machine at once; a machine ends after its frames, when its
// match stops, or when no frame came for 10 s.
std::vector<Played> play(Machines& machines, const Script& script);

// What the script presses on `machine` (all keys and the mark: the lockstep keeps only
// what the machine owns) while it reads the frame `frame`.
uint32_t scriptedChanges(int machine, uint32_t frame);
bool scriptedMark(uint32_t frame);
// The frames every machine must play while nobody leaves: each machine's own keys as the
// script pressed them inputDelay frames before, and the host's marks.
std::vector<FrameInput> expectedFrames(const net::MatchStart& start, int frames);

}  // namespace loopback
