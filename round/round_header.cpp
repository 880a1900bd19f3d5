#include "round/round_header.h"

#include <cstdio>
#include <string_view>

namespace {

constexpr const char* kHeaderFormat = "ROUND %02d  WAIT %03d  TIME %05d";
constexpr int kHeaderX = 16;
constexpr int kHeaderY = 16;

enum HeaderField : int { FieldRound = 0, FieldWait = 1, FieldTime = 2 };

// One number of the header, in its own conversion of the header's format, drawn where the
// whole line puts it.
void drawHeaderField(Screen& screen, int field, int32_t value) {
    const std::string_view format = kHeaderFormat;
    size_t start = format.find('%');
    for (int k = 0; k < field; ++k) start = format.find('%', start + 1);
    const std::string_view conversion = format.substr(start, format.find('d', start) + 1 - start);
    char spec[8];
    std::snprintf(spec, sizeof spec, "%.*s", static_cast<int>(conversion.size()),
                  conversion.data());
    char text[16];
    std::snprintf(text, sizeof text, spec, value);
    const int x = kHeaderX + kGlyphCell * cellOfConversion(kHeaderFormat, field);
    screen.DrawColourText(SurfacePrimary, text, x, kHeaderY, kGlyphCell, kGlyphCell, kHeaderTile);
}

}  // namespace

void drawRoundHeader(Screen& screen, SurfaceId surface, int32_t round, int32_t wait, int32_t time) {
    char header[64];
    std::snprintf(header, sizeof header, kHeaderFormat, round + 1, wait, time);
    screen.DrawColourText(surface, header, kHeaderX, kHeaderY, kGlyphCell, kGlyphCell, kHeaderTile);
}

void drawHeaderWait(Screen& screen, int32_t wait) { drawHeaderField(screen, FieldWait, wait); }

void drawHeaderTime(Screen& screen, int32_t time) { drawHeaderField(screen, FieldTime, time); }
