// Text from the character bitmap on SurfaceChars. Each character fills one cell of
// cellWidth x cellHeight with its 16 x 16 glyph (or a colour tile) scaled so that cell pixel
// (dx, dy) shows glyph pixel (16 * dx / cellWidth, 16 * dy / cellHeight). Character codes are
// signed bytes; a code that has no glyph in the set being drawn leaves its cell untouched, but
// the cell is still counted. Cells that leave the destination are clipped.

#include <algorithm>
#include <cstring>

#include "display/screen.h"

namespace {

constexpr int kGlyphSize = 16;
constexpr int kGlyphsPerRow = 16;
constexpr int kFirstCode = 32;        // the space
constexpr int kLastPlainCode = 127;   // the plain set holds 32..127
constexpr int kLastStencilCode = 95;  // the stencil set holds 32..95
constexpr int kStencilLeft = 256;     // the stencil set lies beside the plain set
constexpr int kTileLeft = 256;        // colour tile k is at (256 + 16 * k, 64)
constexpr int kTileTop = 64;

struct GlyphPlace {
    int x = 0;
    int y = 0;
};

int codeOf(char character) { return static_cast<signed char>(character); }

GlyphPlace glyphPlace(int code, int setLeft) {
    const int position = code - kFirstCode;
    return GlyphPlace{setLeft + kGlyphSize * (position % kGlyphsPerRow),
                      kGlyphSize * (position / kGlyphsPerRow)};
}

bool hasPlainGlyph(int code) { return code >= kFirstCode && code <= kLastPlainCode; }
bool hasStencilGlyph(int code) { return code >= kFirstCode && code <= kLastStencilCode; }

// A text's first cell, 64-bit so that no placement of long texts or large cells overflows.
struct TextOrigin {
    int64_t x = 0;
    int64_t y = 0;
};

TextOrigin placeText(size_t length, int x, int y, int cellWidth, int cellHeight) {
    TextOrigin origin{x, y};
    if (x == kCentred) {
        origin.x = centredX(static_cast<int64_t>(length), cellWidth);
    }
    if (y == kCentred) {
        origin.y = centredY(cellHeight);
    }
    return origin;
}

// One cell of a text on a surface.
struct Cell {
    int64_t x = 0;
    int64_t y = 0;
    int width = 0;
    int height = 0;
};

// Draws a 16 x 16 block of the character bitmap scaled into the cell, clipped to the page.
// Keyed, index 0 of the block leaves the destination as it was.
void drawBlock(uint8_t* destination, const uint8_t* chars, const Cell& cell, GlyphPlace block,
               bool keyed) {
    if (cell.width <= 0 || cell.height <= 0) {
        return;
    }
    const int64_t firstRow = std::max<int64_t>(0, -cell.y);
    const int64_t endRow = std::min<int64_t>(cell.height, kScreenHeight - cell.y);
    const int64_t firstColumn = std::max<int64_t>(0, -cell.x);
    const int64_t endColumn = std::min<int64_t>(cell.width, kScreenWidth - cell.x);
    for (int64_t dy = firstRow; dy < endRow; ++dy) {
        const int64_t sourceRow = block.y + kGlyphSize * dy / cell.height;
        const uint8_t* from = chars + sourceRow * kSurfacePitch + block.x;
        uint8_t* to = destination + (cell.y + dy) * kSurfacePitch + cell.x;
        for (int64_t dx = firstColumn; dx < endColumn; ++dx) {
            const uint8_t pixel = from[kGlyphSize * dx / cell.width];
            if (!keyed || pixel != ColourEmpty) {
                to[dx] = pixel;
            }
        }
    }
}

Cell cellOf(const TextOrigin& origin, size_t index, int cellWidth, int cellHeight) {
    return Cell{origin.x + static_cast<int64_t>(index) * cellWidth, origin.y, cellWidth,
                cellHeight};
}

}  // namespace

void Screen::DrawText(SurfaceId destination, const char* text, int x, int y, int cellWidth,
                      int cellHeight) {
    if (text == nullptr) {
        return;
    }
    const size_t length = std::strlen(text);
    const TextOrigin origin = placeText(length, x, y, cellWidth, cellHeight);
    for (size_t i = 0; i < length; ++i) {
        const int code = codeOf(text[i]);
        if (hasPlainGlyph(code)) {
            drawBlock(Pixels(destination), Pixels(SurfaceChars),
                      cellOf(origin, i, cellWidth, cellHeight), glyphPlace(code, 0), false);
        }
    }
}

void Screen::DrawChar(SurfaceId destination, char character, int x, int y, int cellWidth,
                      int cellHeight) {
    const char text[2] = {character, '\0'};
    DrawText(destination, text, x, y, cellWidth, cellHeight);
}

// The glyph's own 16 x 16 pixels at (x, y); here -1 is a position like any other.
void Screen::PutGlyph(SurfaceId destination, char character, int x, int y) {
    const int code = codeOf(character);
    if (!hasPlainGlyph(code)) {
        return;
    }
    const GlyphPlace glyph = glyphPlace(code, 0);
    Copy(x, y, glyph.x, glyph.y, kGlyphSize, kGlyphSize, destination, SurfaceChars);
}

// Colour text: every cell first gets the colour tile (a space gets the plain space glyph
// instead, which erases), then every character's stencil glyph is laid over it with key 0,
// so the tile shows through the stencil's index-0 pixels. All tiles go down before the
// first stencil.
void Screen::DrawColourText(SurfaceId destination, const char* text, int x, int y, int cellWidth,
                            int cellHeight, int tile) {
    if (text == nullptr) {
        return;
    }
    const size_t length = std::strlen(text);
    const TextOrigin origin = placeText(length, x, y, cellWidth, cellHeight);
    uint8_t* to = Pixels(destination);
    const uint8_t* chars = Pixels(SurfaceChars);
    const bool tileExists = tile >= 0 && tile < kColourTiles;
    const GlyphPlace tilePlace{kTileLeft + kGlyphSize * tile, kTileTop};
    for (size_t i = 0; i < length; ++i) {
        const int code = codeOf(text[i]);
        const Cell cell = cellOf(origin, i, cellWidth, cellHeight);
        if (code == kFirstCode) {
            drawBlock(to, chars, cell, glyphPlace(code, 0), false);
        } else if (hasStencilGlyph(code) && tileExists) {
            drawBlock(to, chars, cell, tilePlace, false);
        }
    }
    for (size_t i = 0; i < length; ++i) {
        const int code = codeOf(text[i]);
        if (hasStencilGlyph(code)) {
            drawBlock(to, chars, cellOf(origin, i, cellWidth, cellHeight),
                      glyphPlace(code, kStencilLeft), true);
        }
    }
}
