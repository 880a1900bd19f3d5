// Lockstep: the rules by which the machines of a network match play the same frames from
// the same inputs, as plain logic (no sockets, no clocks of its own), so that it can be
// driven and checked frame by frame.
//
// Machines form a star: every other machine talks to the host (machine 0) only, and the host
// passes each machine's inputs on to the others. A machine's record for frame F holds the
// key changes of the slots it owns (the host adds the match keys and the second-advance
// mark); the match plays F once it holds the record of every machine that gives input.
// The local record read while the match plays frame F belongs to frame F + inputDelay, so
// the other machines receive it while they play the frames in between; frames before
// inputDelay carry no input. Each machine keeps a ring of records per machine, from the
// oldest one a peer still has to acknowledge (or the match still has to play) on.
//
// Nothing here allocates: a match's whole state is fixed-size arrays.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "input/frame_input.h"
#include "net/protocol.h"

namespace net {

inline constexpr int kRingFrames = 1024;  // records kept per machine
inline constexpr int kChecksumRing = 64;  // checksums kept for comparison per machine
inline constexpr int kMinInputDelay = 2;
inline constexpr int kInputDelayMargin = 3;  // frames beyond the one-way latency
inline constexpr uint32_t kNoFrame = UINT32_MAX;
// A packet repeats this many of the records it sent before (so a lost packet or two cost
// nothing), and everything a peer has not acknowledged once its acknowledgements have not
// moved for kStuckMs (the copies were lost too).
inline constexpr uint32_t kRepeatedFrames = 8;
inline constexpr int64_t kStuckMs = 20;

// The input delay for a host whose round trips to the other machines are `roundTripMs`:
// enough frames of `framePeriodMs` to cover the longest one-way path between two machines
// (through the host: half the sum of the two longest round trips), plus a margin for a lost
// packet or two, within kMinInputDelay..kMaxInputDelay.
int chooseInputDelay(std::span<const uint32_t> roundTripMs, double framePeriodMs);

// The match keys' bits in FrameInput::changes that machine `machine` may set.
uint32_t machineKeyBits(uint8_t machine, const std::array<uint8_t, kNetSlots>& slotOwner);

// One frame as the match plays it.
struct NetFrame {
    uint32_t frame = 0;
    // The host's second mark, and in toComputer the slots of a machine gone from this frame on
    // (the computer plays them from here).
    FrameInput input;
    bool checksumDue = false;  // the match takes a frame checkpoint after playing this frame
};

class Lockstep {
public:
    // A fresh match as `start` describes it, seen from machine `self`, at time `nowMs`.
    void start(const MatchStart& start, uint8_t self, int64_t nowMs);

    // Local input: due once per played frame (for the frame inputDelay ahead of it).
    bool wantsLocalInput() const;
    void submitLocal(uint32_t changes, bool secondMark);
    // The next frame, when every record for it is here; false otherwise.
    bool takeFrame(NetFrame& frame);

    // What arrived from peer `peer`. Records are taken in frame order only (a gap waits for
    // the resend), from the machine they belong to (or the host); anything else is ignored.
    // Only the keys a machine owns ever reach a frame.
    void receiveInputs(uint8_t peer, const Inputs& inputs, int64_t nowMs);
    // What to send to `peer` at `nowMs`: the acknowledgements it needs and the records it
    // lacks (see kRepeatedFrames), at most `byteBudget` bytes of them. False when `peer` is
    // not a peer of this machine.
    bool inputsFor(uint8_t peer, Inputs& inputs, int byteBudget, int64_t nowMs);
    // Since the last inputsFor(peer): records it has not been sent yet are here; this
    // machine holds records it has not acknowledged to it yet.
    bool newRecordsFor(uint8_t peer) const;
    bool newAcksFor(uint8_t peer) const;
    // True when `peer` has not acknowledged records that are here (a resend is due).
    bool peerLacksRecords(uint8_t peer) const;
    // True when `peer` has acknowledged every record of the frames this machine has played
    // (it can play them too).
    bool peerHoldsPlayedFrames(uint8_t peer) const;

    // Machines that leave. On the host, dropMachine decides the first frame without the
    // machine (the frame after its last record here) and returns it; every machine then
    // applies machineGone with that frame, and the slots turn COM at it everywhere.
    uint32_t dropMachine(uint8_t machine);
    void machineGone(uint8_t machine, uint32_t fromFrame);
    // The peers this machine expects to hear from (the host: the others in the match; the
    // others: the host) that have been silent for `limitMs`.
    MachineMask silentPeers(int64_t nowMs, int64_t limitMs) const;
    // Anything valid from `machine` counts as hearing from it.
    void heard(uint8_t machine, int64_t nowMs);

    // Checksums: this machine's own, numbered 0, 1, ... in order, and those of a peer. Each
    // pair of equal number is compared once both are here; the first that differs is kept.
    // submitChecksum returns the message that tells the peers.
    Checksum submitChecksum(Checkpoint at, uint64_t value);
    void receiveChecksum(uint8_t machine, const Checksum& checksum);
    bool diverged(Checkpoint& at) const;

    uint8_t self() const { return self_; }
    const MatchStart& match() const { return match_; }
    uint32_t nextFrame() const { return taken_; }
    bool inMatch(uint8_t machine) const;
    bool gone(uint8_t machine) const { return end_[machine] != kNoFrame; }

private:
    struct Stored {
        uint32_t sequence = kNoFrame;
        Checkpoint at;
        uint64_t value = 0;
    };

    bool givesInput(uint8_t machine) const;
    bool sendsTo(uint8_t peer, uint8_t machine) const;
    bool receivesFrom(uint8_t peer, uint8_t machine) const;
    uint32_t keepFrom(uint8_t machine) const;
    void store(uint8_t machine, InputRecord record);
    void compare(const Stored& local, const Stored& remote);

    MatchStart match_;
    uint8_t self_ = 0;
    std::array<uint32_t, kMaxMachines> keyBits_{};
    std::array<uint32_t, kMaxMachines> held_{};  // frames before it are here
    std::array<uint32_t, kMaxMachines> end_{};   // the first frame without the machine
    // [peer][machine]: what the peer acknowledged, what it was sent, what it was told.
    std::array<std::array<uint32_t, kMaxMachines>, kMaxMachines> acks_{};
    std::array<std::array<uint32_t, kMaxMachines>, kMaxMachines> sent_{};
    std::array<std::array<uint32_t, kMaxMachines>, kMaxMachines> acksSent_{};
    std::array<std::array<int64_t, kMaxMachines>, kMaxMachines> ackMoved_{};  // when, last
    std::array<std::array<InputRecord, kRingFrames>, kMaxMachines> records_{};
    std::array<int64_t, kMaxMachines> lastHeard_{};
    uint32_t taken_ = 0;

    uint32_t localChecksums_ = 0;
    std::array<Stored, kChecksumRing> local_{};
    std::array<std::array<Stored, kChecksumRing>, kMaxMachines> remote_{};
    bool diverged_ = false;
    Checkpoint divergence_;
};

}  // namespace net
