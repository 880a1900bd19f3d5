// Reading "char.bmp": which bitmaps are accepted, what their pixels and colours become, and
// that damaged files are refused without reading outside the file.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "display/bmp_reader.h"
#include "display/screen.h"
#include "tests/display/display_test_helpers.h"

namespace {

// The pieces of a bitmap file a test wants to vary; the defaults make a valid file.
struct BmpSpec {
    int32_t width = 5;
    int32_t height = 3;
    bool topDown = false;
    uint16_t bitCount = 8;
    uint32_t compression = 0;
    uint32_t infoSize = 40;
    uint32_t coloursUsed = 0;  // 0: a full table of 256
};

// The pixel at (x, y) of the test images, top row first.
uint8_t patternAt(int x, int y) { return static_cast<uint8_t>(1 + x + 10 * y); }

void put16(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    bytes[at] = value & 0xFF;
    bytes[at + 1] = (value >> 8) & 0xFF;
}
void put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = (value >> (8 * i)) & 0xFF;
    }
}

// Colour i of the table: blue i, green 255 - i, red i ^ 0x5A.
std::vector<uint8_t> makeBmp(const BmpSpec& spec) {
    const uint32_t colours = spec.coloursUsed == 0 ? 256 : spec.coloursUsed;
    const size_t tableStart = 14 + spec.infoSize;
    const size_t pixelOffset = tableStart + 4 * colours;
    const size_t stride = (static_cast<size_t>(spec.width) + 3) & ~size_t{3};
    std::vector<uint8_t> bytes(pixelOffset + stride * spec.height, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(bytes, 2, static_cast<uint32_t>(bytes.size()));
    put32(bytes, 10, static_cast<uint32_t>(pixelOffset));
    put32(bytes, 14, spec.infoSize);
    put32(bytes, 18, static_cast<uint32_t>(spec.width));
    put32(bytes, 22, static_cast<uint32_t>(spec.topDown ? -spec.height : spec.height));
    put16(bytes, 26, 1);
    put16(bytes, 28, spec.bitCount);
    put32(bytes, 30, spec.compression);
    put32(bytes, 46, spec.coloursUsed);
    for (uint32_t i = 0; i < colours; ++i) {
        bytes[tableStart + 4 * i] = static_cast<uint8_t>(i);
        bytes[tableStart + 4 * i + 1] = static_cast<uint8_t>(255 - i);
        bytes[tableStart + 4 * i + 2] = static_cast<uint8_t>(i ^ 0x5A);
        bytes[tableStart + 4 * i + 3] = 0xEE;  // reserved, must not reach the flags
    }
    for (int y = 0; y < spec.height; ++y) {
        const int fileRow = spec.topDown ? y : spec.height - 1 - y;
        for (int x = 0; x < spec.width; ++x) {
            bytes[pixelOffset + fileRow * stride + x] = patternAt(x, y);
        }
        for (size_t pad = spec.width; pad < stride; ++pad) {
            bytes[pixelOffset + fileRow * stride + pad] = 0xCC;  // padding is never a pixel
        }
    }
    return bytes;
}

bool decode(const std::vector<uint8_t>& bytes, BmpImage& image, std::string& error) {
    return decodeBmp(bytes.data(), bytes.size(), image, error);
}

std::string rejection(const std::vector<uint8_t>& bytes) {
    BmpImage image;
    std::string error;
    EXPECT_FALSE(decode(bytes, image, error));
    EXPECT_EQ(error.find('\n'), std::string::npos);
    return error;
}

bool pixelsMatchPattern(const BmpImage& image) {
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (image.at(x, y) != patternAt(x, y)) {
                return false;
            }
        }
    }
    return true;
}

// A bitmap file in the temporary folder, removed again at the end of the test.
class TempFile {
public:
    explicit TempFile(const std::vector<uint8_t>& bytes) {
        static int counter = 0;
        path_ = (std::filesystem::temp_directory_path() /
                 ("diraviru_display_" + std::to_string(getpid()) + "_" +
                  std::to_string(counter++) + ".bmp"))
                    .string();
        std::ofstream file(path_, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    ~TempFile() { std::filesystem::remove(path_); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace

TEST(BmpReader, ReadsBottomUpTopDownPaddedRowsAndShortTables) {
    BmpImage image;
    std::string error;
    ASSERT_TRUE(decode(makeBmp(BmpSpec{}), image, error)) << error;
    EXPECT_EQ(image.width, 5);
    EXPECT_EQ(image.height, 3);
    EXPECT_TRUE(pixelsMatchPattern(image));
    EXPECT_EQ(image.palette[7].blue, 7);
    EXPECT_EQ(image.palette[7].green, 248);
    EXPECT_EQ(image.palette[7].red, 7 ^ 0x5A);
    EXPECT_EQ(image.palette[255].red, 255 ^ 0x5A);
    EXPECT_EQ(image.palette[7].flags, 0);

    BmpSpec topDown;
    topDown.topDown = true;
    topDown.width = 8;  // rows of exactly two words, no padding
    ASSERT_TRUE(decode(makeBmp(topDown), image, error)) << error;
    EXPECT_EQ(image.height, 3);
    EXPECT_TRUE(pixelsMatchPattern(image));

    BmpSpec shortTable;
    shortTable.coloursUsed = 2;
    ASSERT_TRUE(decode(makeBmp(shortTable), image, error)) << error;
    EXPECT_EQ(image.palette[1].red, 1 ^ 0x5A);
    EXPECT_EQ(image.palette[1].green, 254);
    for (int i = 2; i < 256; ++i) {
        EXPECT_EQ(image.palette[i].red + image.palette[i].green + image.palette[i].blue, 0) << i;
    }
    EXPECT_TRUE(pixelsMatchPattern(image));

    BmpSpec largerHeader;  // a version 5 header: the table follows it
    largerHeader.infoSize = 124;
    ASSERT_TRUE(decode(makeBmp(largerHeader), image, error)) << error;
    EXPECT_EQ(image.palette[3].blue, 3);
    EXPECT_TRUE(pixelsMatchPattern(image));

    // Pixel data a little after the table.
    std::vector<uint8_t> withGap = makeBmp(BmpSpec{});
    withGap.insert(withGap.begin() + 14 + 40 + 1024, 8, 0);
    put32(withGap, 10, 14 + 40 + 1024 + 8);
    ASSERT_TRUE(decode(withGap, image, error)) << error;
    EXPECT_TRUE(pixelsMatchPattern(image));
}

TEST(BmpReader, RefusesDamagedAndForeignFilesWithAReason) {
    const std::vector<uint8_t> valid = makeBmp(BmpSpec{});
    EXPECT_NE(rejection({}).find("signature"), std::string::npos);
    std::vector<uint8_t> badSignature = valid;
    badSignature[1] = 'A';
    EXPECT_NE(rejection(badSignature).find("signature"), std::string::npos);

    // Every shorter prefix of a valid file is refused (and read only within itself).
    for (size_t length = 0; length < valid.size(); ++length) {
        std::vector<uint8_t> prefix(valid.begin(), valid.begin() + length);
        BmpImage image;
        std::string error;
        EXPECT_FALSE(decode(prefix, image, error)) << length;
    }
    std::vector<uint8_t> oneShort(valid.begin(), valid.end() - 1);
    EXPECT_NE(rejection(oneShort).find("truncated"), std::string::npos);

    BmpSpec trueColour;
    trueColour.bitCount = 24;
    EXPECT_NE(rejection(makeBmp(trueColour)).find("bit depth 24"), std::string::npos);
    BmpSpec runLength;
    runLength.compression = 1;  // RLE8
    EXPECT_NE(rejection(makeBmp(runLength)).find("compression"), std::string::npos);
    BmpSpec coreHeader;
    coreHeader.infoSize = 12;
    EXPECT_NE(rejection(makeBmp(coreHeader)).find("header"), std::string::npos);

    std::vector<uint8_t> hugeWidth = valid;
    put32(hugeWidth, 18, 100000);
    EXPECT_NE(rejection(hugeWidth).find("dimensions"), std::string::npos);
    std::vector<uint8_t> hugeHeight = valid;
    put32(hugeHeight, 22, 0x80000000u);  // the most negative height
    EXPECT_NE(rejection(hugeHeight).find("dimensions"), std::string::npos);
    std::vector<uint8_t> wideButShort = valid;
    put32(wideButShort, 18, 16000);
    put32(wideButShort, 22, 16000);
    EXPECT_NE(rejection(wideButShort).find("truncated"), std::string::npos);
    std::vector<uint8_t> negativeWidth = valid;
    put32(negativeWidth, 18, static_cast<uint32_t>(-5));
    EXPECT_NE(rejection(negativeWidth).find("dimensions"), std::string::npos);
    std::vector<uint8_t> noRows = valid;
    put32(noRows, 22, 0);
    EXPECT_NE(rejection(noRows).find("dimensions"), std::string::npos);

    std::vector<uint8_t> tooManyColours = valid;
    put32(tooManyColours, 46, 300);
    EXPECT_NE(rejection(tooManyColours).find("colour table"), std::string::npos);
    std::vector<uint8_t> headerPastEnd = valid;
    put32(headerPastEnd, 14, 0xFFFFFFF0u);
    EXPECT_NE(rejection(headerPastEnd).find("truncated"), std::string::npos);
    std::vector<uint8_t> pixelsPastEnd = valid;
    put32(pixelsPastEnd, 10, 0xFFFFFFFFu);
    EXPECT_NE(rejection(pixelsPastEnd).find("truncated"), std::string::npos);
    std::vector<uint8_t> pixelsInTable = valid;
    put32(pixelsInTable, 10, 100);
    EXPECT_NE(rejection(pixelsInTable).find("overlaps"), std::string::npos);
}

TEST(CharBitmap, LoadPaletteTakesTheColourTableOrChangesNothing) {
    auto screen = display_test::makeScreen();
    std::vector<uint8_t> bytes = makeBmp(BmpSpec{});
    bytes[54] = 10;  // blue, green, red of entry 0
    bytes[55] = 20;
    bytes[56] = 30;
    TempFile file(bytes);
    ASSERT_TRUE(screen->LoadPalette(file.path()));
    for (const auto* palette : {&screen->BasePalette, &screen->LivePalette}) {
        EXPECT_EQ((*palette)[0].red, 30);
        EXPECT_EQ((*palette)[0].green, 20);
        EXPECT_EQ((*palette)[0].blue, 10);
        EXPECT_EQ((*palette)[0].flags, 0);
        EXPECT_EQ((*palette)[200].blue, 200);
    }

    const auto before = screen->BasePalette;
    screen->ShadePaletteEntry(200, -50);
    const auto liveBefore = screen->LivePalette;
    EXPECT_FALSE(screen->LoadPalette(file.path() + ".missing"));
    BmpSpec trueColour;
    trueColour.bitCount = 24;
    TempFile wrongDepth(makeBmp(trueColour));
    EXPECT_FALSE(screen->LoadPalette(wrongDepth.path()));
    EXPECT_EQ(screen->BasePalette[200].blue, before[200].blue);
    EXPECT_EQ(screen->LivePalette[200].blue, liveBefore[200].blue);
    EXPECT_EQ(screen->LivePalette[0].red, 30);
}

TEST(CharBitmap, LoadBitmapKeepsEveryIndexAndRefusesSmallImages) {
    auto screen = display_test::makeScreen();
    BmpSpec full;
    full.width = 512;
    full.height = 96;
    TempFile file(makeBmp(full));
    std::string error;
    ASSERT_TRUE(screen->LoadBitmap(file.path(), 512, 96, 0, 0, 0, 0, SurfaceChars, error))
        << error;
    bool same = true;
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 512; ++x) {
            same = same && screen->Pixel(SurfaceChars, x, y) == patternAt(x, y);
        }
    }
    EXPECT_TRUE(same);
    EXPECT_EQ(screen->Pixel(SurfaceChars, 512, 0), 0);
    EXPECT_EQ(screen->Pixel(SurfaceChars, 0, 96), 0);

    // A part of the image to another place; what leaves the surface is clipped.
    ASSERT_TRUE(screen->LoadBitmap(file.path(), 40, 10, 620, 475, 3, 4, SurfacePage, error));
    EXPECT_EQ(screen->Pixel(SurfacePage, 620, 475), patternAt(3, 4));
    EXPECT_EQ(screen->Pixel(SurfacePage, 639, 479), patternAt(22, 8));
    EXPECT_EQ(display_test::countNot(*screen, SurfacePage, 0), 20 * 5);
    EXPECT_EQ(display_test::countNot(*screen, SurfaceOverlay, 0), 0);

    BmpSpec narrow;
    narrow.width = 511;
    narrow.height = 96;
    TempFile small(makeBmp(narrow));
    error.clear();
    EXPECT_FALSE(screen->LoadBitmap(small.path(), 512, 96, 0, 0, 0, 0, SurfaceChars, error));
    EXPECT_NE(error.find("too small"), std::string::npos);
    EXPECT_NE(error.find(small.path()), std::string::npos);
    EXPECT_FALSE(screen->LoadBitmap(file.path(), 512, 96, 0, 0, 1, 0, SurfaceChars, error));

    error.clear();
    EXPECT_FALSE(screen->LoadBitmap(file.path() + ".missing", 512, 96, 0, 0, 0, 0,
                                    SurfaceChars, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
    EXPECT_EQ(error.find('\n'), std::string::npos);
    BmpSpec runLength = full;
    runLength.compression = 1;
    TempFile compressed(makeBmp(runLength));
    EXPECT_FALSE(screen->LoadBitmap(compressed.path(), 512, 96, 0, 0, 0, 0, SurfaceChars, error));
    EXPECT_NE(error.find("compression"), std::string::npos);
}
