// Painting with raw pixel values instead of colours. A tile painted with pixel value i
// holds i in the frame buffer and so shows whatever colour the installed colormap has at
// i, live, with no repaint. Blocks go to the toolkit's current drawable (inside a widget's
// draw(), or after make_current()), through its graphics context and clip region.
#pragma once

#include <cstdint>

namespace vexa {

// The screen's black pixel, for outlines.
unsigned long blackPixel();

// The pixel value with which the toolkit paints its colour number `colour`.
unsigned long interfaceColourPixel(unsigned int colour);

// True when the current drawable's images hold one byte per pixel (a screen of 8 bits or
// fewer per pixel), so that putPixelBlock can take bytes.
bool pixelsFitInBytes();

// Puts a w x h block of pixel values, given row by row, at (x, y) of the current drawable
// with one request, through the clip region; nothing when w or h is 0 or less. The byte
// form needs pixelsFitInBytes().
void putPixelBlock(int x, int y, int w, int h, const std::uint8_t* pixels);
void putPixelBlock(int x, int y, int w, int h, const std::uint32_t* pixels);

}  // namespace vexa
