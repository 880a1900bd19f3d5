// The reader of "char.bmp": uncompressed 8-bit Windows bitmaps with a 256-colour (or
// shorter) table. It checks every header field it relies on against the size of the file,
// so a damaged or foreign file is turned away with a one-line reason instead of being read
// past its end.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

// Bitmaps wider or taller than this are refused as damaged; the game's own is 512 x 96.
inline constexpr int32_t kBmpMaxDimension = 16384;

struct BmpImage {
    int width = 0;
    int height = 0;
    // The colour table, flags 0; entries the file does not list are black.
    std::array<platform::PaletteEntry, 256> palette{};
    // width * height palette indices, top row first, no padding.
    std::vector<uint8_t> pixels;

    uint8_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Decodes a bitmap held in memory. False, with a one-line reason, when it is not an
// uncompressed 8-bit bitmap that fits in the given bytes.
bool decodeBmp(const uint8_t* data, size_t size, BmpImage& image, std::string& error);

// Reads and decodes a bitmap file; anything but a regular file is refused without blocking.
// The reason on failure starts with the file's name.
bool readBmpFile(const std::string& path, BmpImage& image, std::string& error);
