// The game's side of the session: what the game's thread calls, each under the mutex that
// the network thread (session.cpp) takes per message.
#include <algorithm>

#include "net/session.h"

namespace net {

uint8_t NetSession::self() const {
    std::lock_guard lock(mutex_);
    return self_;
}

bool NetSession::pollEvent(NetEvent& event) {
    std::lock_guard lock(mutex_);
    if (eventCount_ == 0) return false;
    event = events_[eventHead_];
    eventHead_ = (eventHead_ + 1) % kEventRing;
    --eventCount_;
    return true;
}

Lobby NetSession::lobby() const {
    std::lock_guard lock(mutex_);
    return lobby_;
}

uint32_t NetSession::roundTripMs(uint8_t machine) const {
    std::lock_guard lock(mutex_);
    return machine < kMaxMachines ? roundTrips_[machine] : 0;
}

uint64_t NetSession::bytesSent() const {
    std::lock_guard lock(mutex_);
    return bytesSent_;
}

bool NetSession::giveSlot(int slot, uint8_t machine) {
    std::unique_lock lock(mutex_);
    if (!hosting_ || phase_ != Phase::Lobby || slot < 0 || slot >= kNetSlots ||
        machine >= kMaxMachines || !hasMachine(lobby_.machines, machine)) {
        return false;
    }
    lobby_.slotOwner[slot] = machine;
    queue(otherMachines(), lobby_, &lock);
    return !failed_;
}

bool NetSession::startMatch(const MatchSetup& setup, MatchStart& started) {
    std::unique_lock lock(mutex_);
    if (!hosting_ || phase_ != Phase::Lobby || setup.settings.size() > kMaxSettingsBytes)
        return false;
    MatchStart start;
    start.match = ++matchCount_;
    start.randomState = setup.randomState;
    start.frameCounters = setup.frameCounters;
    start.settingsLength = uint8_t(setup.settings.size());
    std::copy(setup.settings.begin(), setup.settings.end(), start.settings.begin());
    start.playerTypes = setup.playerTypes;
    start.slotOwner = lobby_.slotOwner;
    for (int slot = 0; slot < kNetSlots; ++slot) {
        if (start.slotOwner[slot] != kHostMachine) start.playerTypes[slot] = PlayerMan;
    }
    start.machines = lobby_.machines;
    std::array<uint32_t, kMaxMachines> trips{};
    for (uint8_t m = 1; m < kMaxMachines; ++m) {
        if (hasMachine(start.machines, m)) trips[m] = roundTrips_[m];
    }
    start.inputDelayMs = uint16_t(chooseInputDelayMs(trips));
    start.inputDelay = uint8_t(inputDelayFrames(start.inputDelayMs, setup.framePeriodMs));
    start.checksumEvery = setup.checksumEvery;
    Packet check;
    if (!encodeMessage(start, check)) return false;
    enterMatch(start, kHostMachine);
    queue(otherMachines(), start, &lock);
    started = start;
    return true;
}

bool NetSession::matchStart(MatchStart& started) const {
    std::lock_guard lock(mutex_);
    if (phase_ != Phase::Match) return false;
    started = lockstep_.match();
    return true;
}

bool NetSession::wantsLocalInput() const {
    std::lock_guard lock(mutex_);
    return phase_ == Phase::Match && lockstep_.wantsLocalInput();
}

void NetSession::submitLocal(uint32_t changes, bool secondAdvanced) {
    std::lock_guard lock(mutex_);
    if (phase_ == Phase::Match) lockstep_.submitLocal(changes, secondAdvanced);
}

void NetSession::setFramePeriod(double framePeriodMs) {
    std::lock_guard lock(mutex_);
    if (phase_ == Phase::Match) lockstep_.setFramePeriod(framePeriodMs);
}

int NetSession::inputDelay() const {
    std::lock_guard lock(mutex_);
    return lockstep_.inputDelay();
}

MachineMask NetSession::waitingFor(uint32_t& waitedMs) const {
    std::lock_guard lock(mutex_);
    MachineMask mask = 0;
    waitedMs = 0;
    const int64_t now = nowMs();
    for (uint8_t m = 0; m < kMaxMachines; ++m) {
        if (phase_ != Phase::Match || waitSince_[m] < 0) continue;
        mask |= machineBit(m);
        waitedMs = std::max(waitedMs, uint32_t(now - waitSince_[m]));
    }
    return mask;
}

void NetSession::dropWaitedMachines() {
    std::lock_guard lock(mutex_);
    if (hosting_ && phase_ == Phase::Match) dropRequested_ = lockstep_.waitingFor();
}

void NetSession::matchLeft() {
    std::lock_guard lock(mutex_);
    gameWaiting_ = false;
    if (phase_ == Phase::Match || !startPending_) return;
    startPending_ = false;
    if (phase_ == Phase::Lobby) beginMatch(pendingStart_);
}

FrameStatus NetSession::takeFrame(NetFrame& frame, int waitMs) {
    std::unique_lock lock(mutex_);
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        if (phase_ != Phase::Match) return FrameStatus::Stopped;
        if (lockstep_.takeFrame(frame)) {
            gameWaiting_ = false;
            return FrameStatus::Ready;
        }
        gameWaiting_ = true;
        if (changed_.wait_until(lock, until) == std::cv_status::timeout) {
            if (phase_ != Phase::Match) return FrameStatus::Stopped;
            if (!lockstep_.takeFrame(frame)) return FrameStatus::Waiting;
            gameWaiting_ = false;
            return FrameStatus::Ready;
        }
    }
}

void NetSession::submitChecksum(Checkpoint at, uint64_t value) {
    std::unique_lock lock(mutex_);
    if (phase_ == Phase::Match) {
        queue(otherMachines(), lockstep_.submitChecksum(at, value), &lock);
    }
}

void NetSession::sendDecision(Decision decision) {
    std::unique_lock lock(mutex_);
    if (!hosting_ || phase_ != Phase::Match) return;
    queue(otherMachines(), HostDecision{lockstep_.match().match, decisionsMade_++, decision},
          &lock);
    lastDecision_ = decision;
    // The match is over once every peer holds every record it needs to play to its end
    // (tick): until then the records keep flowing.
    if (decision == Decision::EndMatch && !ending_) {
        ending_ = true;
        endingSince_ = nowMs();
    }
}

FrameStatus NetSession::takeDecision(Decision& decision, int waitMs) {
    std::unique_lock lock(mutex_);
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        if (phase_ != Phase::Match) return FrameStatus::Stopped;
        if (decisionsTaken_ < decisionsMade_) {
            decision = decisions_[decisionsTaken_++ % kDecisionRing];
            if (decision == Decision::EndMatch) phase_ = Phase::Lobby;
            return FrameStatus::Ready;
        }
        if (changed_.wait_until(lock, until) == std::cv_status::timeout)
            return FrameStatus::Waiting;
    }
}

bool NetSession::failed() const {
    std::lock_guard lock(mutex_);
    return failed_;
}

bool NetSession::stopped(StopReason& reason, Checkpoint& at) const {
    std::lock_guard lock(mutex_);
    if (stopped_) {
        reason = stopReason_;
        at = stopAt_;
    }
    return stopped_;
}

}  // namespace net
