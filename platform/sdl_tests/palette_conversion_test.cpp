// The conversion of a page of palette indices into the texture's colours: every index must
// come out as its own palette colour in the texture's pixel format, at its own place, and
// the row distances of both sides must be honoured.
#include "platform/palette_conversion.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

using platform::buildColourTable;
using platform::convertPage;
using platform::kPageHeight;
using platform::kPageWidth;
using platform::PaletteEntry;

namespace {

constexpr uint32_t kUntouched = 0x5A5A5A5Au;
constexpr uint8_t kPaddingIndex = 0xEE;

// A palette in which every entry has its own colour, with all three components varying.
std::array<PaletteEntry, 256> distinctPalette() {
    std::array<PaletteEntry, 256> palette{};
    for (int i = 0; i < 256; ++i) {
        palette[i] = PaletteEntry{uint8_t(i), uint8_t(255 - i), uint8_t(i * 7 + 3), 0};
    }
    return palette;
}

// The index at (x, y): every index appears at every column position within a step of 8.
uint8_t indexAt(int x, int y) { return uint8_t(x * 3 + y * 11); }

// The colour of (r, g, b) as the texture format the SDL backend streams into has it.
uint32_t textureColour(const PaletteEntry& entry) {
    SDL_PixelFormat* format = SDL_AllocFormat(SDL_PIXELFORMAT_ARGB8888);
    const uint32_t colour = SDL_MapRGBA(format, entry.red, entry.green, entry.blue, 255);
    SDL_FreeFormat(format);
    return colour;
}

}  // namespace

TEST(PaletteConversion, ColourTableHoldsEveryEntryInTheTextureFormat) {
    const auto palette = distinctPalette();
    std::array<uint32_t, 256> table{};
    buildColourTable(palette.data(), table.data());
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(table[i], textureColour(palette[i])) << "index " << i;
    }
    // The flags byte never reaches the picture.
    std::array<PaletteEntry, 256> flagged = palette;
    for (auto& entry : flagged) entry.flags = 0xFF;
    std::array<uint32_t, 256> flaggedTable{};
    buildColourTable(flagged.data(), flaggedTable.data());
    EXPECT_EQ(flaggedTable, table);
}

TEST(PaletteConversion, EveryPixelBecomesTheColourOfItsIndex) {
    const auto palette = distinctPalette();
    std::array<uint32_t, 256> table{};
    buildColourTable(palette.data(), table.data());

    std::vector<uint8_t> page(size_t{kPageWidth} * kPageHeight);
    for (int y = 0; y < kPageHeight; ++y) {
        for (int x = 0; x < kPageWidth; ++x) page[size_t{kPageWidth} * y + x] = indexAt(x, y);
    }
    std::vector<uint32_t> out(size_t{kPageWidth} * kPageHeight, kUntouched);
    convertPage(page.data(), kPageWidth, table.data(), out.data(), kPageWidth * 4);

    int wrong = 0;
    for (int y = 0; y < kPageHeight; ++y) {
        for (int x = 0; x < kPageWidth; ++x) {
            const uint32_t expected = textureColour(palette[indexAt(x, y)]);
            if (out[size_t{kPageWidth} * y + x] != expected && ++wrong <= 5) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") index "
                              << int(indexAt(x, y));
            }
        }
    }
    EXPECT_EQ(wrong, 0);

    // A page of one index only: index 0 and index 255, the two ends of the table.
    for (const uint8_t only : {uint8_t(0), uint8_t(255)}) {
        std::vector<uint8_t> flat(page.size(), only);
        convertPage(flat.data(), kPageWidth, table.data(), out.data(), kPageWidth * 4);
        for (const uint32_t colour : out) ASSERT_EQ(colour, textureColour(palette[only]));
    }
}

TEST(PaletteConversion, RowDistancesOfSourceAndTargetAreHonoured) {
    const auto palette = distinctPalette();
    std::array<uint32_t, 256> table{};
    buildColourTable(palette.data(), table.data());

    // Source rows 648 bytes apart (the last 8 are not the page's), target rows 700 pixels
    // apart (the last 60 must stay as they were).
    constexpr int kSourcePitch = kPageWidth + 8;
    constexpr int kTargetPixels = 700;
    std::vector<uint8_t> source(size_t{kSourcePitch} * kPageHeight, kPaddingIndex);
    for (int y = 0; y < kPageHeight; ++y) {
        for (int x = 0; x < kPageWidth; ++x) source[size_t{kSourcePitch} * y + x] = indexAt(x, y);
    }
    std::vector<uint32_t> out(size_t{kTargetPixels} * kPageHeight, kUntouched);
    convertPage(source.data(), kSourcePitch, table.data(), out.data(), kTargetPixels * 4);

    for (int y = 0; y < kPageHeight; ++y) {
        const uint32_t* row = out.data() + size_t{kTargetPixels} * y;
        for (int x = 0; x < kPageWidth; ++x) {
            ASSERT_EQ(row[x], textureColour(palette[indexAt(x, y)])) << x << ", " << y;
        }
        for (int x = kPageWidth; x < kTargetPixels; ++x) {
            ASSERT_EQ(row[x], kUntouched) << "padding written at " << x << ", " << y;
        }
    }
}
