// The committed character bitmap: exactly what the generator makes from the sources in
// tools/, and it meets everything the game asks of its artwork.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/test_game.h"

namespace {

constexpr int kWidth = 512, kHeight = 96, kPixelOffset = 1078, kCell = 16, kStencilX = 256;
constexpr int kTileY = 64;
constexpr int kPlayerColours[4] = {156, 71, 27, 107};
// Players, frame, bomb, flash, meteorite and teleport colours: all drawn on the same field.
constexpr int kNamedColours[] = {156, 71, 27, 107, 255, 24, 246, 237, 158, 78, 30, 126};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Rgb { double r, g, b; };
double distance(Rgb a, Rgb b) { return std::hypot(a.r - b.r, a.g - b.g, a.b - b.b); }
double brightness(Rgb c) { return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b; }

// The committed char.bmp read straight from its bytes (rows stored bottom-up).
struct CharBitmap {
    std::string bytes = readFile(sourcePath("assets/char.bmp"));

    uint8_t byte(size_t i) const { return uint8_t(bytes[i]); }
    uint32_t le(size_t at, int size) const {
        uint32_t value = 0;
        for (int i = size - 1; i >= 0; --i) value = value << 8 | byte(at + i);
        return value;
    }
    uint8_t at(int x, int y) const {
        return byte(kPixelOffset + size_t(kHeight - 1 - y) * kWidth + x);
    }
    Rgb colour(int index) const {  // the colour table holds blue, green, red, reserved
        const size_t e = 54 + 4 * size_t(index);
        return {double(byte(e + 2)), double(byte(e + 1)), double(byte(e))};
    }
    bool complete() const { return bytes.size() == size_t(kPixelOffset + kWidth * kHeight); }
    // Pixels of the rectangle that are solid (non-zero), or zero when solid is false.
    int count(int x0, int y0, bool solid, int w = kCell, int h = kCell) const {
        int n = 0;
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x) n += (at(x, y) != 0) == solid;
        return n;
    }
};

int glyphX(int code) { return kCell * ((code - 32) % 16); }
int glyphY(int code) { return kCell * ((code - 32) / 16); }

TEST(CharBitmap, CommittedFileIsWhatTheGeneratorMakes) {
    const std::string dir = makeTempDir();
    const std::string command = std::string("\"") + MAKE_CHAR_BMP_PATH + "\" \"" +
                                sourcePath("tools") + "\" \"" + dir + "/char.bmp\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_TRUE(readFile(dir + "/char.bmp") == CharBitmap().bytes)
        << "assets/char.bmp is stale: run make_char_bmp tools assets/char.bmp";
    std::filesystem::remove_all(dir);
}

TEST(CharBitmap, Uncompressed8BitImageWithGlyphSetsAndTilesInTheirPlaces) {
    const CharBitmap bmp;
    ASSERT_TRUE(bmp.complete()) << bmp.bytes.size() << " bytes";
    EXPECT_EQ(bmp.bytes.substr(0, 2), "BM");
    // {offset, size, value}: pixels after 14 + 40 + 256 x 4 bytes, 40-byte information
    // header, 512 x 96 bottom-up, one plane, 8 bits, uncompressed.
    const uint32_t fields[][3] = {{2, 4, uint32_t(bmp.bytes.size())}, {10, 4, 1078},
                                  {14, 4, 40}, {18, 4, 512}, {22, 4, 96}, {26, 2, 1},
                                  {28, 2, 8}, {30, 4, 0}};
    for (const auto& f : fields) EXPECT_EQ(bmp.le(f[0], int(f[1])), f[2]) << "byte " << f[0];

    // Both space glyphs are all 0: drawing a space erases field pixels.
    EXPECT_EQ(bmp.count(0, 0, true), 0);
    EXPECT_EQ(bmp.count(kStencilX, 0, true), 0);
    for (int code = 33; code <= 127; ++code) {
        const int x = glyphX(code), y = glyphY(code);
        EXPECT_GT(bmp.count(x, y, true), 0) << "plain glyph " << code << " has no ink";
        // Top row and left column stay empty so neighbouring letters never touch.
        EXPECT_EQ(bmp.count(x, y, true, kCell, 1) + bmp.count(x, y, true, 1, kCell), 0) << code;
        if (code > 95) continue;
        // Stencil: a letter of index 0 (the transparent colour) inside the plain glyph's
        // ink, so colour text reads as plain text, and something round it to cover the tile.
        EXPECT_GT(bmp.count(kStencilX + x, y, false) * bmp.count(kStencilX + x, y, true), 0)
            << "stencil " << code;
        for (int dy = 0; dy < kCell; ++dy)
            for (int dx = 0; dx < kCell; ++dx)
                if (bmp.at(kStencilX + x + dx, y + dy) == 0) {
                    ASSERT_NE(bmp.at(x + dx, y + dy), 0) << code << " at " << dx << "," << dy;
                }
    }
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(bmp.count(kStencilX + kCell * k, kTileY, false), 0) << "hole in tile " << k;
    EXPECT_EQ(bmp.count(kStencilX, 80, true, 256, 16), 0) << "unused corner";
}

// Colour-blind views (Machado, Oliveira and Fernandes 2009, full severity) in linear light.
using Matrix = double[3][3];
constexpr Matrix kViews[3] = {  // protanopia, deuteranopia, tritanopia
    {{0.152286, 1.052583, -0.204868}, {0.114503, 0.786281, 0.099216},
     {-0.003882, -0.048116, 1.051998}},
    {{0.367322, 0.860646, -0.227968}, {0.280085, 0.672501, 0.047413},
     {-0.011820, 0.042940, 0.968881}},
    {{1.255528, -0.076749, -0.178779}, {-0.078411, 0.930809, 0.147602},
     {0.004733, 0.691367, 0.303900}}};
Rgb seenAs(const Matrix& m, Rgb c) {
    double in[3] = {c.r / 255, c.g / 255, c.b / 255}, out[3];
    for (double& v : in) v = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    for (int i = 0; i < 3; ++i) {
        const double v = std::clamp(m[i][0] * in[0] + m[i][1] * in[1] + m[i][2] * in[2], 0.0, 1.0);
        out[i] = 255 * (v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055);
    }
    return {out[0], out[1], out[2]};
}

TEST(CharBitmap, EveryIndexHasItsOwnColourAndPlayersTilesAndTextsAreClear) {
    const CharBitmap bmp;
    ASSERT_TRUE(bmp.complete());
    const auto player = [&bmp](int p) { return bmp.colour(kPlayerColours[p]); };
    for (int i = 0; i < 256; ++i)
        for (int j = 0; j < i; ++j)
            ASSERT_GT(distance(bmp.colour(i), bmp.colour(j)), 0) << "indices " << j << " and " << i;
    EXPECT_EQ(brightness(bmp.colour(0)), 0) << "index 0 is the black empty field";
    for (int a : kNamedColours)
        for (int b : kNamedColours)
            EXPECT_TRUE(a >= b || distance(bmp.colour(a), bmp.colour(b)) >= 60) << a << ", " << b;
    for (int p = 0; p < 4; ++p) {
        const Rgb trail = player(p);
        EXPECT_GE(brightness(trail), 100) << "player " << p + 1 << " is dim on black";
        // Apart for every kind of colour blindness too.
        for (const Matrix& view : kViews)
            for (int q = 0; q < p; ++q)
                EXPECT_GE(distance(seenAs(view, trail), seenAs(view, player(q))), 50)
                    << "players " << q + 1 << " and " << p + 1;
    }
    // The middle rows of tile p, where most of a letter lies, are nearest to player p.
    for (int p = 0; p < 4; ++p)
        for (int row = 4; row < 12; ++row) {
            const Rgb c = bmp.colour(bmp.at(kStencilX + kCell * (p + 1) + 8, kTileY + row));
            for (int q = 0; q < 4; ++q)
                EXPECT_LE(distance(c, player(p)), q == p ? 80 : distance(c, player(q)))
                    << "tile " << p + 1 << " row " << row << " vs player " << q + 1;
        }
    // Every text tile the game uses stands out on black; tile 7 is light text.
    for (int k : {1, 2, 3, 4, 6, 7, 8})
        EXPECT_GE(brightness(bmp.colour(bmp.at(kStencilX + kCell * k + 8, kTileY + 8))),
                  k == 7 ? 200 : 100) << "tile " << k;
    // What a stencil covers is near black, so coloured letters stand alone on the screen.
    for (int y = 0; y < kTileY; ++y)
        for (int x = kStencilX; x < kWidth; ++x)
            ASSERT_LT(brightness(bmp.colour(bmp.at(x, y))), 64) << x << "," << y;
}

}  // namespace
