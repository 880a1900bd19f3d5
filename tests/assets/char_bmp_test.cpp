// The committed character bitmap: that it is exactly what the generator makes from the
// sources in tools/, and that it meets everything the game asks of its artwork.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/test_game.h"

namespace {

constexpr int kWidth = 512;
constexpr int kHeight = 96;
constexpr int kPixelOffset = 1078;
constexpr int kCell = 16;

// Palette indices the game draws with.
constexpr int kPlayerColours[4] = {156, 71, 27, 107};
constexpr int kTeleportColours[4] = {158, 78, 30, 126};
constexpr int kNamedColours[] = {156, 71, 27, 107, 255, 24, 246, 237, 158, 78, 30, 126};
constexpr int kFrameColour = 255;
constexpr int kFlashColour = 246;

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

uint32_t le(const std::vector<uint8_t>& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[at + i];
    return value;
}

struct Rgb {
    double r, g, b;
};

double distance(Rgb a, Rgb b) {
    return std::sqrt((a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) +
                     (a.b - b.b) * (a.b - b.b));
}

double brightness(Rgb c) { return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b; }

// The committed char.bmp, read straight from its bytes (rows stored bottom-up).
struct CharBitmap {
    std::vector<uint8_t> bytes = readBytes(sourcePath("assets/char.bmp"));

    bool complete() const { return bytes.size() == kPixelOffset + kWidth * kHeight; }
    uint8_t at(int x, int y) const {
        return bytes[kPixelOffset + static_cast<size_t>(kHeight - 1 - y) * kWidth + x];
    }
    Rgb colour(int index) const {
        const size_t e = 54 + 4 * static_cast<size_t>(index);
        return {double(bytes[e + 2]), double(bytes[e + 1]), double(bytes[e])};
    }
    int count(int x0, int y0, int w, int h, bool nonZero) const {
        int n = 0;
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x) n += (at(x, y) != 0) == nonZero ? 1 : 0;
        return n;
    }
};

int glyphX(int code) { return kCell * ((code - 32) % 16); }
int glyphY(int code) { return kCell * ((code - 32) / 16); }

// Colour-blind views of a colour (Machado, Oliveira and Fernandes 2009, full severity),
// applied in linear light.
double toLinear(double c) {
    c /= 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}
double toDisplay(double c) {
    c = std::clamp(c, 0.0, 1.0);
    return 255.0 * (c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055);
}
using Matrix = std::array<std::array<double, 3>, 3>;
constexpr Matrix kProtanopia{{{0.152286, 1.052583, -0.204868},
                              {0.114503, 0.786281, 0.099216},
                              {-0.003882, -0.048116, 1.051998}}};
constexpr Matrix kDeuteranopia{{{0.367322, 0.860646, -0.227968},
                                {0.280085, 0.672501, 0.047413},
                                {-0.011820, 0.042940, 0.968881}}};
constexpr Matrix kTritanopia{{{1.255528, -0.076749, -0.178779},
                              {-0.078411, 0.930809, 0.147602},
                              {0.004733, 0.691367, 0.303900}}};
Rgb seenAs(const Matrix& m, Rgb c) {
    const double in[3] = {toLinear(c.r), toLinear(c.g), toLinear(c.b)};
    double out[3];
    for (int i = 0; i < 3; ++i) out[i] = toDisplay(m[i][0] * in[0] + m[i][1] * in[1] + m[i][2] * in[2]);
    return {out[0], out[1], out[2]};
}

TEST(CharBitmap, CommittedFileIsWhatTheGeneratorMakes) {
    const std::string out = makeTempDir() + "/char.bmp";
    const std::string command = std::string("\"") + MAKE_CHAR_BMP_PATH + "\" \"" +
                                sourcePath("tools") + "\" \"" + out + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::vector<uint8_t> made = readBytes(out);
    const std::vector<uint8_t> committed = readBytes(sourcePath("assets/char.bmp"));
    ASSERT_EQ(made.size(), committed.size());
    EXPECT_TRUE(made == committed) << "assets/char.bmp is stale: run make_char_bmp tools assets/char.bmp";
    std::filesystem::remove_all(std::filesystem::path(out).parent_path());
}

TEST(CharBitmap, GeneratorRefusesBrokenSources) {
    namespace fs = std::filesystem;
    const std::string dir = makeTempDir();
    const std::string out = dir + "/char.bmp";
    const std::string command = std::string("\"") + MAKE_CHAR_BMP_PATH + "\" \"" + dir +
                                "\" \"" + out + "\" 2>/dev/null";
    auto writeFile = [&](const std::string& name, const std::string& text) {
        std::ofstream(dir + "/" + name) << text;
    };
    const std::string font = [] {
        std::ifstream file(sourcePath("tools/font.txt"));
        return std::string(std::istreambuf_iterator<char>(file), {});
    }();
    const std::string palette = [] {
        std::ifstream file(sourcePath("tools/palette.txt"));
        return std::string(std::istreambuf_iterator<char>(file), {});
    }();

    // The sources as committed work from a copy too.
    writeFile("font.txt", font);
    writeFile("palette.txt", palette);
    EXPECT_EQ(std::system(command.c_str()), 0);

    // Two palette entries with one colour: a colour would no longer name one index.
    writeFile("palette.txt", "set 17 #000000\n" + palette);
    EXPECT_NE(std::system(command.c_str()), 0);

    // An entry given twice.
    writeFile("palette.txt", "set 156 #123456\n" + palette);
    EXPECT_NE(std::system(command.c_str()), 0);

    // A glyph that the game needs is missing.
    writeFile("palette.txt", palette);
    std::string noA = font;
    noA.replace(noA.find("glyph 65"), 8, "glyph 31");
    writeFile("font.txt", noA);
    EXPECT_NE(std::system(command.c_str()), 0);
    fs::remove_all(dir);
}

TEST(CharBitmap, HeaderIsAnUncompressed8BitBitmapWithAFullColourTable) {
    const CharBitmap bmp;
    ASSERT_TRUE(bmp.complete()) << "size " << bmp.bytes.size();
    const auto& b = bmp.bytes;
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(le(b, 2, 4), b.size());         // file size
    EXPECT_EQ(le(b, 10, 4), 1078u);           // pixels follow 14 + 40 + 256 * 4 bytes
    EXPECT_EQ(le(b, 14, 4), 40u);             // BITMAPINFOHEADER
    EXPECT_EQ(le(b, 18, 4), 512u);
    EXPECT_EQ(le(b, 22, 4), 96u);             // positive: bottom-up rows
    EXPECT_EQ(le(b, 26, 2), 1u);              // planes
    EXPECT_EQ(le(b, 28, 2), 8u);              // bits per pixel
    EXPECT_EQ(le(b, 30, 4), 0u);              // BI_RGB
    const uint32_t used = le(b, 46, 4);
    EXPECT_TRUE(used == 0 || used == 256) << used;  // the table has all 256 entries
    for (int i = 0; i < 256; ++i) EXPECT_EQ(b[57 + 4 * i], 0) << "reserved byte of entry " << i;
}

TEST(CharBitmap, GlyphsTilesAndEmptyPlacesFollowTheLayout) {
    const CharBitmap bmp;
    ASSERT_TRUE(bmp.complete());

    // Spaces are all 0 in both sets: they erase item boxes and panel texts on the field.
    EXPECT_EQ(bmp.count(0, 0, kCell, kCell, true), 0) << "plain space";
    EXPECT_EQ(bmp.count(256, 0, kCell, kCell, true), 0) << "stencil space";

    for (int code = 33; code <= 127; ++code) {
        const int x = glyphX(code), y = glyphY(code);
        EXPECT_GT(bmp.count(x, y, kCell, kCell, true), 0) << "plain glyph " << code << " has no ink";
        // Top row and left column empty: neighbouring letters and text lines never touch.
        EXPECT_EQ(bmp.count(x, y, kCell, 1, true), 0) << "plain glyph " << code << " top row";
        EXPECT_EQ(bmp.count(x, y, 1, kCell, true), 0) << "plain glyph " << code << " left column";
    }
    for (int code = 33; code <= 95; ++code) {
        const int x = glyphX(code), y = glyphY(code);
        EXPECT_GT(bmp.count(256 + x, y, kCell, kCell, false), 0) << "stencil " << code << " has no letter";
        EXPECT_GT(bmp.count(256 + x, y, kCell, kCell, true), 0) << "stencil " << code << " covers nothing";
        // The stencil's hole is the plain glyph's letter: colour text reads as plain text.
        for (int dy = 0; dy < kCell; ++dy)
            for (int dx = 0; dx < kCell; ++dx)
                if (bmp.at(256 + x + dx, y + dy) == 0) {
                    ASSERT_NE(bmp.at(x + dx, y + dy), 0) << "code " << code << " at " << dx << "," << dy;
                }
    }
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(bmp.count(256 + kCell * k, 64, kCell, kCell, false), 0) << "tile " << k;
    EXPECT_EQ(bmp.count(256, 80, 256, 16, true), 0) << "unused corner";
}

// Where an arrow points, as (dx, dy): along each axis, the end of the letter that widens
// fast going inwards is the tip; the shaft end stays narrow and the two sides of the head
// both widen, which gives 0.
struct Arrow {
    int dx = 0, dy = 0;
};

Arrow arrowDirection(const CharBitmap& bmp, int code) {
    bool letter[kCell][kCell];  // [y][x], the stencil glyph's letter pixels
    for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kCell; ++x)
            letter[y][x] = bmp.at(256 + glyphX(code) + x, glyphY(code) + y) == 0;
    // Extent of the letter across one column (columns) or one row.
    auto extent = [&](bool columns, int line) {
        int first = kCell, last = -1;
        for (int i = 0; i < kCell; ++i)
            if (columns ? letter[i][line] : letter[line][i]) first = std::min(first, i), last = i;
        return last < 0 ? 0 : last - first + 1;
    };
    constexpr int kInwards = 4;
    Arrow result;
    for (bool columns : {true, false}) {
        int first = kCell, last = -1;
        for (int line = 0; line < kCell; ++line)
            if (extent(columns, line) > 0) first = std::min(first, line), last = line;
        if (last - first < 2 * kInwards) continue;
        const bool tipFirst = extent(columns, first + kInwards) >= 2 * extent(columns, first);
        const bool tipLast = extent(columns, last - kInwards) >= 2 * extent(columns, last);
        (columns ? result.dx : result.dy) = tipFirst == tipLast ? 0 : (tipFirst ? -1 : 1);
    }
    return result;
}

TEST(CharBitmap, ScoreTableArrowsPointLeftDownAndRight) {
    const CharBitmap bmp;
    ASSERT_TRUE(bmp.complete());
    // 3P's keys are the arrow keys; the score table shows them as stencil glyphs 34, 35, 36.
    const Arrow left = arrowDirection(bmp, 34), down = arrowDirection(bmp, 35),
                right = arrowDirection(bmp, 36);
    EXPECT_EQ(left.dx, -1);
    EXPECT_EQ(left.dy, 0);
    EXPECT_EQ(down.dx, 0);
    EXPECT_EQ(down.dy, 1);
    EXPECT_EQ(right.dx, 1);
    EXPECT_EQ(right.dy, 0);
}

TEST(CharBitmap, PaletteGivesEveryIndexItsOwnColourAndClearPlayerColours) {
    const CharBitmap bmp;
    ASSERT_TRUE(bmp.complete());

    for (int i = 0; i < 256; ++i)
        for (int j = 0; j < i; ++j)
            ASSERT_GT(distance(bmp.colour(i), bmp.colour(j)), 0) << "indices " << j << " and " << i;
    const Rgb black = bmp.colour(0);
    EXPECT_EQ(black.r + black.g + black.b, 0) << "index 0 is the empty field";

    for (int a : kNamedColours)
        for (int b : kNamedColours)
            if (a < b) {
                EXPECT_GE(distance(bmp.colour(a), bmp.colour(b)), 60) << a << " vs " << b;
            }

    EXPECT_GE(brightness(bmp.colour(kFrameColour)), 180);
    EXPECT_GE(brightness(bmp.colour(kFlashColour)), 220);
    for (int p = 0; p < 4; ++p) {
        const Rgb trail = bmp.colour(kPlayerColours[p]);
        EXPECT_GE(brightness(trail), 100) << "player " << p + 1 << " is dim on black";
        EXPECT_GT(brightness(bmp.colour(kTeleportColours[p])), brightness(trail))
            << "teleport disc of player " << p + 1 << " is not lighter";
    }

    // The four players stay apart for every kind of colour blindness.
    for (const Matrix* view : {&kProtanopia, &kDeuteranopia, &kTritanopia})
        for (int p = 0; p < 4; ++p)
            for (int q = 0; q < p; ++q)
                EXPECT_GE(distance(seenAs(*view, bmp.colour(kPlayerColours[p])),
                                   seenAs(*view, bmp.colour(kPlayerColours[q]))), 50)
                    << "players " << q + 1 << " and " << p + 1;
}

TEST(CharBitmap, ColourTextShowsTheTileThroughADarkStencil) {
    const CharBitmap bmp;
    ASSERT_TRUE(bmp.complete());

    // Tiles 1..4: the middle rows, where most of a letter lies, are nearest to their own
    // player's colour.
    for (int p = 0; p < 4; ++p) {
        for (int row = 4; row < 12; ++row) {
            const Rgb c = bmp.colour(bmp.at(256 + kCell * (p + 1) + 8, 64 + row));
            int nearest = 0;
            for (int q = 1; q < 4; ++q)
                if (distance(c, bmp.colour(kPlayerColours[q])) <
                    distance(c, bmp.colour(kPlayerColours[nearest])))
                    nearest = q;
            EXPECT_EQ(nearest, p) << "tile " << p + 1 << " row " << row;
            EXPECT_LT(distance(c, bmp.colour(kPlayerColours[p])), 80) << "tile " << p + 1 << " row " << row;
        }
    }
    // Tile 7 is light text; every text tile the game uses stands out on black.
    EXPECT_GE(brightness(bmp.colour(bmp.at(256 + kCell * 7 + 8, 64 + 8))), 200);
    for (int k : {1, 2, 3, 4, 6, 7, 8})
        EXPECT_GE(brightness(bmp.colour(bmp.at(256 + kCell * k + 8, 64 + 8))), 100) << "tile " << k;

    // What a stencil covers is near black, so the letters stand alone on the black screen.
    for (int y = 0; y < 64; ++y)
        for (int x = 256; x < 512; ++x)
            if (bmp.at(x, y) != 0) {
                ASSERT_LT(brightness(bmp.colour(bmp.at(x, y))), 64) << x << "," << y;
            }
}

}  // namespace
