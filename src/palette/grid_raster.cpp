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

// One row of the area (`row` is a one-pixel-high rectangle), painted step by step.
template <class Pixel>
void paintRow(const std::vector<PaintStep>& plan, const Rect& row, Pixel background, Pixel frame,
              Pixel* out) {
    std::fill_n(out, row.width(), background);
    for (const PaintStep& step : plan) {
        const Rect& r = step.rect;
        if (r.empty() || r.bottom <= row.top || r.top >= row.bottom) continue;
        if (step.kind == PaintStep::Kind::fill) {
            fill(r, row, static_cast<Pixel>(step.index), out);
            continue;
        }
        // The outline inside the rectangle: first and last row, then first and last column.
        fill(Rect{r.left, r.top, r.right, r.top + 1}, row, frame, out);
        fill(Rect{r.left, r.bottom - 1, r.right, r.bottom}, row, frame, out);
        fill(Rect{r.left, r.top + 1, r.left + 1, r.bottom - 1}, row, frame, out);
        fill(Rect{r.right - 1, r.top + 1, r.right, r.bottom - 1}, row, frame, out);
    }
}

}  // namespace

// Rows between two consecutive edges of the plan's rectangles are alike: each band is
// painted in its first row, which is then copied down.
template <class Pixel>
void rasterisePaintPlan(const std::vector<PaintStep>& plan, const Rect& area, Pixel background,
                        Pixel frame, Pixel* out) {
    if (area.empty()) return;
    std::vector<int> edges{area.top, area.bottom};
    for (const PaintStep& step : plan) {
        edges.insert(edges.end(), {step.rect.top, step.rect.bottom});
        if (step.kind == PaintStep::Kind::frame)
            edges.insert(edges.end(), {step.rect.top + 1, step.rect.bottom - 1});
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    const std::size_t stride = static_cast<std::size_t>(area.width());
    for (std::size_t e = 0; e + 1 < edges.size(); ++e) {
        const int top = std::max(edges[e], area.top);
        const int bottom = std::min(edges[e + 1], area.bottom);
        if (top >= bottom) continue;
        Pixel* row = out + (top - area.top) * stride;
        paintRow(plan, Rect{area.left, top, area.right, top + 1}, background, frame, row);
        for (int y = top + 1; y < bottom; ++y) std::copy_n(row, stride, row + (y - top) * stride);
    }
}

template void rasterisePaintPlan<std::uint8_t>(const std::vector<PaintStep>&, const Rect&,
                                               std::uint8_t, std::uint8_t, std::uint8_t*);
template void rasterisePaintPlan<std::uint32_t>(const std::vector<PaintStep>&, const Rect&,
                                                std::uint32_t, std::uint32_t, std::uint32_t*);

}  // namespace vexa
