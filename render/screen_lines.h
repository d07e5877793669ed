// Where the menu screens put their lines on the text plane: the frame draws them from this
// table, and a pointer's tap is matched against the same table, through the projection the
// view has at that moment, so that the two cannot drift apart.
#pragma once

#include <cstddef>
#include <cstdint>

struct ScreenLine {
    int32_t screen;
    const char* text; // null: player 0's name
    float x;
    float y;
    float size;
};

// Every screen's lines, each screen's selectable lines first (top to bottom, 0.1 apart from
// y = 0.3, where the cursor goes), then its captions.
extern const ScreenLine ScreenLines[];
extern const size_t ScreenLineEntries;

// The y of the cursor's line `line` on the text plane.
float MenuLineY(uint32_t line);

// The selectable line of the current screen (0 up to its ScreenLineCount) shown at the
// window point (`x`, `y`), in pixels from the top-left corner of the view that ResizeView was
// last given, or -1 where there is none: the gaps between the lines are shared out between
// them; the title, the credits and the rest of the window are no line. Reads the glyph
// advances of the outline font for the lines' lengths.
int32_t MenuLineAt(float x, float y);
