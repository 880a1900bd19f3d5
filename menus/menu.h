// What the title and the option menu share: a column of rows with a pointer ('>') left of
// the chosen one, which Up and Down move round the rows.
#pragma once

#include <cstdint>

#include "display/screen.h"

struct MenuLayout {
    int rows;
    int textX;     // where every row's text starts
    int pointerX;  // where the pointer stands
    int top;       // the first row's y
    int spacing;   // from one row to the next

    constexpr int rowY(int row) const { return top + spacing * row; }
};

inline constexpr char kMenuPointer = '>';

// Draws the pointer at the row, or erases it there (a blank glyph).
void drawMenuPointer(Screen& screen, SurfaceId surface, const MenuLayout& menu, int row,
                     bool shown);
// Moves the pointer one row (delta -1 or +1), wrapping round the rows: erased at the old
// row, drawn at the new one.
void moveMenuPointer(Screen& screen, SurfaceId surface, const MenuLayout& menu, int32_t& cursor,
                     int delta);
