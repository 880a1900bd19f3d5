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
// Milliseconds beyond the one-way latency: a lost packet's resend or two.
inline constexpr int kInputDelayMarginMs = 12;
// A packet repeats this many of the records it sent before (so a lost packet or two cost
// nothing), and everything a peer has not acknowledged once its acknowledgements have not
// moved for kStuckMs (the copies were lost too).
inline constexpr Frame kRepeatedFrames = 8;
inline constexpr int64_t kStuckMs = 20;

// The input delay for a host whose round trips to the other machines are `roundTripMs`, in
// milliseconds: the longest one-way path between two machines (through the host: half the sum
// of the two longest round trips), plus a margin for a lost packet or two.
int chooseInputDelayMs(std::span<const uint32_t> roundTripMs);
// That delay in frames of `framePeriodMs`, within kMinInputDelay..kMaxInputDelay.
int inputDelayFrames(int delayMs, double framePeriodMs);
// Both at once.
int chooseInputDelay(std::span<const uint32_t> roundTripMs, double framePeriodMs);

// The match keys' bits in FrameInput::changes that machine `machine` may set.
uint32_t machineKeyBits(uint8_t machine, const std::array<uint8_t, kNetSlots>& slotOwner);

// One frame as the match plays it.
struct NetFrame {
    Frame frame = 0;
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
    // The length of the frames the match plays now (its WAIT): the input delay becomes the
    // match's delay in milliseconds in frames of that length. Every machine calls it at the
    // same frame (WAIT changes in the frames all of them play); records are kept by frame
    // number, so a longer delay only gives more records ahead and a shorter one none for a
    // while.
    void setFramePeriod(double framePeriodMs);
    int inputDelay() const { return delay_; }
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
    Frame dropMachine(uint8_t machine);
    void machineGone(uint8_t machine, Frame fromFrame);
    // The other machines whose record for the next frame is missing: the match waits for them.
    MachineMask waitingFor() const;
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
    Frame nextFrame() const { return taken_; }
    bool inMatch(uint8_t machine) const;
    bool gone(uint8_t machine) const { return end_[machine] != kNoFrame; }

private:
    struct Stored {
        uint32_t sequence = UINT32_MAX;  // none
        Checkpoint at;
        uint64_t value = 0;
    };

    bool givesInput(uint8_t machine) const;
    bool sendsTo(uint8_t peer, uint8_t machine) const;
    bool receivesFrom(uint8_t peer, uint8_t machine) const;
    Frame keepFrom(uint8_t machine) const;
    void store(uint8_t machine, InputRecord record);
    void compare(const Stored& local, const Stored& remote);

    MatchStart match_;
    uint8_t self_ = 0;
    std::array<uint32_t, kMaxMachines> keyBits_{};
    std::array<Frame, kMaxMachines> held_{};  // frames before it are here
    std::array<Frame, kMaxMachines> end_{};   // the first frame without the machine
    // [peer][machine]: what the peer acknowledged, what it was sent, what it was told.
    std::array<std::array<Frame, kMaxMachines>, kMaxMachines> acks_{};
    std::array<std::array<Frame, kMaxMachines>, kMaxMachines> sent_{};
    std::array<std::array<Frame, kMaxMachines>, kMaxMachines> acksSent_{};
    std::array<std::array<int64_t, kMaxMachines>, kMaxMachines> ackMoved_{};  // when, last
    std::array<std::array<InputRecord, kRingFrames>, kMaxMachines> records_{};
    std::array<int64_t, kMaxMachines> lastHeard_{};
    Frame taken_ = 0;
    int delay_ = 1;  // frames

    uint32_t localChecksums_ = 0;
    std::array<Stored, kChecksumRing> local_{};
    std::array<std::array<Stored, kChecksumRing>, kMaxMachines> remote_{};
    bool diverged_ = false;
    Checkpoint divergence_;
};

}  // namespace net
