// Painting with raw pixel values instead of colours. A tile painted with pixel value i
// holds i in the frame buffer and so shows whatever colour the installed colormap has at
// i, live, with no repaint. Both draw on FLTK's current drawable (inside a widget's draw(),
// or after make_current()), through its graphics context and clip region; FLTK's own
// current colour is put back afterwards.
#pragma once

#include <cstdint>

namespace vexa {

// Fills the rectangle at (x, y) of width w and height h with `pixel`; nothing when w or h
// is 0 or less.
void fillPixelRect(int x, int y, int w, int h, unsigned long pixel);

// The screen's black pixel, for outlines.
unsigned long blackPixel();

// Draws the one-pixel outline that lies inside that rectangle (its first and last row and
// column) with `pixel`; nothing when w or h is 0 or less.
void framePixelRect(int x, int y, int w, int h, unsigned long pixel);

// The pixel value with which FLTK paints its colour `colour` (an Fl_Color).
unsigned long fltkColourPixel(unsigned int colour);

// True when the current drawable's images hold one byte per pixel (a screen of 8 bits or
// fewer per pixel), so that putPixelBlock can take bytes.
bool pixelsFitInBytes();

// Puts a w x h block of pixel values, given row by row, at (x, y) of the current drawable
// with one request, through the clip region; nothing when w or h is 0 or less. The byte
// form needs pixelsFitInBytes().
void putPixelBlock(int x, int y, int w, int h, const std::uint8_t* pixels);
void putPixelBlock(int x, int y, int w, int h, const std::uint32_t* pixels);

}  // namespace vexa
