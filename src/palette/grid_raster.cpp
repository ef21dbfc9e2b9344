#include "palette/grid_raster.h"

#include <algorithm>

namespace vexa {
namespace {

Rect intersect(const Rect& a, const Rect& b) {
    return Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

template <class Pixel>
void fill(const Rect& rect, const Rect& area, Pixel value, Pixel* out) {
    const Rect r = intersect(rect, area);
    if (r.empty()) return;
    const int stride = area.width();
    for (int y = r.top; y < r.bottom; ++y)
        std::fill_n(out + (y - area.top) * stride + (r.left - area.left), r.width(), value);
}

}  // namespace

template <class Pixel>
void rasterisePaintPlan(const std::vector<PaintStep>& plan, const Rect& area, Pixel background,
                        Pixel frame, Pixel* out) {
    if (area.empty()) return;
    std::fill_n(out, static_cast<std::size_t>(area.width()) * area.height(), background);
    for (const PaintStep& step : plan) {
        const Rect& r = step.rect;
        if (r.empty()) continue;
        if (step.kind == PaintStep::Kind::fill) {
            fill(r, area, static_cast<Pixel>(step.index), out);
            continue;
        }
        // The outline inside the rectangle: first and last row, then first and last column.
        fill(Rect{r.left, r.top, r.right, r.top + 1}, area, frame, out);
        fill(Rect{r.left, r.bottom - 1, r.right, r.bottom}, area, frame, out);
        fill(Rect{r.left, r.top + 1, r.left + 1, r.bottom - 1}, area, frame, out);
        fill(Rect{r.right - 1, r.top + 1, r.right, r.bottom - 1}, area, frame, out);
    }
}

template void rasterisePaintPlan<std::uint8_t>(const std::vector<PaintStep>&, const Rect&,
                                               std::uint8_t, std::uint8_t, std::uint8_t*);
template void rasterisePaintPlan<std::uint32_t>(const std::vector<PaintStep>&, const Rect&,
                                                std::uint32_t, std::uint32_t, std::uint32_t*);

}  // namespace vexa
