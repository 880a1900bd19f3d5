#include "round/round_header.h"

#include <cstdio>

namespace {

constexpr const char* kHeaderFormat = "ROUND %02d  WAIT %03d  TIME %05d";
constexpr int kHeaderX = 16;
constexpr int kHeaderY = 16;

enum HeaderField : int { FieldRound = 0, FieldWait = 1, FieldTime = 2 };

// One number of the header (all are zero-padded), drawn where the whole line puts it.
void drawHeaderField(Screen& screen, int field, int32_t value) {
    const FormatField place = formatField(kHeaderFormat, field);
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", place.width, value);
    const int x = kHeaderX + kGlyphCell * place.cell;
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
