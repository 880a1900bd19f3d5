// The icon files installed for the desktop: made at every size of the theme from the game's
// own drawing, crisp (each cell a square of whole pixels), in the colours of the game's
// palette.
#include <png.h>

#include <cstring>
#include <set>
#include <vector>

#include "display/bmp_reader.h"
#include "display/colours.h"
#include "tests/support/test_game.h"

namespace {

struct Picture {
    int size = 0;
    std::vector<uint8_t> rgb;  // red, green, blue a pixel, row after row

    uint32_t at(int x, int y) const {
        const uint8_t* p = &rgb[(size_t(y) * size + x) * 3];
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;  // as PaletteRgb
    }
};

// The PNG of the given size as the build made it; size 0 when it cannot be read.
Picture readIcon(int size) {
    const std::string path = std::string(ICONS_DIR) + "/" + std::to_string(size) + "x" +
                             std::to_string(size) + "/apps/diraviru.png";
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    Picture picture;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        ADD_FAILURE() << path << ": " << image.message;
        return picture;
    }
    image.format = PNG_FORMAT_RGB;
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    if (image.width != unsigned(size) || image.height != unsigned(size) ||
        !png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) {
        ADD_FAILURE() << path << ": " << image.width << " x " << image.height << " "
                      << image.message;
        png_image_free(&image);
        return picture;
    }
    picture.size = size;
    return picture;
}

uint32_t paletteRgb(const BmpImage& bmp, int index) {
    const PaletteEntry& c = bmp.palette[index];
    return uint32_t(c.red) | uint32_t(c.green) << 8 | uint32_t(c.blue) << 16;
}

}  // namespace

TEST(Icon, EverySizeIsTheSmallestBlownUpByAWholeNumber) {
    const Picture smallest = readIcon(16);
    ASSERT_EQ(smallest.size, 16);
    for (const int size : {32, 48, 64, 128, 256}) {
        const Picture icon = readIcon(size);
        ASSERT_EQ(icon.size, size);
        int differing = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                differing += icon.at(x, y) != smallest.at(x * 16 / size, y * 16 / size);
            }
        }
        EXPECT_EQ(differing, 0) << size << " x " << size;
    }
}

// The field's frame all round, black floor, and the four players' trails: only the palette's
// colours for them, each player's present.
TEST(Icon, ShowsTheFieldAndTheFourPlayersInThePalettesColours) {
    BmpImage bmp;
    std::string error;
    ASSERT_TRUE(readBmpFile(sourcePath("assets/char.bmp"), bmp, error)) << error;
    const Picture icon = readIcon(16);
    ASSERT_EQ(icon.size, 16);
    for (int k = 0; k < 16; ++k) {
        for (const auto& [x, y] : {std::pair{k, 0}, {k, 15}, {0, k}, {15, k}}) {
            EXPECT_EQ(icon.at(x, y), paletteRgb(bmp, ColourFrame)) << x << ", " << y;
        }
    }
    std::multiset<uint32_t> inside;
    for (int y = 1; y < 15; ++y)
        for (int x = 1; x < 15; ++x) inside.insert(icon.at(x, y));
    size_t counted = inside.count(paletteRgb(bmp, ColourEmpty));
    EXPECT_GT(counted, inside.size() / 2) << "mostly empty floor";
    for (const uint8_t colour : playerColour) {
        const size_t trail = inside.count(paletteRgb(bmp, colour));
        EXPECT_GE(trail, 8u) << "player colour " << int(colour);
        counted += trail;
    }
    EXPECT_EQ(counted, inside.size()) << "a colour of no player";
}
