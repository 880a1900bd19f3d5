// The one display object: eight 640 x 480 surfaces of palette indices, a flip chain of two
// pages, the loaded and the live palette, and the drawing operations the game uses.
// Every operation writes palette indices only; colours exist only in the palettes and in the
// platform's present. Copies, text and figures that leave a surface are clipped.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "display/colours.h"
#include "platform/platform.h"

using platform::PaletteEntry;

// The character bitmap ("char.bmp"): its glyphs and colour tiles.
inline constexpr int kCharBitmapWidth = 512;
inline constexpr int kCharBitmapHeight = 96;

enum SurfaceId : int {
    SurfacePrimary = 0,  // the page being shown; during a round, the play field itself
    SurfaceBack = 1,     // the page the next Flip shows
    SurfaceChars = 2,  // the character bitmap, kCharBitmapWidth x kCharBitmapHeight at the top-left
    SurfacePage = 3,   // composed screens
    SurfaceOverlay = 4,  // effect drawings laid over the field with a keyed copy
    SurfaceSpare5 = 5,
    SurfaceSaved = 6,  // the visible page saved around an animation
    SurfaceSpare7 = 7,
};

inline constexpr int kSurfaceCount = 8;
inline constexpr int kScreenWidth = platform::kPageWidth;
inline constexpr int kScreenHeight = platform::kPageHeight;
inline constexpr int kSurfacePitch = kScreenWidth;
inline constexpr int kSurfaceBytes = kScreenWidth * kScreenHeight;

// Text placement: a position of -1 centres the text on the page; 16 x 16 is the font's own
// cell, used by every line of menu, table and panel text.
inline constexpr int kCentred = -1;
inline constexpr int kGlyphCell = 16;

// Where text centred on the page starts: `cells` cells of cellWidth across, or one cell of
// cellHeight down.
constexpr int64_t centredX(int64_t cells, int64_t cellWidth) {
    return kScreenWidth / 2 - cells * cellWidth / 2;
}
constexpr int64_t centredY(int64_t cellHeight) { return kScreenHeight / 2 - cellHeight / 2; }

// The n-th conversion (from 0) of a printf format: the cell at which it starts in the output
// and its width ("%03d": 3; none given: 1), when every conversion prints exactly its width.
struct FormatField {
    int cell = 0;
    int width = 0;
};
constexpr FormatField formatField(const char* format, int n) {
    int cell = 0;
    for (const char* c = format; *c != '\0'; ++c) {
        if (*c != '%') {
            cell += 1;
            continue;
        }
        int width = 0;
        for (++c; *c >= '0' && *c <= '9'; ++c) width = width * 10 + (*c - '0');
        width = width > 0 ? width : 1;
        if (n-- == 0) return {cell, width};
        cell += width;
    }
    return {cell, 0};
}

// Left, top, right, bottom; right and bottom exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    constexpr bool contains(int x, int y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
    // The rectangle with `by` more pixels on every side.
    constexpr Rect grown(int by) const { return {left - by, top - by, right + by, bottom + by}; }
};

// The size x size square whose top-left pixel is (x, y).
constexpr Rect squareAt(int x, int y, int size) { return {x, y, x + size, y + size}; }

// The whole page, and the play field inside its one-pixel frame (columns 0 and 639, rows 32
// and 415). Everything that moves on the field, and every copy of the field, keeps to kField.
inline constexpr Rect kPage{0, 0, kScreenWidth, kScreenHeight};
inline constexpr Rect kField{1, 33, 639, 415};
inline constexpr Rect kFieldFrame = kField.grown(1);

class Screen {
public:
    // Called while Flip and WaitVerticalBlank wait for the display: take pending events,
    // blocking for at most maxWaitMs. Returns false when waiting should stop at once
    // (Ctrl held). Left empty, the screen does not wait at all (tests of the display alone).
    using WaitHook = std::function<bool(uint32_t maxWaitMs)>;

    // --- pages and palettes -------------------------------------------------------------
    bool Open(platform::Platform& platform, std::string& error);
    void Close();
    bool IsOpen() const { return platform_ != nullptr; }
    void SetWaitHook(WaitHook hook) { waitHook_ = std::move(hook); }

    void Flip();               // exchanges the pages, presents, waits for the refresh
    void Clear(SurfaceId id);  // every pixel of the surface becomes 0
    void MapField();           // FieldPixels / FieldPitch := the page shown now
    void WaitVerticalBlank();  // returns at the next display refresh
    void ResetPalette();       // LivePalette := BasePalette, shown
    void ShadePaletteEntry(int index, int32_t delta);
    uint32_t PaletteRgb(int index) const;  // red + green * 256 + blue * 65536 of BasePalette

    // Presents the shown page when a refresh interval has passed since the last present;
    // the message pump calls it so that drawing straight onto the shown page appears.
    void PresentIfDue();
    // Presents the shown page now when a refresh interval will have passed since the last
    // present within the next `ms`: a wait about to start presents at its beginning, so
    // the present's time is taken from the wait instead of being added after it.
    void PresentIfDueWithin(uint32_t ms);
    void Present();

    uint8_t* Pixels(SurfaceId id);
    const uint8_t* Pixels(SurfaceId id) const;
    uint8_t Pixel(SurfaceId id, int x, int y) const { return Pixels(id)[y * kSurfacePitch + x]; }
    int ShownPage() const { return shownPage_; }

    // --- the character bitmap ("char.bmp") ---------------------------------------------
    // Reads the colour table into BasePalette and LivePalette (entries a short table does
    // not list are black); it shows with the next present. False, with nothing changed, when
    // the file cannot be read or is not an uncompressed 8-bit bitmap.
    bool LoadPalette(const std::string& path);
    // Copies width x height pixels at (srcX, srcY) of the image to (x, y) of the surface.
    // False, with a one-line reason, when the file is missing or not an uncompressed
    // 8-bit bitmap large enough for the rectangle.
    bool LoadBitmap(const std::string& path, int width, int height, int x, int y, int srcX,
                    int srcY, SurfaceId destination, std::string& error);
    // The character bitmap's kCharBitmapWidth x kCharBitmapHeight pixels to the top-left of
    // SurfaceChars (LoadBitmap's result).
    bool LoadChars(const std::string& path, std::string& error) {
        return LoadBitmap(path, kCharBitmapWidth, kCharBitmapHeight, 0, 0, 0, 0, SurfaceChars,
                          error);
    }

    // --- copies (1:1) -------------------------------------------------------------------
    void CopyRect(int x, int y, Rect source, SurfaceId destination, SurfaceId from);
    void CopyRectKeyed(int x, int y, Rect source, SurfaceId destination, SurfaceId from);
    void Copy(int x, int y, int srcX, int srcY, int width, int height, SurfaceId destination,
              SurfaceId from);
    void CopyKeyed(int x, int y, int srcX, int srcY, int width, int height, SurfaceId destination,
                   SurfaceId from);

    // --- text from the character bitmap ------------------------------------------------
    // x or y of -1 centres the text on the 640 x 480 page (not for PutGlyph, whose (x, y) is
    // always the top-left corner). Codes without a glyph leave their cell as it was.
    void DrawText(SurfaceId destination, const char* text, int x, int y, int cellWidth,
                  int cellHeight);
    void DrawChar(SurfaceId destination, char character, int x, int y, int cellWidth,
                  int cellHeight);
    void PutGlyph(SurfaceId destination, char character, int x, int y);
    void DrawColourText(SurfaceId destination, const char* text, int x, int y, int cellWidth,
                        int cellHeight, int tile);

    // --- figures (colours as PaletteRgb values, except FillCircle) ----------------------
    // Circles of radius 0 are the centre pixel; negative radii draw nothing.
    void DrawCircle(SurfaceId destination, int x, int y, int radius, uint32_t colour);
    void FillCircle(SurfaceId destination, int x, int y, int radius, int paletteIndex);
    void DrawLine(SurfaceId destination, int x1, int y1, int x2, int y2, uint32_t colour);
    void DrawFrame(SurfaceId destination, int left, int top, int right, int bottom,
                   uint32_t colour);
    void FillBox(SurfaceId destination, int x, int y, int width, int height, uint32_t colour);

    // The palette index whose BasePalette colour is the given PaletteRgb value (0 if none).
    uint8_t IndexOfColour(uint32_t colour) const;

    std::array<PaletteEntry, 256> BasePalette{};
    std::array<PaletteEntry, 256> LivePalette{};
    uint8_t* FieldPixels = nullptr;
    int32_t FieldPitch = kSurfacePitch;

private:
    void waitForRefresh(uint32_t since);

    platform::Platform* platform_ = nullptr;
    WaitHook waitHook_;
    int shownPage_ = 0;  // which of pages_[0], pages_[1] is SurfacePrimary
    uint32_t lastPresent_ = 0;
    std::array<std::array<uint8_t, kSurfaceBytes>, kSurfaceCount> pages_{};
};

// A region of one surface copied to the same place on another: the whole page, or the field
// (keyed: where the source holds ColourEmpty the destination stays as it was).
void copyPage(Screen& screen, SurfaceId destination, SurfaceId from);
void copyField(Screen& screen, SurfaceId destination, SurfaceId from);
void copyFieldKeyed(Screen& screen, SurfaceId destination, SurfaceId from);
// The page composed on SurfacePage copied whole to the back page and flipped into view.
void showPage(Screen& screen);
// The field's one-pixel frame (kFieldFrame) in ColourFrame.
void drawFieldFrame(Screen& screen, SurfaceId destination);
