// Network play for the game: hosting or joining a game, its lobby, and the lockstep of a
// match, over ENet. The game includes this header only; ENet stays inside net/.
//
// Machines. The host (machine 0) listens on a UDP port (kDefaultPort unless told otherwise)
// and takes up to three other machines (1..3); each of them talks to the host only. A join
// from another version of the game, to a full game or while a match is under way is
// refused with a reason the joining side shows. On its title the host gives slots to
// machines; a match starts with everything the match is a function of (MatchStart), and
// from then on lockstep.h's rules apply: every machine plays every frame from the same
// inputs, the host alone decides what is not a player's key.
//
// Threads. A network thread owns the ENet link and services it all the time (waking at
// least every millisecond), so acknowledgements, resends and pings flow even while the game
// sits on a screen or in an animation. The game's thread never touches ENet: the methods
// below take one mutex for a few microseconds and work on fixed-size state (the lockstep,
// a ring of events, a ring of outgoing control packets), so nothing is allocated on the
// game's side while a round runs. The network thread sends what the game left at its next
// turn, and wakes a takeFrame or takeDecision that waits. It reads and decodes what arrives
// without the mutex and takes it for one message at a time, a bounded number of them per
// turn, so that a flood of packets neither keeps the game waiting for the mutex nor holds
// up what goes out. No control message is dropped: when the outbox is full the game's side
// waits for room (outboxWaitMs), and when there is still none the session ends (Failed).
//
// A match, on every machine, for every frame the match reads:
//     NetFrame frame;
//     FrameStatus status;
//     do {
//         if (session.wantsLocalInput()) session.submitLocal(changesOfMyKeys, secondAdvanced);
//         status = session.takeFrame(frame, 1);   // Waiting: keep the window alive, go on
//     } while (status == FrameStatus::Waiting);
//     play frame.input (the slots in its toComputer are the computer's from this frame on);
//     if (frame.checksumDue) session.submitChecksum({CheckpointKind::Frame, frame.frame}, sum);
// (Local input is offered while waiting too: it is due once per played frame, as soon as
// the peers have acknowledged enough to make room for it.)
// After every round: submitChecksum({CheckpointKind::Round, round}, sum). On the score
// table the host calls sendDecision and the others takeDecision. Stopped means the match is
// over for this machine (stopped() says why; EndMatch ends it normally).
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "net/lockstep.h"
#include "net/protocol.h"

namespace net {

class EnetLink;
struct LinkEvent;

enum class FrameStatus { Ready, Waiting, Stopped };

struct NetEvent {
    enum class Kind : uint8_t {
        Welcomed,       // joined: self() and lobby() are known
        Refused,        // the host refused the join (refusal); the session is over
        ConnectFailed,  // the host could not be reached; the session is over
        MachineJoined,  // machine, name
        MachineLeft,    // machine, name
        LobbyChanged,   // lobby() changed (slots given)
        MatchStarted,   // a joined machine: matchStart() holds the match
        MatchStopped,   // stop (and at, for a divergence)
        HostGone,       // the host left or stopped answering; the session is over
        Failed,         // control messages piled up beyond the outbox; the session is over
    };
    Kind kind = Kind::LobbyChanged;
    uint8_t machine = 0;
    Name name;
    RefusalReason refusal = RefusalReason::OtherVersion;
    uint32_t hostVersion = 0;  // Refused: the host's game version
    StopReason stop = StopReason::HostLeft;
    Checkpoint at;
};

struct SessionOptions {
    uint32_t gameVersion = 0;  // joins are refused between different versions
    std::string name;          // shown to the others
    uint16_t port = kDefaultPort;
    uint32_t silenceMs = 3000;  // a machine silent this long has left
    // A machine the match has waited for this long (it answers but does not advance: its game
    // hangs, or its person suspended it) has left too.
    uint32_t stallMs = 3000;
    // How long the game's side waits for room when the outbox of control messages is full;
    // then the session ends (Failed).
    uint32_t outboxWaitMs = 1000;
};

// What the host's game gives for a match; the session adds the machines and the delay.
struct MatchSetup {
    uint32_t randomState = 0;
    std::array<int32_t, kFrameCounterCount> frameCounters{};
    std::string_view settings;                    // the settings file's bytes
    std::array<int8_t, kNetSlots> playerTypes{};  // slots given to machines are MAN
    double framePeriodMs = 4;
    uint16_t checksumEvery = 250;
};

class NetSession {
public:
    // nullptr and `error` when the port cannot be opened or the address is unknown.
    static std::unique_ptr<NetSession> host(const SessionOptions& options, std::string& error);
    static std::unique_ptr<NetSession> join(const std::string& address,
                                            const SessionOptions& options, std::string& error);
    // Leaves politely: the host ends a running match on every machine.
    ~NetSession();
    NetSession(const NetSession&) = delete;
    NetSession& operator=(const NetSession&) = delete;

    bool isHost() const { return hosting_; }
    uint32_t gameVersion() const { return options_.gameVersion; }
    uint8_t self() const;
    uint16_t port() const { return port_; }
    bool pollEvent(NetEvent& event);
    Lobby lobby() const;
    uint32_t roundTripMs(uint8_t machine) const;  // host: to that machine; others: to the host
    uint64_t bytesSent() const;                   // UDP payload bytes, ENet's headers included

    // The host's title: gives `slot` to `machine` (0: back to the host's own).
    bool giveSlot(int slot, uint8_t machine);
    // The host starts a match with the lobby's machines; false outside the lobby.
    bool startMatch(const MatchSetup& setup, MatchStart& started);
    // A joined machine: the match the host started.
    bool matchStart(MatchStart& started) const;

    bool wantsLocalInput() const;
    void submitLocal(uint32_t changes, bool secondAdvanced = false);
    // The length of the frames the match plays from the next one on (its WAIT); every machine
    // tells it at the same frame. The input delay stays the same in milliseconds.
    void setFramePeriod(double framePeriodMs);
    int inputDelay() const;  // frames, now
    // Ready fills `frame`; Waiting after up to `waitMs` without it; Stopped when no match runs.
    FrameStatus takeFrame(NetFrame& frame, int waitMs = 0);
    void submitChecksum(Checkpoint at, uint64_t value);

    // The score table's choice before each round: the host sends, the others take. After
    // the host's EndMatch the match goes on for the network thread until every peer has
    // acknowledged the records of the frames played (at most a second): startMatch and
    // giveSlot wait for that.
    void sendDecision(Decision decision);
    FrameStatus takeDecision(Decision& decision, int waitMs = 0);
    bool stopped(StopReason& reason, Checkpoint& at) const;
    // The session ended because its control messages could not be sent (NetEvent::Failed).
    bool failed() const;
    // The game is back from a match (ended or stopped): a match the host started meanwhile
    // begins now (MatchStarted), never inside the one the game was still playing.
    void matchLeft();

    // The machines whose records the match has waited for since the game last got a frame,
    // and how long the longest wait is. After SessionOptions::stallMs such a machine is gone
    // (the host drops it; a joined machine waiting for the host's own records leaves).
    MachineMask waitingFor(uint32_t& waitedMs) const;
    // The host: drops the machines the match waits for now, at once.
    void dropWaitedMachines();

private:
    enum class Phase { Connecting, Lobby, Match, Closed };
    // Connection places: the machines, and room for pending connections beside them (the
    // link drops those that do not join; see enet_link.h).
    static constexpr int kLinkPeers = kMaxMachines + 12;
    static constexpr int kOutboxSize = 64;
    static constexpr int kEventsPerTurn = 32;  // incoming events handled between two ticks
    static constexpr int kEventRing = 32;
    static constexpr int kDecisionRing = 8;

    struct Outgoing {
        MachineMask to = 0;
        Packet packet;
    };

    NetSession(bool hosting, const SessionOptions& options, std::unique_ptr<EnetLink> link);
    void run();
    int64_t nowMs() const;
    void handle(const LinkEvent& event, const Message* message);
    void handleHost(int peer, const Message& message);
    void handleClient(const Message& message);
    void join(int peer, const JoinRequest& request);
    void machineLeft(uint8_t machine);
    void updateLobby(const Lobby& lobby);
    void hostGone();
    void stopMatch(StopReason reason, Checkpoint at);
    void tick();
    void checkStalls();
    // The match's lockstep and this session's account of it, afresh; `machine` is this one.
    void enterMatch(const MatchStart& start, uint8_t machine);
    void beginMatch(const MatchStart& start);
    void takeHostDecision(uint32_t index, Decision decision);
    void sendInputs();
    bool everyPeerHoldsPlayedFrames() const;
    void drainOutbox();
    void fail();
    void goodbye();
    void queue(MachineMask to, const Message& message,
               std::unique_lock<std::mutex>* gameSide = nullptr);
    void send(uint8_t machine, const Message& message, bool reliable);
    void pushEvent(const NetEvent& event);
    MachineMask otherMachines() const;
    bool currentMatch(uint8_t match) const;

    const bool hosting_;
    const SessionOptions options_;
    std::unique_ptr<EnetLink> link_;  // the network thread's alone once it runs
    uint16_t port_ = 0;
    const std::chrono::steady_clock::time_point epoch_ = std::chrono::steady_clock::now();

    mutable std::mutex mutex_;  // guards everything below
    std::condition_variable changed_;
    std::condition_variable outboxRoom_;
    Phase phase_;
    uint8_t self_ = kHostMachine;
    Lobby lobby_;
    std::array<int, kMaxMachines> peerOf_{};
    std::array<int, kLinkPeers> machineOf_{};
    std::array<uint32_t, kMaxMachines> roundTrips_{};
    uint64_t bytesSent_ = 0;

    Lockstep lockstep_;
    uint8_t matchCount_ = 0;
    bool stopped_ = false;
    bool failed_ = false;
    bool ending_ = false;  // the host: EndMatch sent, records still owed to a peer
    int64_t endingSince_ = 0;
    StopReason stopReason_ = StopReason::HostLeft;
    Checkpoint stopAt_;
    std::array<Decision, kDecisionRing> decisions_{};
    uint32_t decisionsMade_ = 0;  // host: sent; others: received
    uint32_t decisionsTaken_ = 0;
    std::array<int64_t, kMaxMachines> lastSent_{};
    Decision lastDecision_ = Decision::NextRound;  // host: the last one sent
    bool gameWaiting_ = false;                     // the game's last takeFrame got none
    std::array<int64_t, kMaxMachines> waitSince_{};  // -1: not waited for
    MachineMask dropRequested_ = 0;
    bool startPending_ = false;  // a joined machine: the host's next match, once the game is back
    MatchStart pendingStart_;
    Message scratch_;  // the network thread's, for what it sends

    std::array<Outgoing, kOutboxSize> outbox_{};
    int outboxHead_ = 0;
    int outboxCount_ = 0;
    std::array<NetEvent, kEventRing> events_{};
    int eventHead_ = 0;
    int eventCount_ = 0;

    std::atomic<bool> quitting_{false};
    std::thread thread_;
};

}  // namespace net
