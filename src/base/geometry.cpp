#include "base/geometry.h"

namespace vexa {
namespace {

void offset(Rect& r, std::int32_t dx, std::int32_t dy) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
}

}  // namespace

void clampToDesktop(Rect& r, const Rect& desktop) {
    if (r.right > desktop.right) offset(r, desktop.right - r.right, 0);
    if (r.left < desktop.left) offset(r, desktop.left - r.left, 0);
    if (r.bottom > desktop.bottom) offset(r, 0, desktop.bottom - r.bottom);
    if (r.top < desktop.top) offset(r, 0, desktop.top - r.top);
}

void enlargeAroundCentre(Rect& r, std::int32_t minWidth, std::int32_t minHeight) {
    if (r.width() < minWidth) {
        r.left -= (minWidth - r.width()) / 2;
        r.right = r.left + minWidth;
    }
    if (r.height() < minHeight) {
        r.top -= (minHeight - r.height()) / 2;
        r.bottom = r.top + minHeight;
    }
}

}  // namespace vexa
