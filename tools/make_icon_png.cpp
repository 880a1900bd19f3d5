// Writes the game's icon as a PNG of the given size (a whole multiple of 16 pixels, so each
// cell of the drawing is a crisp square), for the desktop's icon theme.
// Usage: make_icon_png SIZE OUTPUT.png
#include <png.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/icon_art.h"

namespace {

constexpr int kLargestSize = 1024;

bool readSize(std::string_view text, int& size) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
    return error == std::errc() && end == text.data() + text.size() && size > 0 &&
           size <= kLargestSize && size % platform::kIconCells == 0;
}

// The icon as rows of red, green and blue bytes.
std::vector<png_byte> iconRgb(int size) {
    std::vector<png_byte> rgb;
    rgb.reserve(size_t(size) * size * 3);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const uint32_t colour = platform::iconPixel(x, y, size);
            rgb.push_back(png_byte(colour >> 16));
            rgb.push_back(png_byte(colour >> 8));
            rgb.push_back(png_byte(colour));
        }
    }
    return rgb;
}

}  // namespace

int main(int argc, char** argv) {
    int size = 0;
    if (argc != 3 || !readSize(argv[1], size)) {
        std::fprintf(stderr,
                     "usage: make_icon_png SIZE OUTPUT.png (SIZE a multiple of %d up to %d)\n",
                     platform::kIconCells, kLargestSize);
        return 2;
    }
    const std::vector<png_byte> rgb = iconRgb(size);
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(size);
    image.height = png_uint_32(size);
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, argv[2], 0, rgb.data(), 0, nullptr)) {
        std::fprintf(stderr, "make_icon_png: cannot write %s: %s\n", argv[2], image.message);
        return 1;
    }
    return 0;
}
