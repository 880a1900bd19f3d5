// The Screen where a match seldom takes it: text, boxes and copies at odd sizes and at or past
// the page's edges, and bitmaps other than the game's own.
#include <climits>
#include <functional>

#include "display/bmp_reader.h"
#include "tests/support/test_game.h"

namespace {

constexpr uint8_t kPaper = 77;  // what a page holds before a test draws on it

struct Page : TestGame {
    Screen& screen = game->devices.screen;
    uint8_t* page = screen.Pixels(SurfacePage);
    Page() { std::memset(page, kPaper, kSurfaceBytes); }
    uint8_t glyph(int code, int x, int y, int left = 0) const {  // a pixel of the character bitmap
        const int place = code - 32;
        return screen.Pixel(SurfaceChars, left + 16 * (place % 16) + x, 16 * (place / 16) + y);
    }
    // The first pixel unlike expected(x, y), as "x,y"; "" when there is none.
    std::string differs(const std::function<int(int, int)>& expected) const {
        for (int i = 0; i < kSurfaceBytes; ++i) {
            const int x = i % kSurfacePitch, y = i / kSurfacePitch;
            if (page[i] != expected(x, y)) return std::to_string(x) + "," + std::to_string(y);
        }
        return "";
    }
};

bool in(int x, int y, int left, int top, int width, int height) {
    return x >= left && x < left + width && y >= top && y < top + height;
}

}  // namespace

// Cell pixel (dx, dy) shows glyph pixel (16 dx / w, 16 dy / h); codes without a glyph leave
// their cell; centring truncates; colour text lays the stencil over the tile where the code
// has one, a space erases; whatever leaves the page is clipped.
TEST(Text, CellsShowTheirGlyphsScaledCentredAndClipped) {
    Page p;
    p.screen.DrawText(SurfacePage,
                      "\x80"
                      "A\x7f\x1f",
                      10, 20, 48, 24);
    EXPECT_EQ(p.differs([&](int x, int y) {
        if (!in(x, y, 58, 20, 96, 24)) return int(kPaper);
        return int(p.glyph(x < 106 ? 'A' : 127, (x - 58) % 48 / 3, (y - 20) * 2 / 3));
    }),
              "");
    Page centred, placed;
    centred.screen.DrawText(SurfacePage, "ABC", kCentred, kCentred, 7, 33);
    placed.screen.DrawText(SurfacePage, "ABC", 310, 224, 7, 33);
    EXPECT_TRUE(std::equal(centred.page, centred.page + kSurfaceBytes, placed.page));
    Page colour;
    colour.screen.DrawColourText(SurfacePage, "A `", 100, 50, 16, 16, 3);
    EXPECT_EQ(colour.differs([&](int x, int y) {
        if (!in(x, y, 100, 50, 32, 16)) return int(kPaper);
        const uint8_t stencil = colour.glyph('A', x - 100, y - 50, 256);
        const uint8_t tile = colour.screen.Pixel(SurfaceChars, 304 + x - 100, 64 + y - 50);
        return x >= 116 ? 0 : stencil ? stencil : tile;
    }),
              "");
    Page edge;
    edge.screen.DrawText(SurfacePage, "WW", 630, 470, 16, 16);
    edge.screen.DrawColourText(SurfacePage, "WW", INT_MAX, INT_MIN, 16, 16, 1);
    edge.screen.DrawText(SurfacePage, "WW", kCentred, kCentred, INT_MIN, INT_MIN);
    EXPECT_EQ(edge.differs([&](int x, int y) {
        return in(x, y, 630, 470, 10, 10) ? edge.glyph('W', x - 630, y - 470) : kPaper;
    }),
              "");
}

// Boxes and copies are clipped to both surfaces and keep their pixels' places; keyed copies
// leave 0 out.
TEST(Figures, BoxesAndCopiesSetExactlyTheirPixels) {
    Page p;
    p.screen.FillBox(SurfacePage, 630, 470, 20, 20, p.screen.PaletteRgb(200));
    p.screen.FillBox(SurfacePage, INT_MIN, INT_MIN, INT_MAX, INT_MAX, p.screen.PaletteRgb(200));
    EXPECT_EQ(p.differs([](int x, int y) { return in(x, y, 630, 470, 10, 10) ? 200 : kPaper; }),
              "");
    Page copy;
    copy.screen.Clear(SurfaceOverlay);
    copy.screen.Pixels(SurfaceOverlay)[5 * kSurfacePitch + 5] = 9;
    copy.screen.CopyKeyed(-3, -4, 0, 0, 640, 480, SurfacePage, SurfaceOverlay);
    copy.screen.Copy(600, 470, 0, 0, 100, 30, SurfacePage, SurfaceOverlay);
    copy.screen.Copy(INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX, INT_MAX, SurfacePage,
                     SurfaceOverlay);
    EXPECT_EQ(copy.differs([](int x, int y) {
        if ((x == 2 && y == 1) || (x == 605 && y == 475)) return 9;
        return in(x, y, 600, 470, 40, 10) ? 0 : kPaper;
    }),
              "");
}

// The reader keeps every index and colour of bottom-up, top-down and short-table bitmaps, and
// refuses every cut-short file and other depths. (The program's refusals: tests/startup.)
TEST(BmpReader, ReadsEightBitBitmapsAndRefusesDamagedOnes) {
    const auto bmp = [](int height, uint32_t colours,
                        std::pair<int, uint32_t> damage = {0, 0x4D42}) {
        const uint32_t offset = 54 + 4 * (colours ? colours : 256);
        std::vector<uint8_t> bytes(offset + 8 * 3, 0);
        std::vector<std::pair<int, uint32_t>> fields = {
            {0, 0x4D42},   {10, offset},  {14, 40}, {18, 5}, {22, uint32_t(height)},
            {26, 0x80001}, {46, colours}, damage};
        for (uint32_t i = 0; i < (colours ? colours : 256); ++i) {
            fields.push_back({int(54 + 4 * i), i * 0x010203u});
        }
        for (const auto& [at, value] : fields)
            for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(value >> (8 * i));
        for (int i = 0; i < 15; ++i) {
            bytes[offset + 8 * (height < 0 ? i / 5 : 2 - i / 5) + i % 5] = uint8_t(i * 7);
        }
        return bytes;
    };
    BmpImage image;
    std::string error;
    for (const auto& good : {bmp(3, 0), bmp(-3, 0), bmp(3, 2)}) {
        ASSERT_TRUE(decodeBmp(good.data(), good.size(), image, error)) << error;
        for (int i = 0; i < 15; ++i) EXPECT_EQ(image.at(i % 5, i / 5), i * 7);
        const PaletteEntry one = image.palette[1];
        EXPECT_EQ(one.red + one.green * 10 + one.blue * 100, 321);
        EXPECT_EQ(image.palette[7].blue, good[46] == 2 ? 0 : 21);  // a short table: black
        for (size_t cut = 0; cut < good.size(); ++cut) {
            EXPECT_FALSE(decodeBmp(good.data(), cut, image, error));
        }
    }
    const auto deep = bmp(3, 0, {28, 24});  // 24 bits per pixel
    EXPECT_FALSE(decodeBmp(deep.data(), deep.size(), image, error));
    EXPECT_NE(error.find("8 bits"), std::string::npos) << error;
}
