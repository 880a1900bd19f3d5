#include "display/bmp_reader.h"

#include <algorithm>

#include "platform/regular_file.h"

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER; later versions are larger
constexpr uint32_t kCompressionNone = 0;  // BI_RGB
constexpr uint16_t kBitsPerPixel = 8;
constexpr uint32_t kMaxColours = 256;
constexpr size_t kColourEntrySize = 4;  // blue, green, red, reserved
// Anything larger cannot be a sane 8-bit bitmap of at most kBmpMaxDimension squared.
constexpr size_t kMaxFileSize = size_t{1} << 30;

uint16_t readU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t readU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

int32_t readI32(const uint8_t* p) { return static_cast<int32_t>(readU32(p)); }

// The fields of the two headers that the reader uses.
struct Header {
    uint32_t pixelOffset = 0;
    uint32_t infoSize = 0;
    int32_t width = 0;
    int32_t height = 0;  // negative for top-down rows
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
};

bool fail(std::string& error, const char* reason) {
    error = reason;
    return false;
}

bool readHeader(const uint8_t* data, size_t size, Header& header, std::string& error) {
    if (size < 2 || data[0] != 'B' || data[1] != 'M') {
        return fail(error, "not a BMP file (bad signature)");
    }
    if (size < kFileHeaderSize + kInfoHeaderSize) {
        return fail(error, "truncated BMP file (headers incomplete)");
    }
    header.pixelOffset = readU32(data + 10);
    const uint8_t* info = data + kFileHeaderSize;
    header.infoSize = readU32(info);
    if (header.infoSize < kInfoHeaderSize) {
        return fail(error, "unsupported BMP information header (shorter than 40 bytes)");
    }
    if (header.infoSize > size - kFileHeaderSize) {
        return fail(error, "truncated BMP file (information header runs past the end)");
    }
    header.width = readI32(info + 4);
    header.height = readI32(info + 8);
    header.planes = readU16(info + 12);
    header.bitCount = readU16(info + 14);
    header.compression = readU32(info + 16);
    header.coloursUsed = readU32(info + 32);
    return true;
}

bool checkFormat(const Header& header, std::string& error) {
    if (header.bitCount != kBitsPerPixel) {
        error = "unsupported BMP bit depth " + std::to_string(header.bitCount) +
                " (needs 8 bits per pixel)";
        return false;
    }
    if (header.compression != kCompressionNone) {
        error = "unsupported BMP compression " + std::to_string(header.compression) +
                " (needs uncompressed pixels)";
        return false;
    }
    if (header.planes != 1) {
        return fail(error, "damaged BMP header (planes is not 1)");
    }
    const int64_t height = header.height;
    if (header.width <= 0 || height == 0 || header.width > kBmpMaxDimension ||
        height > kBmpMaxDimension || height < -int64_t{kBmpMaxDimension}) {
        error = "unusable BMP dimensions " + std::to_string(header.width) + " x " +
                std::to_string(header.height);
        return false;
    }
    if (header.coloursUsed > kMaxColours) {
        return fail(error, "damaged BMP colour table (more than 256 colours)");
    }
    return true;
}

// The table follows the information header; colours it does not list stay black.
bool readColourTable(const uint8_t* data, size_t size, const Header& header, BmpImage& image,
                     std::string& error) {
    const size_t count = header.coloursUsed == 0 ? kMaxColours : header.coloursUsed;
    const size_t start = kFileHeaderSize + header.infoSize;
    const size_t end = start + count * kColourEntrySize;
    if (end > size) {
        return fail(error, "truncated BMP file (colour table runs past the end)");
    }
    if (end > header.pixelOffset) {
        return fail(error, "damaged BMP file (pixel data overlaps the colour table)");
    }
    image.palette.fill(platform::PaletteEntry{});
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = data + start + i * kColourEntrySize;
        image.palette[i] = platform::PaletteEntry{entry[2], entry[1], entry[0], 0};
    }
    return true;
}

// Rows are padded to whole 32-bit words; bottom-up unless the height is negative.
bool readPixels(const uint8_t* data, size_t size, const Header& header, BmpImage& image,
                std::string& error) {
    const bool topDown = header.height < 0;
    const size_t width = static_cast<size_t>(header.width);
    const size_t height = static_cast<size_t>(topDown ? -int64_t{header.height} : header.height);
    const size_t stride = (width + 3) & ~size_t{3};
    if (header.pixelOffset > size || stride * height > size - header.pixelOffset) {
        return fail(error, "truncated BMP file (pixel data runs past the end)");
    }
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.pixels.assign(width * height, 0);
    for (size_t row = 0; row < height; ++row) {
        const size_t fileRow = topDown ? row : height - 1 - row;
        const uint8_t* source = data + header.pixelOffset + fileRow * stride;
        std::copy(source, source + width, image.pixels.begin() + row * width);
    }
    return true;
}

}  // namespace

bool decodeBmp(const uint8_t* data, size_t size, BmpImage& image, std::string& error) {
    Header header;
    if (!readHeader(data, size, header, error) || !checkFormat(header, error)) {
        return false;
    }
    BmpImage decoded;
    if (!readColourTable(data, size, header, decoded, error) ||
        !readPixels(data, size, header, decoded, error)) {
        return false;
    }
    image = std::move(decoded);
    return true;
}

bool readBmpFile(const std::string& path, BmpImage& image, std::string& error) {
    std::string bytes;
    if (!platform::readRegularFile(path, kMaxFileSize + 1, bytes, error)) {
        error = path + ": " + error;
        return false;
    }
    if (bytes.size() > kMaxFileSize) {
        error = path + ": the file is too large for a bitmap of the game";
        return false;
    }
    if (!decodeBmp(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}
