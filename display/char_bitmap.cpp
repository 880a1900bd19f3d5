// Loading "char.bmp": its colour table becomes the game's palette and its pixels the glyphs
// and colour tiles on SurfaceChars. Each pixel keeps its palette index exactly; index 0 is the
// transparent key of every keyed copy and needs no setting up.

#include "display/bmp_reader.h"
#include "display/clip.h"
#include "display/screen.h"

bool Screen::LoadPalette(const std::string& path) {
    BmpImage image;
    std::string error;
    if (!readBmpFile(path, image, error)) {
        return false;
    }
    BasePalette = image.palette;
    LivePalette = image.palette;
    return true;
}

// The rectangle must lie inside the image; on the surface it is clipped like any copy.
bool Screen::LoadBitmap(const std::string& path, int width, int height, int x, int y, int srcX,
                        int srcY, SurfaceId destination, std::string& error) {
    BmpImage image;
    if (!readBmpFile(path, image, error)) {
        return false;
    }
    if (width < 0 || height < 0 || srcX < 0 || srcY < 0 || int64_t{srcX} + width > image.width ||
        int64_t{srcY} + height > image.height) {
        error = path + ": the image is " + std::to_string(image.width) + " x " +
                std::to_string(image.height) + ", too small for " + std::to_string(width) + " x " +
                std::to_string(height) + " pixels at (" + std::to_string(srcX) + ", " +
                std::to_string(srcY) + ")";
        return false;
    }
    CopyArea area;
    if (!clipBox(x, y, width, height, area)) {
        return true;
    }
    uint8_t* pixels = Pixels(destination);
    // The clipped box starts (area.dstX - x, area.dstY - y) into the rectangle.
    const int64_t fromX = srcX + (int64_t{area.dstX} - x);
    const int64_t fromY = srcY + (int64_t{area.dstY} - y);
    for (int row = 0; row < area.height; ++row) {
        for (int column = 0; column < area.width; ++column) {
            pixels[(area.dstY + row) * kSurfacePitch + area.dstX + column] =
                image.at(static_cast<int>(fromX + column), static_cast<int>(fromY + row));
        }
    }
    return true;
}

bool Screen::LoadChars(const std::string& path, std::string& error) {
    return LoadBitmap(path, kCharBitmapWidth, kCharBitmapHeight, 0, 0, 0, 0, SurfaceChars, error);
}
