// Feeds any bytes to the packet decoder as a machine of a network game receives them: it
// must not crash or read out of bounds, and a packet it takes must encode back to exactly
// its bytes. What it takes then goes to the lockstep of a running match, on the host and on
// a joined machine, which must stay sound: every frame it can play is played, and what it
// would send back always encodes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "net/lockstep.h"
#include "net/protocol.h"

namespace {

net::MatchStart defaultMatch() {
    net::MatchStart start;
    start.machines = 0b1111;
    start.slotOwner = {0, 1, 2, 2};
    start.playerTypes = {1, 1, 1, 1};
    start.inputDelay = 3;
    start.checksumEvery = net::kMinChecksumEvery;
    return start;
}

// Plays what it can and checks that every packet for a peer encodes.
void exercise(net::Lockstep& machine) {
    machine.submitLocal(0x5555u, true);
    net::NetFrame frame;
    for (int i = 0; i < 2 * net::kRingFrames && machine.takeFrame(frame); ++i) {
    }
    for (uint8_t peer = 0; peer < net::kMaxMachines; ++peer) {
        net::Inputs inputs;
        net::Packet packet;
        if (machine.inputsFor(peer, inputs, int(net::kMaxPacketBytes) - 32, 1) &&
            !net::encodeMessage(inputs, packet)) {
            std::abort();
        }
    }
}

net::Lockstep host, guest;  // large: kept out of the stack

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    net::Message message;
    if (!net::decodeMessage(data, size, message)) return 0;
    net::Packet packet;
    if (!net::encodeMessage(message, packet) || packet.size != size ||
        !std::equal(data, data + size, packet.bytes.begin())) {
        std::abort();
    }

    const auto* start = std::get_if<net::MatchStart>(&message);
    const net::MatchStart match = start ? *start : defaultMatch();
    uint8_t joined = 1;
    while (joined < net::kMaxMachines - 1 && !net::hasMachine(match.machines, joined)) ++joined;
    host.start(match, net::kHostMachine, 0);
    guest.start(match, joined, 0);
    const uint8_t sender = uint8_t(size % net::kMaxMachines);
    if (const auto* inputs = std::get_if<net::Inputs>(&message)) {
        host.receiveInputs(sender, *inputs, 1);
        guest.receiveInputs(net::kHostMachine, *inputs, 1);
    } else if (const auto* checksum = std::get_if<net::Checksum>(&message)) {
        host.receiveChecksum(sender, *checksum);
        guest.receiveChecksum(net::kHostMachine, *checksum);
    } else if (const auto* gone = std::get_if<net::MachineGone>(&message)) {
        host.machineGone(gone->machine, gone->fromFrame);
        guest.machineGone(gone->machine, gone->fromFrame);
    }
    exercise(host);
    exercise(guest);
    return 0;
}
