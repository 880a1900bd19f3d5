#include "menus/menu.h"

void drawMenuPointer(Screen& screen, SurfaceId surface, const MenuLayout& menu, int row,
                     bool shown) {
    screen.DrawChar(surface, shown ? kMenuPointer : ' ', menu.pointerX, menu.rowY(row), kGlyphCell,
                    kGlyphCell);
}

void moveMenuPointer(Screen& screen, SurfaceId surface, const MenuLayout& menu, int32_t& cursor,
                     int delta) {
    drawMenuPointer(screen, surface, menu, cursor, false);
    cursor = (cursor + delta) % menu.rows;
    if (cursor < 0) cursor += menu.rows;
    drawMenuPointer(screen, surface, menu, cursor, true);
}
