#include "net/lockstep.h"

#include <algorithm>
#include <cmath>

namespace net {
namespace {

constexpr uint32_t kSlotKeyBits = (1u << (2 * kKeysPerSlot)) - 1;
constexpr uint32_t kHostKeyBits = ~((1u << (2 * MatchKeyEsc)) - 1);  // Esc .. Enter
constexpr int kWindowHeaderBytes = 7;  // machine, first frame (at most 5), count

}  // namespace

int chooseInputDelayMs(std::span<const uint32_t> roundTripMs) {
    std::array<uint32_t, 2> longest{};
    for (uint32_t rtt : roundTripMs) {
        if (rtt > longest[0]) {
            longest[1] = longest[0];
            longest[0] = rtt;
        } else if (rtt > longest[1]) {
            longest[1] = rtt;
        }
    }
    const uint32_t oneWayMs = (longest[0] + longest[1] + 1) / 2;
    return int(std::min<uint32_t>(oneWayMs + kInputDelayMarginMs, kMaxInputDelayMs));
}

int inputDelayFrames(int delayMs, double framePeriodMs) {
    const int frames = int(std::ceil(delayMs / std::max(framePeriodMs, 1.0)));
    return std::clamp(frames, kMinInputDelay, kMaxInputDelay);
}

int chooseInputDelay(std::span<const uint32_t> roundTripMs, double framePeriodMs) {
    return inputDelayFrames(chooseInputDelayMs(roundTripMs), framePeriodMs);
}

uint32_t machineKeyBits(uint8_t machine, const std::array<uint8_t, kNetSlots>& slotOwner) {
    uint32_t bits = machine == kHostMachine ? kHostKeyBits : 0;
    for (int slot = 0; slot < kNetSlots; ++slot) {
        if (slotOwner[slot] == machine) bits |= kSlotKeyBits << (2 * slotKey(slot, 0));
    }
    return bits;
}

void Lockstep::start(const MatchStart& start, uint8_t self, int64_t nowMs) {
    match_ = start;
    self_ = self;
    taken_ = 0;
    delay_ = start.inputDelay;
    for (uint8_t m = 0; m < kMaxMachines; ++m) {
        keyBits_[m] = machineKeyBits(m, start.slotOwner);
        held_[m] = start.inputDelay;  // the frames before the delay carry no input
        end_[m] = kNoFrame;
        acks_[m].fill(start.inputDelay);
        sent_[m].fill(start.inputDelay);
        acksSent_[m].fill(start.inputDelay);
        ackMoved_[m].fill(nowMs);
        records_[m].fill(0);
        lastHeard_[m] = nowMs;
        remote_[m].fill(Stored{});
    }
    localChecksums_ = 0;
    local_.fill(Stored{});
    diverged_ = false;
}

bool Lockstep::inMatch(uint8_t machine) const {
    return machine < kMaxMachines && hasMachine(match_.machines, machine);
}

bool Lockstep::givesInput(uint8_t machine) const {
    return inMatch(machine) && keyBits_[machine] != 0;
}

// Whether this machine passes `machine`'s records to `peer`: the host passes every machine's
// to every other machine still in the match, the others pass their own to the host.
bool Lockstep::sendsTo(uint8_t peer, uint8_t machine) const {
    if (!inMatch(peer) || peer == self_ || gone(peer) || !givesInput(machine)) return false;
    return self_ == kHostMachine ? machine != peer : peer == kHostMachine && machine == self_;
}

// Whether `peer` passes `machine`'s records to this machine.
bool Lockstep::receivesFrom(uint8_t peer, uint8_t machine) const {
    if (!inMatch(peer) || peer == self_ || !givesInput(machine)) return false;
    return peer == kHostMachine ? machine != self_ : self_ == kHostMachine && machine == peer;
}

// The oldest record of `machine` still needed: by the match, or by a peer that lacks it.
Frame Lockstep::keepFrom(uint8_t machine) const {
    Frame from = taken_;
    for (uint8_t peer = 0; peer < kMaxMachines; ++peer) {
        if (sendsTo(peer, machine)) from = std::min(from, acks_[peer][machine]);
    }
    return from;
}

void Lockstep::store(uint8_t machine, InputRecord record) {
    records_[machine][held_[machine] % kRingFrames] = record;
    ++held_[machine];
}

bool Lockstep::wantsLocalInput() const {
    return givesInput(self_) && held_[self_] <= taken_ + Frame(delay_) &&
           held_[self_] < keepFrom(self_) + kRingFrames;
}

void Lockstep::setFramePeriod(double framePeriodMs) {
    delay_ = inputDelayFrames(match_.inputDelayMs, framePeriodMs);
}

void Lockstep::submitLocal(uint32_t changes, bool secondMark) {
    if (!wantsLocalInput()) return;
    // Only what can count is kept (and sent): takeFrame ignores the rest anyway.
    const bool marked = secondMark && self_ == kHostMachine;
    store(self_, (changes & keyBits_[self_]) | (marked ? kSecondMark : 0));
}

bool Lockstep::takeFrame(NetFrame& frame) {
    const Frame f = taken_;
    for (uint8_t m = 0; m < kMaxMachines; ++m) {
        if (givesInput(m) && f < end_[m] && f >= held_[m]) return false;
    }
    frame = NetFrame{};
    frame.frame = f;
    for (uint8_t m = 0; m < kMaxMachines; ++m) {
        if (!givesInput(m)) continue;
        if (f < end_[m]) {
            const InputRecord record = records_[m][f % kRingFrames];
            frame.input.changes |= uint32_t(record) & keyBits_[m];
            if (m == kHostMachine && (record & kSecondMark)) frame.input.secondMark = true;
        }
        if (f == end_[m]) {
            for (int slot = 0; slot < kNetSlots; ++slot) {
                if (match_.slotOwner[slot] == m) frame.input.toComputer |= uint8_t(1u << slot);
            }
        }
    }
    frame.checksumDue = (f + 1) % match_.checksumEvery == 0;
    ++taken_;
    return true;
}

void Lockstep::receiveInputs(uint8_t peer, const Inputs& inputs, int64_t nowMs) {
    if (!inMatch(peer) || peer == self_ || gone(peer)) return;
    heard(peer, nowMs);
    for (uint8_t m = 0; m < kMaxMachines; ++m) {
        const Frame ack = std::min(inputs.acks[m], held_[m]);
        if (hasMachine(inputs.ackMask, m) && sendsTo(peer, m) && ack > acks_[peer][m]) {
            acks_[peer][m] = ack;
            ackMoved_[peer][m] = nowMs;
        }
    }
    for (int w = 0; w < std::min<int>(inputs.windowCount, kMaxMachines); ++w) {
        const InputWindow& window = inputs.windows[w];
        const uint8_t m = window.machine;
        // The host hears each machine's own records; the others hear everyone's from the host.
        const bool fromOwner = self_ == kHostMachine ? m == peer : peer == kHostMachine;
        if (m >= kMaxMachines || m == self_ || !givesInput(m) || !fromOwner) continue;
        for (int i = 0; i < window.count; ++i) {
            const Frame f = window.first + Frame(i);
            if (f < held_[m]) continue;
            if (f != held_[m] || f >= end_[m] || f >= keepFrom(m) + kRingFrames) break;
            store(m, window.records[i]);  // takeFrame keeps only what `m` owns
        }
    }
}

bool Lockstep::inputsFor(uint8_t peer, Inputs& inputs, int byteBudget, int64_t nowMs) {
    if (!inMatch(peer) || peer == self_ || gone(peer)) return false;
    inputs.match = match_.match;
    inputs.ackMask = 0;
    inputs.windowCount = 0;
    for (uint8_t m = 0; m < kMaxMachines; ++m) {
        if (receivesFrom(peer, m)) {
            inputs.ackMask |= machineBit(m);
            inputs.acks[m] = acksSent_[peer][m] = held_[m];
        }
    }
    for (uint8_t m = 0; m < kMaxMachines; ++m) {
        Frame from = acks_[peer][m];
        if (nowMs - ackMoved_[peer][m] < kStuckMs) {
            const Frame repeatFrom = std::min(sent_[peer][m], held_[m]);
            from = std::max(from, repeatFrom - std::min(repeatFrom, kRepeatedFrames));
        }
        if (!sendsTo(peer, m) || from >= held_[m] || byteBudget < kWindowHeaderBytes + 5) continue;
        InputWindow& window = inputs.windows[inputs.windowCount++];
        window.machine = m;
        window.first = from;
        window.count = 0;
        byteBudget -= kWindowHeaderBytes;
        for (Frame f = from; f < held_[m] && window.count < kMaxWindowFrames; ++f) {
            const InputRecord record = records_[m][f % kRingFrames];
            if (recordBytes(record) > byteBudget) break;
            byteBudget -= recordBytes(record);
            window.records[window.count++] = record;
        }
        sent_[peer][m] = std::max(sent_[peer][m], window.first + window.count);
        if (window.count == 0) --inputs.windowCount;
    }
    return true;
}

bool Lockstep::newRecordsFor(uint8_t peer) const {
    for (uint8_t m = 0; m < kMaxMachines; ++m) {
        if (sendsTo(peer, m) && held_[m] > sent_[peer][m]) return true;
    }
    return false;
}

bool Lockstep::newAcksFor(uint8_t peer) const {
    for (uint8_t m = 0; m < kMaxMachines; ++m) {
        if (receivesFrom(peer, m) && held_[m] > acksSent_[peer][m]) return true;
    }
    return false;
}

bool Lockstep::peerLacksRecords(uint8_t peer) const {
    for (uint8_t m = 0; m < kMaxMachines; ++m) {
        if (sendsTo(peer, m) && acks_[peer][m] < held_[m]) return true;
    }
    return false;
}

bool Lockstep::peerHoldsPlayedFrames(uint8_t peer) const {
    for (uint8_t m = 0; m < kMaxMachines; ++m) {
        if (sendsTo(peer, m) && acks_[peer][m] < std::min(taken_, end_[m])) return false;
    }
    return true;
}

Frame Lockstep::dropMachine(uint8_t machine) {
    if (self_ != kHostMachine || !inMatch(machine) || machine == self_) return kNoFrame;
    if (!gone(machine)) machineGone(machine, givesInput(machine) ? held_[machine] : taken_);
    return end_[machine];
}

void Lockstep::machineGone(uint8_t machine, Frame fromFrame) {
    if (!inMatch(machine) || machine == self_ || gone(machine)) return;
    // Frames already played stay as they were, whatever a peer claims.
    end_[machine] = std::max(fromFrame, taken_);
    held_[machine] = std::min(held_[machine], end_[machine]);
}

MachineMask Lockstep::waitingFor() const {
    MachineMask waiting = 0;
    for (uint8_t m = 0; m < kMaxMachines; ++m) {
        if (m != self_ && givesInput(m) && taken_ < end_[m] && taken_ >= held_[m]) {
            waiting |= machineBit(m);
        }
    }
    return waiting;
}

MachineMask Lockstep::silentPeers(int64_t nowMs, int64_t limitMs) const {
    MachineMask silent = 0;
    for (uint8_t peer = 0; peer < kMaxMachines; ++peer) {
        const bool expected = self_ == kHostMachine ? peer != self_ : peer == kHostMachine;
        if (expected && inMatch(peer) && !gone(peer) && nowMs - lastHeard_[peer] >= limitMs) {
            silent |= machineBit(peer);
        }
    }
    return silent;
}

void Lockstep::heard(uint8_t machine, int64_t nowMs) {
    if (machine < kMaxMachines) lastHeard_[machine] = std::max(lastHeard_[machine], nowMs);
}

Checksum Lockstep::submitChecksum(Checkpoint at, uint64_t value) {
    const Stored local{localChecksums_++, at, value};
    local_[local.sequence % kChecksumRing] = local;
    for (const auto& ring : remote_) {
        const Stored& remote = ring[local.sequence % kChecksumRing];
        if (remote.sequence == local.sequence) compare(local, remote);
    }
    return Checksum{match_.match, local.sequence, at, value};
}

void Lockstep::receiveChecksum(uint8_t machine, const Checksum& checksum) {
    if (!inMatch(machine) || machine == self_) return;
    const Stored remote{checksum.sequence, checksum.at, checksum.value};
    const Stored& local = local_[remote.sequence % kChecksumRing];
    if (local.sequence == remote.sequence) {
        compare(local, remote);
    } else if (remote.sequence >= localChecksums_) {
        remote_[machine][remote.sequence % kChecksumRing] = remote;
    }
}

void Lockstep::compare(const Stored& local, const Stored& remote) {
    if (diverged_ || (local.at == remote.at && local.value == remote.value)) return;
    diverged_ = true;
    divergence_ = local.at;
}

bool Lockstep::diverged(Checkpoint& at) const {
    if (diverged_) at = divergence_;
    return diverged_;
}

}  // namespace net
