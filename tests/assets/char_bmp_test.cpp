// The committed character bitmap is what the generator makes from the sources in tools/, and
// it has what the game relies on.
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "display/bmp_reader.h"
#include "display/colours.h"
#include "tests/support/test_game.h"

TEST(CharBitmap, TheCommittedFileIsWhatTheGeneratorMakes) {
    TestGame test;  // lends its folder
    const std::string made = test.dir + "/char.bmp";
    const std::string command = std::string("\"") + MAKE_CHAR_BMP_PATH + "\" \"" +
                                sourcePath("tools") + "\" \"" + made + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_TRUE(readFile(made) == readFile(sourcePath("assets/char.bmp")))
        << "assets/char.bmp is stale: run make_char_bmp tools assets/char.bmp";
}

// A 512 x 96 picture whose every index has its own colour (a colour always maps back to one
// index), index 0 black; both space glyphs all 0 (a space erases); the sixteen colour tiles
// without a hole; every plain glyph but the space with ink.
TEST(CharBitmap, EveryIndexHasItsOwnColourAndTheGlyphsAndTilesAreInPlace) {
    BmpImage bmp;
    std::string error;
    ASSERT_TRUE(readBmpFile(sourcePath("assets/char.bmp"), bmp, error)) << error;
    ASSERT_EQ(bmp.width * 1000 + bmp.height, 512 * 1000 + 96);
    std::set<uint32_t> colours;
    for (const PaletteEntry& c : bmp.palette) colours.insert(c.red | c.green << 8 | c.blue << 16);
    EXPECT_EQ(colours.size(), 256u);
    EXPECT_EQ(bmp.palette[0].red + bmp.palette[0].green + bmp.palette[0].blue, 0);
    const auto ink = [&](int left, int top) {
        int count = 0;
        for (int y = top; y < top + 16; ++y)
            for (int x = left; x < left + 16; ++x) count += bmp.at(x, y) != 0;
        return count;
    };
    EXPECT_EQ(ink(0, 0) + ink(256, 0), 0);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(ink(256 + 16 * k, 64), 256) << "tile " << k;
    for (int code = 33; code <= 127; ++code) {
        EXPECT_GT(ink(16 * ((code - 32) % 16), 16 * ((code - 32) / 16)), 0) << code;
    }
}

// Every colour the game names is set by its own line of the palette source (never left to
// `fill`), and every colour tile the game draws with is made there.
TEST(CharBitmap, ThePaletteSourceSetsEveryNamedColourAndTile) {
    std::map<std::string, std::set<int>> statements;  // "set" and "tile": the first numbers
    std::istringstream source(readFile(sourcePath("tools/palette.txt")));
    for (std::string line, word; std::getline(source, line);) {
        std::istringstream in(line);
        if (int first; in >> word >> first) statements[word].insert(first);
    }
    std::vector<int> named = {ColourEmpty, ColourFrame, bombColour, flashColour, meteorColour};
    named.insert(named.end(), playerColour.begin(), playerColour.end());
    named.insert(named.end(), teleportColours.begin(), teleportColours.end());
    for (int index : named) EXPECT_EQ(statements["set"].count(index), 1u) << "index " << index;
    for (int tile = TileVermillion; tile <= TilePeriwinkle; ++tile) {
        EXPECT_EQ(statements["tile"].count(tile), 1u) << "tile " << tile;
    }
}
