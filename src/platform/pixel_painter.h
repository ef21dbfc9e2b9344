// Painting with raw pixel values instead of colours. A tile painted with pixel value i
// holds i in the frame buffer and so shows whatever colour the installed colormap has at
// i, live, with no repaint. Both draw on FLTK's current drawable (inside a widget's draw(),
// or after make_current()), through its graphics context and clip region; FLTK's own
// current colour is put back afterwards.
#pragma once

namespace vexa {

// Fills the rectangle at (x, y) of width w and height h with `pixel`; nothing when w or h
// is 0 or less.
void fillPixelRect(int x, int y, int w, int h, unsigned long pixel);

// The screen's black pixel, for outlines.
unsigned long blackPixel();

// Draws the one-pixel outline that lies inside that rectangle (its first and last row and
// column) with `pixel`; nothing when w or h is 0 or less.
void framePixelRect(int x, int y, int w, int h, unsigned long pixel);

}  // namespace vexa
