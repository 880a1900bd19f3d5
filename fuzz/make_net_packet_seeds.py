#!/usr/bin/env python3
"""Writes the seed corpus of net_packet_fuzz into fuzz/corpus/net_packet: one packet of
every message the machines of a network game exchange, written out byte by byte from the
format in net/protocol.h (magic "DV", a type byte, then the fields), and a few near misses.

Usage: make_net_packet_seeds.py <repository root>
"""
import os
import struct
import sys


def varint(value):
    out = bytearray()
    while value >= 0x80:
        out.append((value & 0x7F) | 0x80)
        value >>= 7
    out.append(value)
    return bytes(out)


def name(text):
    return bytes([len(text)]) + text.encode()


def packet(kind, body):
    return b"DV" + bytes([kind]) + body


LOBBY = bytes([0b1011]) + name("HOST") + name("ANN") + name("ZOE") + bytes([0, 1, 3, 0])
MATCH = (bytes([9]) + struct.pack("<I", 0xDEADBEEF) + bytes([0, 1, 2, 0, 4])
         + bytes([25]) + b"001001000" + bytes(16) + bytes([2, 1, 1, 0]) + bytes([0, 1, 3, 0])
         + bytes([0b1011, 17]) + struct.pack("<H", 250))
RECORDS = b"".join(varint(r) for r in [0, 0, 1, 0, 1 << 32, 2 << 30, 0, 1 << 18, 0, 0])
INPUTS = (bytes([9, 0b0101]) + varint(70000) + varint(5) + bytes([2])
          + bytes([0]) + varint(123456) + bytes([10]) + RECORDS
          + bytes([3]) + varint(7) + bytes([1]) + varint(2 << 18))

SEEDS = {
    "join": packet(1, struct.pack("<HI", 1, 42) + name("ANN")),
    "welcome": packet(2, bytes([3]) + LOBBY),
    "refusal": packet(3, bytes([2])),
    "lobby": packet(4, LOBBY),
    "match_start": packet(5, MATCH),
    "inputs": packet(6, INPUTS),
    "inputs_empty": packet(6, bytes([1, 0, 0])),
    "decision": packet(7, bytes([9]) + varint(4) + bytes([2])),
    "checksum": packet(8, bytes([9]) + varint(12) + bytes([2]) + varint(250)
                       + struct.pack("<Q", 0x0123456789ABCDEF)),
    "machine_gone": packet(9, bytes([9, 2]) + varint(777)),
    "stop_divergence": packet(10, bytes([9, 1, 1]) + varint(3)),
    "stop_host_left": packet(10, bytes([9, 2])),
    "leave": packet(11, b""),
    "long_varint": packet(9, bytes([9, 2, 0x80, 0x00])),
    "foreign": b"ENET" + bytes(12),
}


def main():
    folder = os.path.join(sys.argv[1], "fuzz", "corpus", "net_packet")
    os.makedirs(folder, exist_ok=True)
    for label, data in SEEDS.items():
        with open(os.path.join(folder, label + ".bin"), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
