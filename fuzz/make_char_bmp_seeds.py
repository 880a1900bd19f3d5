#!/usr/bin/env python3
"""Writes the seed corpus of char_bmp_fuzz into fuzz/corpus/char_bmp: the game's own
char.bmp, whole and cut short at each part of the file; a small 8-bit bitmap with one
header field damaged at a time; and small bitmaps of other kinds (other bit depths, RLE
compression, top-down rows, short colour tables, padded rows, a larger information header).

Usage: make_char_bmp_seeds.py <repository root>
"""
import os
import struct
import sys


def bitmap(width, height, bits=8, colours=256, compression=0, info_size=40, pixels=None,
           used=None):
    """A bitmap file with a colour table of `colours` entries and the given header fields."""
    rows = abs(height)
    stride = ((width * bits + 31) // 32) * 4
    if pixels is None:
        pixels = bytes((x * 7 + y * 3) & 0xFF for y in range(rows) for x in range(stride))
    table = b"".join(bytes((i, 255 - i, (i * 5) & 0xFF, 0)) for i in range(colours))
    offset = 14 + info_size + len(table)
    info = struct.pack("<IiiHHIIiiII", info_size, width, height, 1, bits, compression,
                       len(pixels), 2835, 2835, colours if used is None else used, 0)
    info += bytes(info_size - len(info))
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + table + pixels


def patched(data, at, fmt, value):
    out = bytearray(data)
    struct.pack_into(fmt, out, at, value)
    return bytes(out)


def seeds(real):
    yield "real_char.bmp", real
    # The game's file cut short: inside the headers, the colour table, the pixels.
    for length in (0, 1, 2, 20, 53, 54, 600, 1077, 1078, 30000, len(real) - 1):
        yield f"real_cut_{length}.bmp", real[:length]
    # A small 8-bit bitmap laid out like the game's file, with one header field damaged.
    small = bitmap(6, 4)
    yield "damaged_signature.bmp", b"MB" + small[2:]
    yield "damaged_info_12.bmp", patched(small, 14, "<I", 12)
    yield "damaged_info_huge.bmp", patched(small, 14, "<I", 0xFFFFFFF0)
    yield "damaged_planes_0.bmp", patched(small, 26, "<H", 0)
    yield "damaged_width_0.bmp", patched(small, 18, "<i", 0)
    yield "damaged_width_negative.bmp", patched(small, 18, "<i", -6)
    yield "damaged_width_huge.bmp", patched(small, 18, "<i", 0x7FFFFFFF)
    yield "damaged_height_min.bmp", patched(small, 22, "<i", -0x80000000)
    yield "damaged_height_taller.bmp", patched(small, 22, "<i", 5)
    yield "damaged_colours_300.bmp", patched(small, 46, "<I", 300)
    yield "damaged_offset_past_end.bmp", patched(small, 10, "<I", 0xFFFFFFFF)
    yield "damaged_offset_in_table.bmp", patched(small, 10, "<I", 100)
    yield "damaged_rle8.bmp", patched(small, 30, "<I", 1)
    yield "damaged_bits_4.bmp", patched(small, 28, "<H", 4)
    # Small bitmaps of every kind the reader meets.
    yield "small_8bit.bmp", bitmap(5, 3)
    yield "small_8bit_topdown.bmp", bitmap(5, -3)
    yield "small_8bit_16_colours.bmp", bitmap(3, 2, colours=16)
    yield "small_8bit_used_0.bmp", bitmap(4, 4, used=0)
    yield "small_8bit_v5_header.bmp", bitmap(6, 2, info_size=124)
    yield "small_1bit.bmp", bitmap(9, 2, bits=1, colours=2)
    yield "small_4bit.bmp", bitmap(7, 2, bits=4, colours=16)
    yield "small_24bit.bmp", bitmap(3, 2, bits=24, colours=0)
    yield "small_32bit.bmp", bitmap(3, 2, bits=32, colours=0)
    rle = bytes([2, 1, 3, 7, 0, 0, 1, 9, 0, 1])  # two runs, end of line, end of bitmap
    yield "small_rle8.bmp", bitmap(5, 2, compression=1, pixels=rle)
    yield "small_rle4.bmp", bitmap(5, 2, bits=4, colours=16, compression=2, pixels=rle)


def main():
    root = sys.argv[1]
    real = open(os.path.join(root, "assets", "char.bmp"), "rb").read()
    out = os.path.join(root, "fuzz", "corpus", "char_bmp")
    os.makedirs(out, exist_ok=True)
    for name, data in seeds(real):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
