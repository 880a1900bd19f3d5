// The session's network thread: what arrives, what is due to go out, the stalls, and the
// outbox that carries control messages from either thread. The game's calls are in
// session_game_side.cpp.
#include "net/session.h"

#include <algorithm>

#include "net/address.h"
#include "net/enet_link.h"

namespace net {
namespace {

constexpr uint32_t kServiceMs = 1;  // the network thread's longest sleep
// When a peer is sent inputs: new records at most this often (a few arrivals share a
// packet), acknowledgements alone or records it has not acknowledged this long after the
// last packet, and something at least this often.
constexpr int64_t kRecordGapMs = 2;
constexpr int64_t kAckGapMs = 16;
constexpr int64_t kResendMs = 8;
constexpr int64_t kHeartbeatMs = 50;
constexpr int64_t kGoodbyeMs = 300;  // how long leaving waits for the last packets
// After the host's EndMatch, how long records still go to a peer that has not acknowledged
// the frames played (its acknowledgement may never come: a machine that took the decision
// stops sending).
constexpr int64_t kEndLingerMs = 1000;
constexpr int kInputBudget = int(kMaxPacketBytes) - 32;  // records' share of a packet

NetEvent eventOf(NetEvent::Kind kind, uint8_t machine = 0, const Name& name = {}) {
    NetEvent event;
    event.kind = kind;
    event.machine = machine;
    event.name = name;
    return event;
}

}  // namespace

std::unique_ptr<NetSession> NetSession::host(const SessionOptions& options, std::string& error) {
    auto link = EnetLink::listen(options.port, kLinkPeers, LinkSettings{options.silenceMs}, error);
    if (!link) return nullptr;
    return std::unique_ptr<NetSession>(new NetSession(true, options, std::move(link)));
}

std::unique_ptr<NetSession> NetSession::join(const std::string& address,
                                             const SessionOptions& options, std::string& error) {
    std::string name;
    uint16_t port = 0;
    if (!parseAddress(address, name, port)) {
        error = "not an address: " + address;
        return nullptr;
    }
    auto link = EnetLink::connect(name, port, LinkSettings{options.silenceMs}, error);
    if (!link) return nullptr;
    return std::unique_ptr<NetSession>(new NetSession(false, options, std::move(link)));
}

NetSession::NetSession(bool hosting, const SessionOptions& options, std::unique_ptr<EnetLink> link)
    : hosting_(hosting), options_(options), link_(std::move(link)) {
    port_ = hosting ? link_->port() : 0;
    phase_ = hosting ? Phase::Lobby : Phase::Connecting;
    lobby_.names[kHostMachine] = makeName(options.name);
    peerOf_.fill(-1);
    machineOf_.fill(-1);
    waitSince_.fill(-1);
    thread_ = std::thread([this] { run(); });
}

NetSession::~NetSession() {
    quitting_ = true;
    thread_.join();
}

int64_t NetSession::nowMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 epoch_)
        .count();
}

// ---- The network thread ----------------------------------------------------------------

// Each turn: what arrived (at most kEventsPerTurn events, each read and decoded before the
// mutex is taken), then the tick that sends what is due, then the sends go out.
void NetSession::run() {
    Message message;
    while (!quitting_) {
        LinkEvent event;
        bool got = link_->service(event, kServiceMs);
        for (int handled = 0; got;) {
            const bool decoded = event.kind == LinkEvent::Kind::Received &&
                                 decodeMessage(event.data, event.size, message);
            {
                std::lock_guard lock(mutex_);
                handle(event, decoded ? &message : nullptr);
            }
            if (++handled == kEventsPerTurn) break;
            got = link_->service(event, 0);
        }
        {
            std::lock_guard lock(mutex_);
            tick();
            bytesSent_ = link_->bytesSent();
        }
        link_->flush();
        changed_.notify_all();
        outboxRoom_.notify_all();
    }
    goodbye();
}

void NetSession::handle(const LinkEvent& event, const Message* message) {
    const int peer = event.peer;
    if (peer < 0 || peer >= kLinkPeers) return;
    switch (event.kind) {
        case LinkEvent::Kind::Connected:
            if (!hosting_) {
                JoinRequest request;
                request.gameVersion = options_.gameVersion;
                request.name = makeName(options_.name);
                Packet packet;
                if (encodeMessage(request, packet)) link_->send(peer, packet, true);
            }
            return;
        case LinkEvent::Kind::Disconnected:
            if (!hosting_) {
                hostGone();
            } else if (machineOf_[peer] >= 0) {
                machineLeft(uint8_t(machineOf_[peer]));
            }
            return;
        case LinkEvent::Kind::Received:
            if (message && phase_ != Phase::Closed) {
                const int from = hosting_ ? machineOf_[peer] : kHostMachine;
                if (phase_ == Phase::Match && from >= 0) lockstep_.heard(uint8_t(from), nowMs());
                if (hosting_) {
                    handleHost(peer, *message);
                } else {
                    handleClient(*message);
                }
            }
            return;
    }
}

bool NetSession::currentMatch(uint8_t match) const {
    return phase_ == Phase::Match && match == lockstep_.match().match;
}

void NetSession::handleHost(int peer, const Message& message) {
    const int machine = machineOf_[peer];
    if (const auto* request = std::get_if<JoinRequest>(&message)) {
        if (machine < 0) join(peer, *request);
        return;
    }
    if (machine < 0) return;
    const uint8_t m = uint8_t(machine);
    if (const auto* inputs = std::get_if<Inputs>(&message)) {
        if (currentMatch(inputs->match)) lockstep_.receiveInputs(m, *inputs, nowMs());
    } else if (const auto* checksum = std::get_if<Checksum>(&message)) {
        if (currentMatch(checksum->match)) lockstep_.receiveChecksum(m, *checksum);
    } else if (std::holds_alternative<Leave>(message)) {
        machineLeft(m);
        link_->disconnect(peer);
    }
}

void NetSession::join(int peer, const JoinRequest& request) {
    int machine = -1;
    for (int m = 1; m < kMaxMachines && machine < 0; ++m) {
        if (!hasMachine(lobby_.machines, m)) machine = m;
    }
    Refusal refusal;
    refusal.hostVersion = options_.gameVersion;
    if (request.protocolVersion != kProtocolVersion ||
        request.gameVersion != options_.gameVersion) {
        refusal.reason = RefusalReason::OtherVersion;
    } else if (phase_ == Phase::Match) {
        refusal.reason = RefusalReason::MatchUnderWay;
    } else if (machine < 0) {
        refusal.reason = RefusalReason::GameFull;
    } else {
        const uint8_t m = uint8_t(machine);
        machineOf_[peer] = m;
        peerOf_[m] = peer;
        lobby_.machines |= machineBit(m);
        lobby_.names[m] = request.name;
        link_->admit(peer);
        send(m, Welcome{m, lobby_}, true);
        queue(otherMachines() & ~machineBit(m), lobby_);
        pushEvent(eventOf(NetEvent::Kind::MachineJoined, m, request.name));
        return;
    }
    // A machine that has not joined is sent no more than it sent: the link sees to that.
    Packet packet;
    if (encodeMessage(refusal, packet)) link_->send(peer, packet, true);
    link_->disconnect(peer);
}

// The host loses a machine: its slots go back to the host's title and, in a match, to the
// computer from the frame the host decides, on every machine.
void NetSession::machineLeft(uint8_t machine) {
    if (!hasMachine(lobby_.machines, machine)) return;
    const Name name = lobby_.names[machine];
    lobby_.machines &= MachineMask(~machineBit(machine));
    lobby_.names[machine] = Name{};
    for (uint8_t& owner : lobby_.slotOwner) {
        if (owner == machine) owner = kHostMachine;
    }
    if (peerOf_[machine] >= 0) machineOf_[peerOf_[machine]] = -1;
    peerOf_[machine] = -1;
    if (phase_ == Phase::Match && lockstep_.inMatch(machine) && !lockstep_.gone(machine)) {
        const uint32_t from = lockstep_.dropMachine(machine);
        queue(otherMachines(), MachineGone{lockstep_.match().match, machine, from});
    }
    queue(otherMachines(), lobby_);
    pushEvent(eventOf(NetEvent::Kind::MachineLeft, machine, name));
}

void NetSession::handleClient(const Message& message) {
    if (const auto* welcome = std::get_if<Welcome>(&message)) {
        if (phase_ != Phase::Connecting) return;
        self_ = welcome->yourMachine;
        lobby_ = welcome->lobby;
        peerOf_[kHostMachine] = 0;
        phase_ = Phase::Lobby;
        pushEvent(eventOf(NetEvent::Kind::Welcomed, self_));
    } else if (const auto* refusal = std::get_if<Refusal>(&message)) {
        if (phase_ != Phase::Connecting) return;
        phase_ = Phase::Closed;
        NetEvent event = eventOf(NetEvent::Kind::Refused);
        event.refusal = refusal->reason;
        event.hostVersion = refusal->hostVersion;
        pushEvent(event);
    } else if (const auto* lobby = std::get_if<Lobby>(&message)) {
        if (phase_ == Phase::Lobby || phase_ == Phase::Match) updateLobby(*lobby);
    } else if (const auto* start = std::get_if<MatchStart>(&message)) {
        if ((phase_ != Phase::Lobby && phase_ != Phase::Match) ||
            !hasMachine(start->machines, self_)) {
            return;
        }
        if (phase_ == Phase::Match || startPending_) {
            // The game still plays the last match (a quick rematch): it starts when that ends.
            if (start->match != lockstep_.match().match) {
                pendingStart_ = *start;
                startPending_ = true;
            }
            return;
        }
        beginMatch(*start);
    } else if (const auto* inputs = std::get_if<Inputs>(&message)) {
        if (!currentMatch(inputs->match)) return;
        lockstep_.receiveInputs(kHostMachine, *inputs, nowMs());
        if (inputs->decisions > 0) takeHostDecision(inputs->decisions - 1, inputs->lastDecision);
    } else if (const auto* decision = std::get_if<HostDecision>(&message)) {
        if (currentMatch(decision->match)) takeHostDecision(decision->index, decision->decision);
    } else if (const auto* checksum = std::get_if<Checksum>(&message)) {
        if (currentMatch(checksum->match)) lockstep_.receiveChecksum(kHostMachine, *checksum);
    } else if (const auto* gone = std::get_if<MachineGone>(&message)) {
        if (currentMatch(gone->match)) lockstep_.machineGone(gone->machine, gone->fromFrame);
    } else if (const auto* stop = std::get_if<Stop>(&message)) {
        if (currentMatch(stop->match)) stopMatch(stop->reason, stop->at);
    }
}

void NetSession::enterMatch(const MatchStart& start, uint8_t machine) {
    lockstep_.start(start, machine, nowMs());
    phase_ = Phase::Match;
    stopped_ = false;
    decisionsMade_ = decisionsTaken_ = 0;
    lastSent_.fill(0);
    gameWaiting_ = false;
    waitSince_.fill(-1);
}

void NetSession::beginMatch(const MatchStart& start) {
    enterMatch(start, self_);
    pushEvent(eventOf(NetEvent::Kind::MatchStarted));
}

// Decision `index` of the match, from its own message or repeated in the host's inputs.
void NetSession::takeHostDecision(uint32_t index, Decision decision) {
    if (index == decisionsMade_ && decisionsMade_ - decisionsTaken_ < kDecisionRing) {
        decisions_[decisionsMade_++ % kDecisionRing] = decision;
    }
}

// A joined machine's lobby, with the joins and leaves it shows.
void NetSession::updateLobby(const Lobby& lobby) {
    for (uint8_t m = 1; m < kMaxMachines; ++m) {
        if (hasMachine(lobby.machines, m) && !hasMachine(lobby_.machines, m)) {
            pushEvent(eventOf(NetEvent::Kind::MachineJoined, m, lobby.names[m]));
        } else if (!hasMachine(lobby.machines, m) && hasMachine(lobby_.machines, m)) {
            pushEvent(eventOf(NetEvent::Kind::MachineLeft, m, lobby_.names[m]));
        }
    }
    lobby_ = lobby;
    pushEvent(eventOf(NetEvent::Kind::LobbyChanged));
}

void NetSession::hostGone() {
    if (phase_ == Phase::Closed) return;
    if (phase_ == Phase::Connecting) {
        pushEvent(eventOf(NetEvent::Kind::ConnectFailed));
    } else {
        if (phase_ == Phase::Match) stopMatch(StopReason::HostLeft, {});
        pushEvent(eventOf(NetEvent::Kind::HostGone));
    }
    phase_ = Phase::Closed;
    link_->disconnectNow(0);
}

void NetSession::stopMatch(StopReason reason, Checkpoint at) {
    if (stopped_ || phase_ != Phase::Match) return;
    if (hosting_) queue(otherMachines(), Stop{lockstep_.match().match, reason, at});
    stopped_ = true;
    stopReason_ = reason;
    stopAt_ = at;
    phase_ = Phase::Lobby;
    NetEvent event = eventOf(NetEvent::Kind::MatchStopped);
    event.stop = reason;
    event.at = at;
    pushEvent(event);
}

void NetSession::tick() {
    if (failed_ && phase_ != Phase::Closed) fail();
    if (phase_ == Phase::Closed) return;
    if (phase_ == Phase::Match) checkStalls();
    if (phase_ == Phase::Match) {
        const MachineMask silent = lockstep_.silentPeers(nowMs(), options_.silenceMs);
        for (uint8_t m = 0; m < kMaxMachines; ++m) {
            if (!hasMachine(silent, m)) continue;
            if (!hosting_) {
                hostGone();
                return;
            }
            link_->disconnectNow(peerOf_[m]);
            machineLeft(m);
        }
        Checkpoint at;
        if (lockstep_.diverged(at)) stopMatch(StopReason::Divergence, at);
    }
    drainOutbox();
    if (phase_ == Phase::Match) sendInputs();
    if (ending_ && phase_ == Phase::Match &&
        (everyPeerHoldsPlayedFrames() || nowMs() - endingSince_ >= kEndLingerMs)) {
        phase_ = Phase::Lobby;
    }
    if (phase_ != Phase::Match) ending_ = false;
    for (uint8_t m = 0; m < kMaxMachines; ++m) {
        roundTrips_[m] = peerOf_[m] >= 0 ? link_->roundTripMs(peerOf_[m]) : 0;
    }
}

// A machine the game has waited for since stallMs is gone, like one that left: the host drops
// it (its slots turn COM at the frame the host decides, on every machine); a joined machine
// whose host stalls leaves the match. The host's Esc drops the waited-for ones at once.
void NetSession::checkStalls() {
    const int64_t now = nowMs();
    const MachineMask waiting = gameWaiting_ ? lockstep_.waitingFor() : 0;
    MachineMask drop = hosting_ ? MachineMask(dropRequested_ & waiting) : 0;
    dropRequested_ = 0;
    for (uint8_t m = 0; m < kMaxMachines; ++m) {
        if (!hasMachine(waiting, m)) {
            waitSince_[m] = -1;
            continue;
        }
        if (waitSince_[m] < 0) waitSince_[m] = now;
        if (now - waitSince_[m] >= int64_t(options_.stallMs)) drop |= machineBit(m);
    }
    for (uint8_t m = 0; m < kMaxMachines; ++m) {
        if (!hasMachine(drop, m)) continue;
        waitSince_[m] = -1;
        if (!hosting_) {
            if (m == kHostMachine) hostGone();
            continue;
        }
        if (peerOf_[m] >= 0) link_->disconnectNow(peerOf_[m]);
        machineLeft(m);
    }
}

bool NetSession::everyPeerHoldsPlayedFrames() const {
    for (uint8_t peer = 0; peer < kMaxMachines; ++peer) {
        if (peerOf_[peer] >= 0 && !lockstep_.peerHoldsPlayedFrames(peer)) return false;
    }
    return true;
}

void NetSession::sendInputs() {
    const int64_t now = nowMs();
    for (uint8_t peer = 0; peer < kMaxMachines; ++peer) {
        const int64_t quiet = now - lastSent_[peer];
        const bool due = (quiet >= kRecordGapMs && lockstep_.newRecordsFor(peer)) ||
                         (quiet >= kResendMs && lockstep_.peerLacksRecords(peer)) ||
                         (quiet >= kAckGapMs && lockstep_.newAcksFor(peer)) ||
                         quiet >= kHeartbeatMs;
        if (!due || peerOf_[peer] < 0) continue;
        Inputs& inputs = scratch_.emplace<Inputs>();
        if (!lockstep_.inputsFor(peer, inputs, kInputBudget, now)) continue;
        if (hosting_) {
            inputs.decisions = decisionsMade_;
            inputs.lastDecision = lastDecision_;
        }
        send(peer, scratch_, false);
        lastSent_[peer] = now;
    }
}

// Hands the outbox to ENet. A machine whose link refuses a control message has lost it: it
// is gone (the host's), or the host is (a joined machine's).
void NetSession::drainOutbox() {
    MachineMask broken = 0;
    for (; outboxCount_ > 0; --outboxCount_) {
        const Outgoing& out = outbox_[outboxHead_];
        for (uint8_t m = 0; m < kMaxMachines; ++m) {
            if (hasMachine(out.to, m) && peerOf_[m] >= 0 &&
                !link_->send(peerOf_[m], out.packet, true)) {
                broken |= machineBit(m);
            }
        }
        outboxHead_ = (outboxHead_ + 1) % kOutboxSize;
    }
    for (uint8_t m = 0; m < kMaxMachines && broken; ++m) {
        if (!hasMachine(broken, m)) continue;
        if (!hosting_) {
            hostGone();
            return;
        }
        const int peer = peerOf_[m];
        machineLeft(m);
        if (peer >= 0) link_->disconnectNow(peer);
    }
}

// The outbox could not keep up: the session ends on this machine, and with it on the others
// (their links are cut). Nothing that waited in the outbox is sent.
void NetSession::fail() {
    outboxCount_ = 0;
    for (int peer = 0; peer < kLinkPeers; ++peer) link_->disconnectNow(peer);
    if (phase_ == Phase::Match) {
        stopped_ = true;
        stopReason_ = StopReason::HostLeft;
        stopAt_ = {};
    }
    phase_ = Phase::Closed;
    lobby_.machines = machineBit(self_);
    peerOf_.fill(-1);
    machineOf_.fill(-1);
    pushEvent(eventOf(NetEvent::Kind::Failed));
}

void NetSession::goodbye() {
    {
        std::lock_guard lock(mutex_);
        if (hosting_ && phase_ == Phase::Match) stopMatch(StopReason::HostLeft, {});
        if (!hosting_ && phase_ != Phase::Connecting && phase_ != Phase::Closed) {
            queue(machineBit(kHostMachine), Leave{});
        }
        drainOutbox();
        for (int peer = 0; peer < kLinkPeers; ++peer) link_->disconnect(peer);
        phase_ = Phase::Closed;
    }
    LinkEvent event;
    const int64_t until = nowMs() + kGoodbyeMs;
    while (link_->anyConnected() && nowMs() < until) link_->service(event, kServiceMs);
}

// Control messages go out in the order they were made, from either thread, and none is
// dropped. The network thread empties the outbox every millisecond, and at once when it
// finds it full; the game's side (`gameSide` holds its lock) waits for room up to
// outboxWaitMs, and then the session fails.
void NetSession::queue(MachineMask to, const Message& message,
                       std::unique_lock<std::mutex>* gameSide) {
    if (to == 0 || failed_ || phase_ == Phase::Closed) return;
    if (outboxCount_ == kOutboxSize) {
        if (!gameSide) {
            drainOutbox();
        } else {
            outboxRoom_.wait_for(*gameSide, std::chrono::milliseconds(options_.outboxWaitMs),
                                 [&] { return outboxCount_ < kOutboxSize || failed_; });
        }
        if (outboxCount_ == kOutboxSize) {
            failed_ = true;
            return;
        }
    }
    Outgoing& out = outbox_[(outboxHead_ + outboxCount_) % kOutboxSize];
    if (!encodeMessage(message, out.packet)) return;  // every message made here encodes
    out.to = to;
    ++outboxCount_;
}

void NetSession::send(uint8_t machine, const Message& message, bool reliable) {
    Packet packet;
    if (peerOf_[machine] >= 0 && encodeMessage(message, packet)) {
        link_->send(peerOf_[machine], packet, reliable);
    }
}

void NetSession::pushEvent(const NetEvent& event) {
    // One unread LobbyChanged stands for any number (lobby() is the latest): a burst of
    // lobbies never crowds out the events after it.
    if (event.kind == NetEvent::Kind::LobbyChanged) {
        for (int i = 0; i < eventCount_; ++i) {
            if (events_[(eventHead_ + i) % kEventRing].kind == event.kind) return;
        }
    }
    if (eventCount_ == kEventRing) return;  // the game has stopped looking; keep the oldest
    events_[(eventHead_ + eventCount_++) % kEventRing] = event;
}

// The machines this one sends control messages to: the host's joined machines (those in
// the running match, during one), or the host.
MachineMask NetSession::otherMachines() const {
    if (!hosting_) return machineBit(kHostMachine);
    MachineMask mask = lobby_.machines & MachineMask(~machineBit(kHostMachine));
    if (phase_ == Phase::Match) {
        for (uint8_t m = 1; m < kMaxMachines; ++m) {
            if (!lockstep_.inMatch(m) || lockstep_.gone(m)) mask &= MachineMask(~machineBit(m));
        }
    }
    return mask;
}

}  // namespace net
