// Reading "char.bmp": accepted layouts keep every index and colour; damaged files are refused.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "display/bmp_reader.h"
#include "tests/display/display_test_helpers.h"

namespace display_test {

using Bytes = std::vector<uint8_t>;

Bytes patched(Bytes bytes, size_t at, uint32_t value) {  // a 32-bit little-endian value at `at`
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
    return bytes;
}

// A valid 8-bit bitmap (top-down if height < 0) of patternAt; colour i is (i ^ 0x5A, 255 - i, i).
// `colours` entries (0: 256) follow a header of infoSize; rows are padded with 0xCC.
Bytes makeBmp(int width, int height, uint32_t colours = 0, uint32_t infoSize = 40) {
    const size_t table = 14 + infoSize, pixels = table + 4 * (colours ? colours : 256);
    const size_t stride = (width + 3) & ~3, rows = height < 0 ? -height : height;
    Bytes bytes(pixels + stride * rows, 0xCC);
    std::fill(bytes.begin(), bytes.begin() + table, 0);
    bytes[0] = 'B', bytes[1] = 'M', bytes[26] = 1, bytes[28] = 8;  // planes 1, 8 bits
    for (const auto& [at, value] : {std::pair<size_t, uint32_t>{10, pixels}, {14, infoSize},
                                    {18, width}, {22, height}, {46, colours}}) {
        bytes = patched(std::move(bytes), at, value);
    }
    for (uint32_t i = 0; i < (colours ? colours : 256); ++i) {
        const uint32_t colour = i | (255 - i) << 8 | (i ^ 0x5A) << 16 | 0xEEu << 24;
        bytes = patched(std::move(bytes), table + 4 * i, colour);
    }
    for (size_t i = 0; i < rows * width; ++i) {  // pixel i of the picture, top row first
        const size_t x = i % width, y = i / width, row = height < 0 ? y : rows - 1 - y;
        bytes[pixels + row * stride + x] = uint8_t(patternAt(int(x), int(y)));
    }
    return bytes;
}

// The reader keeps every index and colour of bottom-up, top-down, padded rows, short tables
// and larger headers, and refuses damaged files and every prefix with a one-line reason.
TEST(BmpReader, AcceptsEightBitLayoutsAndRefusesDamage) {
    const Bytes valid = makeBmp(5, 3);
    const std::pair<Bytes, std::string> files[] = {  // a file, and its reason for refusal
        {valid, ""}, {makeBmp(8, -3), ""}, {makeBmp(5, 3, 2), ""}, {makeBmp(5, 3, 0, 124), ""},
        {patched(valid, 0, 0x4D41), "signature"},   {patched(valid, 28, 24), "bit depth 24"},
        {patched(valid, 30, 1), "compression"},     {patched(valid, 14, 12), "header"},
        {patched(valid, 46, 300), "colour table"},  {patched(valid, 18, 100000), "dimensions"},
        {patched(valid, 18, 0xFFFFFFFBu), "dimensions"}, {patched(valid, 22, 0), "dimensions"},
        {patched(valid, 22, 0x80000000u), "dimensions"}, {patched(valid, 10, 100), "overlaps"},
        {patched(valid, 14, 0xFFFFFFF0u), "truncated"},  {patched(valid, 10, ~0u), "truncated"},
        {patched(patched(valid, 18, 16000), 22, 16000), "truncated"},
        {Bytes(valid.begin(), valid.end() - 1), "truncated"},
    };
    for (const auto& [bytes, reason] : files) {
        BmpImage image;
        std::string error;
        ASSERT_EQ(decodeBmp(bytes.data(), bytes.size(), image, error), reason.empty()) << reason;
        EXPECT_NE(error.find(reason), std::string::npos) << error;
        if (reason.empty()) {
            EXPECT_EQ(image.height, 3);
            for (int i = 0; i < static_cast<int>(image.pixels.size()); ++i) {
                EXPECT_EQ(image.pixels[i], patternAt(i % image.width, i / image.width)) << i;
            }
            EXPECT_EQ(rgbFlags(image.palette[1]), (std::vector<int>{1 ^ 0x5A, 254, 1, 0}));
            EXPECT_EQ(image.palette[7].green, bytes[46] == 2 ? 0 : 248);  // short table: black
        }
    }
    BmpImage image;
    std::string error;
    for (size_t length = 0; length < valid.size(); ++length) {
        const Bytes prefix(valid.begin(), valid.begin() + static_cast<long>(length));
        EXPECT_FALSE(decodeBmp(prefix.data(), length, image, error)) << length;
    }
}

// LoadPalette fills both palettes; LoadBitmap keeps every index or refuses a small image.
TEST(CharBitmap, LoadsPaletteAndPixelsFromTheFile) {
    auto screen = makeScreen();
    const Bytes bytes = patched(makeBmp(512, 96), 54, 10 | 20 << 8 | 30 << 16);  // entry 0: b, g, r
    const std::string path = ::testing::TempDir() + "char_" + std::to_string(getpid()) + ".bmp";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ASSERT_TRUE(screen->LoadPalette(path));
    EXPECT_EQ(rgbFlags(screen->BasePalette[0]), (std::vector<int>{30, 20, 10, 0}));
    EXPECT_EQ(rgbFlags(screen->LivePalette[0]), (std::vector<int>{30, 20, 10, 0}));

    std::string error;
    ASSERT_TRUE(screen->LoadBitmap(path, 512, 96, 0, 0, 0, 0, SurfaceChars, error));
    EXPECT_EQ(mismatches(*screen, SurfaceChars, [](int x, int y) {
                  return x < 512 && y < 96 ? patternAt(x, y) : 0;
              }), 0);
    EXPECT_FALSE(screen->LoadBitmap(path, 512, 96, 0, 0, 1, 0, SurfaceChars, error));
    EXPECT_NE(error.find("too small"), std::string::npos);
    std::remove(path.c_str());
}

}  // namespace display_test
