// The pixels a paint plan leaves in a block of the client area, computed in memory so that
// the block can go to the screen as one image. Tile i holds pixel value i, frames hold the
// frame pixel, the rest of the block the background pixel; later steps paint over earlier
// ones as they would on the screen.
#pragma once

#include <cstdint>
#include <vector>

#include "palette/grid_geometry.h"

namespace vexa {

// Fills `out` (area.width() x area.height() values, row by row) for the client rectangle
// `area`. Pixel is std::uint8_t (a screen of up to 8 bits per pixel) or std::uint32_t.
template <class Pixel>
void rasterisePaintPlan(const std::vector<PaintStep>& plan, const Rect& area, Pixel background,
                        Pixel frame, Pixel* out);

extern template void rasterisePaintPlan<std::uint8_t>(const std::vector<PaintStep>&, const Rect&,
                                                      std::uint8_t, std::uint8_t, std::uint8_t*);
extern template void rasterisePaintPlan<std::uint32_t>(const std::vector<PaintStep>&, const Rect&,
                                                       std::uint32_t, std::uint32_t,
                                                       std::uint32_t*);

}  // namespace vexa
