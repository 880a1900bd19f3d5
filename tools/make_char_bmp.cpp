// make_char_bmp: builds the game's character bitmap "char.bmp" from the text sources beside
// this file: font.txt (the pixel font) and palette.txt (the palette, the glyph colours and
// the colour tiles).
//
//   make_char_bmp <tools dir> <output path>
//
// The result is a 512 x 96 uncompressed Windows bitmap, 8 bits per pixel, with a 40-byte
// information header and a full 256-entry colour table (the game reads its palette from
// byte 54 and the pixels start at byte 1078). Layout, x right and y down:
//   plain glyphs    x 0..255,   y 0..95   codes 32..127, 16 per row, ink on index 0
//   stencil glyphs  x 256..511, y 0..63   codes 32..95, index 0 is the letter (transparent)
//   colour tiles    x 256+16k,  y 64..79  tile k = 0..15
//   unused          x 256..511, y 80..95  index 0
// The output depends on nothing but the sources, so the committed asset can be checked by
// building it again.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kImageWidth = 512;
constexpr int kImageHeight = 96;
constexpr int kCell = 16;
constexpr int kCellsPerRow = 16;
constexpr int kFirstCode = 32;
constexpr int kLastPlainCode = 127;
constexpr int kLastStencilCode = 95;
constexpr int kStencilX = 256;
constexpr int kTileY = 64;
constexpr int kTileCount = 16;
constexpr int kColourCount = 256;

// Glyph art: 7 rows of at most 7 cells; each cell is drawn as 2 x 2 pixels, so a glyph is
// 14 pixels tall and stands on pixel rows 1..14 of its cell, centred across it (the
// emboldening adds one pixel on the right).
constexpr int kArtRows = 7;
constexpr int kArtMaxWidth = 7;
constexpr int kGlyphTop = 1;
constexpr int kInkRows = 2 * kArtRows;

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr int kColourTableOffset = kFileHeaderSize + kInfoHeaderSize;  // 54
constexpr int kPixelOffset = kColourTableOffset + 4 * kColourCount;    // 1078
constexpr int kPixelsPerMetre = 2835;                                  // 72 dpi

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

struct IndexRun {
    int first = -1;
    int count = 0;
    bool given() const { return first >= 0; }
    // Entry for row `row` of `rows`, the rows spread evenly over the run.
    int at(int row, int rows) const { return first + row * count / rows; }
};

struct Palette {
    std::array<Rgb, kColourCount> colours{};
    std::array<bool, kColourCount> given{};
    IndexRun plainInk;
    int plainShadow = -1;
    int stencilBack = -1;
    int stencilShadow = -1;
    std::array<IndexRun, kTileCount> tiles{};
};

struct GlyphArt {
    bool defined = false;
    std::vector<std::string> rows;
    int width() const { return rows.empty() ? 0 : static_cast<int>(rows[0].size()); }
};

using Font = std::array<GlyphArt, kLastPlainCode + 1>;
using GlyphMask = std::array<std::array<bool, kCell>, kCell>;  // [y][x], true = ink
using Image = std::vector<uint8_t>;                            // top row first

// Reports a fault in a source file and yields false for the caller to return.
bool fail(const std::string& where, int line, const std::string& what) {
    std::fprintf(stderr, "make_char_bmp: %s:%d: %s\n", where.c_str(), line, what.c_str());
    return false;
}

// ----- palette.txt ------------------------------------------------------------------------

// Drops a comment: '#' at the start of the line or after white space, but not "#RRGGBB".
std::string stripComment(const std::string& line) {
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '#') continue;
        bool startsWord = i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t';
        bool isColour = i + 7 <= line.size() &&
                        line.find_first_not_of("0123456789abcdefABCDEF", i + 1) >= i + 7;
        if (startsWord && !isColour) return line.substr(0, i);
    }
    return line;
}

bool parseColour(const std::string& word, Rgb& colour) {
    if (word.size() != 7 || word[0] != '#') return false;
    if (word.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos) return false;
    unsigned value = std::stoul(word.substr(1), nullptr, 16);
    colour = {static_cast<int>(value >> 16), static_cast<int>((value >> 8) & 0xFF),
              static_cast<int>(value & 0xFF)};
    return true;
}

bool validIndex(int index) { return index >= 0 && index < kColourCount; }

bool giveEntry(Palette& palette, int index, Rgb colour, const std::string& where, int line) {
    if (!validIndex(index)) return fail(where, line, "palette index out of range");
    if (palette.given[index])
        return fail(where, line, "palette index " + std::to_string(index) + " given twice");
    palette.colours[index] = colour;
    palette.given[index] = true;
    return true;
}

// Blends evenly through the stops: entry 0 is the first stop, the last entry the last stop.
Rgb blendStops(const std::vector<Rgb>& stops, int entry, int count) {
    if (stops.size() == 1 || count == 1) return stops[0];
    int segments = static_cast<int>(stops.size()) - 1;
    int den = count - 1;
    int num = entry * segments;
    int seg = num / den;
    int rem = num % den;
    if (seg == segments) return stops.back();
    auto mix = [&](int a, int b) { return (a * (den - rem) + b * rem + den / 2) / den; };
    const Rgb& a = stops[seg];
    const Rgb& b = stops[seg + 1];
    return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

bool parseRamp(std::istringstream& in, Palette& palette, const std::string& where, int line) {
    int first = -1, count = 0;
    in >> first >> count;
    std::vector<Rgb> stops;
    for (std::string word; in >> word;) {
        Rgb colour;
        if (!parseColour(word, colour)) return fail(where, line, "bad colour " + word);
        stops.push_back(colour);
    }
    if (count < 1 || stops.empty()) return fail(where, line, "ramp needs a count and colours");
    for (int i = 0; i < count; ++i)
        if (!giveEntry(palette, first + i, blendStops(stops, i, count), where, line)) return false;
    return true;
}

bool colourInUse(const Palette& palette, Rgb colour) {
    for (int i = 0; i < kColourCount; ++i)
        if (palette.given[i] && palette.colours[i] == colour) return true;
    return false;
}

// Gives every remaining entry, lowest index first, the next colour of the 6 x 6 x 6 cube
// (levels 0, 51, ..., 255) that no entry has yet.
bool fillRemaining(Palette& palette, const std::string& where, int line) {
    int index = 0;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) {
                Rgb colour{51 * r, 51 * g, 51 * b};
                if (colourInUse(palette, colour)) continue;
                while (index < kColourCount && palette.given[index]) ++index;
                if (index == kColourCount) return true;
                palette.colours[index] = colour;
                palette.given[index] = true;
            }
    while (index < kColourCount && palette.given[index]) ++index;
    return index == kColourCount || fail(where, line, "fill ran out of colours");
}

bool parseIndexRole(std::istringstream& in, int& role, const std::string& where, int line) {
    in >> role;
    return validIndex(role) || fail(where, line, "palette index out of range");
}

bool parseRun(std::istringstream& in, IndexRun& run, const std::string& where, int line) {
    in >> run.first >> run.count;
    if (!validIndex(run.first) || run.count < 1 || !validIndex(run.first + run.count - 1))
        return fail(where, line, "index run out of range");
    return true;
}

bool parsePaletteLine(const std::string& text, Palette& palette, const std::string& where,
                      int line) {
    std::istringstream in(stripComment(text));
    std::string keyword;
    if (!(in >> keyword)) return true;
    if (keyword == "set") {
        int index = -1;
        std::string word;
        Rgb colour;
        in >> index >> word;
        if (!parseColour(word, colour)) return fail(where, line, "bad colour " + word);
        return giveEntry(palette, index, colour, where, line);
    }
    if (keyword == "ramp") return parseRamp(in, palette, where, line);
    if (keyword == "fill") return fillRemaining(palette, where, line);
    if (keyword == "plain_ink") return parseRun(in, palette.plainInk, where, line);
    if (keyword == "plain_shadow") return parseIndexRole(in, palette.plainShadow, where, line);
    if (keyword == "stencil_back") return parseIndexRole(in, palette.stencilBack, where, line);
    if (keyword == "stencil_shadow") return parseIndexRole(in, palette.stencilShadow, where, line);
    if (keyword == "tile") {
        int k = -1;
        in >> k;
        if (k < 0 || k >= kTileCount) return fail(where, line, "tile number out of range");
        return parseRun(in, palette.tiles[k], where, line);
    }
    return fail(where, line, "unknown statement " + keyword);
}

// Every entry given, every colour once, every role named, and nothing drawn in index 0
// except where the artwork means "empty".
bool checkPalette(const Palette& palette, const std::string& where) {
    for (int i = 0; i < kColourCount; ++i) {
        if (!palette.given[i])
            return fail(where, 0, "palette index " + std::to_string(i) + " not given");
        for (int j = 0; j < i; ++j)
            if (palette.colours[i] == palette.colours[j])
                return fail(where, 0,
                            "indices " + std::to_string(j) + " and " + std::to_string(i) +
                                " share a colour");
    }
    if (!palette.plainInk.given() || palette.plainShadow <= 0 || palette.stencilBack <= 0 ||
        palette.stencilShadow <= 0 || palette.plainInk.first == 0)
        return fail(where, 0, "glyph colours missing or 0");
    for (int k = 0; k < kTileCount; ++k)
        if (!palette.tiles[k].given() || palette.tiles[k].first == 0)
            return fail(where, 0, "tile " + std::to_string(k) + " missing or uses index 0");
    return true;
}

bool readPalette(const std::string& path, Palette& palette) {
    std::ifstream file(path);
    if (!file) return fail(path, 0, "cannot open");
    std::string text;
    for (int line = 1; std::getline(file, text); ++line)
        if (!parsePaletteLine(text, palette, path, line)) return false;
    return checkPalette(palette, path);
}

// ----- font.txt ---------------------------------------------------------------------------

bool validArtRow(const std::string& row) {
    return !row.empty() && row.size() <= kArtMaxWidth &&
           row.find_first_not_of("#.") == std::string::npos;
}

bool readGlyphRows(std::ifstream& file, GlyphArt& glyph, const std::string& where, int& line) {
    glyph.rows.clear();
    for (int r = 0; r < kArtRows; ++r) {
        std::string row;
        ++line;
        if (!std::getline(file, row)) return fail(where, line, "glyph ends early");
        if (!validArtRow(row) || (r > 0 && row.size() != glyph.rows[0].size()))
            return fail(where, line, "bad glyph row '" + row + "'");
        glyph.rows.push_back(row);
    }
    glyph.defined = true;
    return true;
}

bool validCode(int code) { return code >= kFirstCode && code <= kLastPlainCode; }

bool readFont(const std::string& path, Font& font) {
    std::ifstream file(path);
    if (!file) return fail(path, 0, "cannot open");
    std::string text;
    for (int line = 1; std::getline(file, text); ++line) {
        std::istringstream in(text);
        std::string keyword;
        if (!(in >> keyword) || keyword[0] == '#') continue;
        int code = -1;
        in >> code;
        if (!validCode(code)) return fail(path, line, "character code out of range");
        if (font[code].defined) return fail(path, line, "glyph given twice");
        if (keyword == "glyph") {
            if (!readGlyphRows(file, font[code], path, line)) return false;
        } else if (keyword == "same") {
            int model = -1;
            in >> model;
            if (!validCode(model) || !font[model].defined)
                return fail(path, line, "'same' needs a glyph drawn above it");
            font[code] = font[model];
        } else {
            return fail(path, line, "unknown statement " + keyword);
        }
    }
    for (int code = kFirstCode; code <= kLastPlainCode; ++code)
        if (!font[code].defined) return fail(path, 0, "no glyph for code " + std::to_string(code));
    return true;
}

// ----- glyph shapes -----------------------------------------------------------------------

bool artInk(const GlyphArt& glyph, int x, int y) {
    if (x < 0 || y < 0 || x >= glyph.width() || y >= kArtRows) return false;
    return glyph.rows[y][x] == '#';
}

// Doubles the art with the Scale2x rule: every art cell becomes 2 x 2 pixels, and a pixel
// at a corner takes the colour of its two outer neighbours when they agree and the other
// two differ. Diagonal strokes come out as smooth 2-pixel lines, outer corners are cut and
// inner corners filled, while straight strokes stay square.
GlyphMask shapeGlyph(const GlyphArt& glyph) {
    GlyphMask mask{};
    int left = (kCell - 2 * glyph.width()) / 2;
    for (int y = 0; y < kArtRows; ++y)
        for (int x = 0; x < glyph.width(); ++x) {
            bool p = artInk(glyph, x, y);
            bool up = artInk(glyph, x, y - 1), down = artInk(glyph, x, y + 1);
            bool lft = artInk(glyph, x - 1, y), rgt = artInk(glyph, x + 1, y);
            bool topLeft = (lft == up && lft != down && up != rgt) ? up : p;
            bool topRight = (up == rgt && up != lft && rgt != down) ? rgt : p;
            bool bottomLeft = (down == lft && down != rgt && lft != up) ? lft : p;
            bool bottomRight = (rgt == down && rgt != up && down != lft) ? down : p;
            int px = left + 2 * x, py = kGlyphTop + 2 * y;
            mask[py][px] = topLeft;
            mask[py][px + 1] = topRight;
            mask[py + 1][px] = bottomLeft;
            mask[py + 1][px + 1] = bottomRight;
        }
    return mask;
}

// Heavy face: every ink pixel also inks the pixel to its right, so upright strokes are 3
// pixels and level ones 2. The glyph grows by one pixel to the right; the left column of
// the cell stays empty, which keeps neighbouring letters apart.
GlyphMask embolden(const GlyphMask& mask) {
    GlyphMask bold = mask;
    for (int y = 0; y < kCell; ++y)
        for (int x = 1; x < kCell; ++x) bold[y][x] = mask[y][x] || mask[y][x - 1];
    return bold;
}

// The pixel one step up and left is ink: this pixel lies in the drop shadow.
bool inShadow(const GlyphMask& mask, int x, int y) { return x > 0 && y > 0 && mask[y - 1][x - 1]; }

void put(Image& image, int x, int y, uint8_t index) { image[y * kImageWidth + x] = index; }

int cellX(int code) { return kCell * ((code - kFirstCode) % kCellsPerRow); }
int cellY(int code) { return kCell * ((code - kFirstCode) / kCellsPerRow); }

// Plain glyph: ink in the chrome gradient, a drop shadow, index 0 around them.
void drawPlainGlyph(Image& image, const Palette& palette, int code, const GlyphMask& mask) {
    for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kCell; ++x) {
            uint8_t index = 0;
            if (mask[y][x]) {
                int row = std::clamp(y - kGlyphTop, 0, kInkRows - 1);
                index = static_cast<uint8_t>(palette.plainInk.at(row, kInkRows));
            } else if (inShadow(mask, x, y)) {
                index = static_cast<uint8_t>(palette.plainShadow);
            }
            put(image, cellX(code) + x, cellY(code) + y, index);
        }
}

// Stencil glyph: the letter is index 0, so the colour tile below shows through it; the rest
// of the cell covers the tile. The space stays all 0 (fully transparent).
void drawStencilGlyph(Image& image, const Palette& palette, int code, const GlyphMask& mask) {
    for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kCell; ++x) {
            uint8_t index = 0;
            if (code != ' ' && !mask[y][x])
                index = static_cast<uint8_t>(inShadow(mask, x, y) ? palette.stencilShadow
                                                                  : palette.stencilBack);
            put(image, kStencilX + cellX(code) + x, cellY(code) + y, index);
        }
}

void drawTile(Image& image, const Palette& palette, int k) {
    for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kCell; ++x)
            put(image, kStencilX + kCell * k + x, kTileY + y,
                static_cast<uint8_t>(palette.tiles[k].at(y, kCell)));
}

Image drawArtwork(const Font& font, const Palette& palette) {
    Image image(kImageWidth * kImageHeight, 0);
    for (int code = kFirstCode; code <= kLastPlainCode; ++code) {
        GlyphMask mask = embolden(shapeGlyph(font[code]));
        if (code == ' ') mask = GlyphMask{};
        drawPlainGlyph(image, palette, code, mask);
        if (code <= kLastStencilCode) drawStencilGlyph(image, palette, code, mask);
    }
    for (int k = 0; k < kTileCount; ++k) drawTile(image, palette, k);
    return image;
}

// ----- char.bmp ---------------------------------------------------------------------------

void putLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::vector<uint8_t> encodeBmp(const Image& image, const Palette& palette) {
    const uint32_t pixelBytes = kImageWidth * kImageHeight;  // 512 is a multiple of 4
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    putLe(out, kPixelOffset + pixelBytes, 4);  // file size
    putLe(out, 0, 4);                          // reserved
    putLe(out, kPixelOffset, 4);
    putLe(out, kInfoHeaderSize, 4);
    putLe(out, kImageWidth, 4);
    putLe(out, kImageHeight, 4);  // positive: rows stored bottom-up
    putLe(out, 1, 2);             // planes
    putLe(out, 8, 2);             // bits per pixel
    putLe(out, 0, 4);             // BI_RGB, no compression
    putLe(out, pixelBytes, 4);
    putLe(out, kPixelsPerMetre, 4);
    putLe(out, kPixelsPerMetre, 4);
    putLe(out, kColourCount, 4);  // colours used
    putLe(out, 0, 4);             // all colours important
    for (const Rgb& c : palette.colours) {
        out.push_back(static_cast<uint8_t>(c.b));
        out.push_back(static_cast<uint8_t>(c.g));
        out.push_back(static_cast<uint8_t>(c.r));
        out.push_back(0);
    }
    for (int y = kImageHeight - 1; y >= 0; --y)
        out.insert(out.end(), image.begin() + y * kImageWidth,
                   image.begin() + (y + 1) * kImageWidth);
    return out;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    return file.good() || fail(path, 0, "cannot write");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_char_bmp <tools dir> <output path>\n");
        return 2;
    }
    std::string dir = argv[1];
    auto palette = std::make_unique<Palette>();
    auto font = std::make_unique<Font>();
    if (!readPalette(dir + "/palette.txt", *palette)) return 1;
    if (!readFont(dir + "/font.txt", *font)) return 1;
    Image image = drawArtwork(*font, *palette);
    return writeFile(argv[2], encodeBmp(image, *palette)) ? 0 : 1;
}
