// Feeds any bytes to the "char.bmp" reader: it must not crash or read outside the bytes it
// is given, a refusal must carry a reason, and an accepted image must be whole: its size
// within the limits, one palette index per pixel, and each pixel equal to the byte the
// bitmap's own row layout puts there.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "display/bmp_reader.h"

namespace {

constexpr std::size_t kWidthField = 18;  // file header 14 + information header offset 4
constexpr std::size_t kHeightField = 22;
constexpr std::size_t kPixelOffsetField = 10;

uint32_t fieldAt(const uint8_t* data, std::size_t at) {
    return static_cast<uint32_t>(data[at]) | static_cast<uint32_t>(data[at + 1]) << 8 |
           static_cast<uint32_t>(data[at + 2]) << 16 | static_cast<uint32_t>(data[at + 3]) << 24;
}

// The byte of pixel (x, y) (y from the top) as the format lays it out: rows padded to four
// bytes, the last row first unless the height is negative.
uint8_t fileByteOf(const uint8_t* data, int x, int y) {
    const auto width = static_cast<int32_t>(fieldAt(data, kWidthField));
    const auto height = static_cast<int32_t>(fieldAt(data, kHeightField));
    const std::size_t stride = (static_cast<std::size_t>(width) + 3) / 4 * 4;
    const std::size_t rows =
        height < 0 ? static_cast<std::size_t>(-int64_t{height}) : static_cast<std::size_t>(height);
    const std::size_t row = height < 0 ? static_cast<std::size_t>(y) : rows - 1 - y;
    return data[fieldAt(data, kPixelOffsetField) + row * stride + static_cast<std::size_t>(x)];
}

void checkAccepted(const uint8_t* data, std::size_t size, const BmpImage& image) {
    if (image.width <= 0 || image.height <= 0 || image.width > kBmpMaxDimension ||
        image.height > kBmpMaxDimension) {
        std::abort();
    }
    const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
    if (image.pixels.size() != count || count > size) std::abort();
    for (const platform::PaletteEntry& entry : image.palette) {
        if (entry.flags != 0) std::abort();
    }
    // A few pixels against the file: the corners and the middle.
    const int xs[] = {0, image.width / 2, image.width - 1};
    const int ys[] = {0, image.height / 2, image.height - 1};
    for (const int y : ys) {
        for (const int x : xs) {
            if (image.at(x, y) != fileByteOf(data, x, y)) std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    BmpImage image;
    std::string error;
    if (decodeBmp(data, size, image, error)) {
        checkAccepted(data, size, image);
    } else if (error.empty() || image.width != 0 || !image.pixels.empty()) {
        std::abort();  // a refusal names its reason and leaves the image untouched
    }
    return 0;
}
