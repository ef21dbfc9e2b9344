#include "palette/start_geometry.h"

#include <charconv>

#include "platform/window_ops.h"

namespace vexa {
namespace {

// X coordinates and sizes are 16-bit quantities.
constexpr int kLargest = 32767;

// Reads the decimal number at the front of `text` and removes it.
std::optional<int> takeNumber(std::string_view& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data() || value > kLargest) return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}

// Reads a sign ('+' or '-') and a number; `negative` tells which sign it was.
std::optional<int> takeOffset(std::string_view& text, bool& negative) {
    if (text.empty() || (text[0] != '+' && text[0] != '-')) return std::nullopt;
    negative = text[0] == '-';
    text.remove_prefix(1);
    if (text.empty() || text[0] < '0' || text[0] > '9') return std::nullopt;
    return takeNumber(text);
}

}  // namespace

std::optional<WindowGeometry> parseGeometry(std::string_view text) {
    if (!text.empty() && text[0] == '=') text.remove_prefix(1);
    WindowGeometry geometry;
    if (!text.empty() && text[0] >= '0' && text[0] <= '9') {
        const std::optional<int> width = takeNumber(text);
        if (!width || text.empty() || (text[0] != 'x' && text[0] != 'X')) return std::nullopt;
        text.remove_prefix(1);
        if (text.empty() || text[0] < '0' || text[0] > '9') return std::nullopt;
        const std::optional<int> height = takeNumber(text);
        if (!height || *width == 0 || *height == 0) return std::nullopt;
        geometry.size = Size{*width, *height};
    }
    if (!text.empty()) {
        const std::optional<int> x = takeOffset(text, geometry.fromRight);
        if (!x) return std::nullopt;
        const std::optional<int> y = takeOffset(text, geometry.fromBottom);
        if (!y || !text.empty()) return std::nullopt;
        geometry.offset = Point{*x, *y};
    }
    if (!geometry.size && !geometry.offset) return std::nullopt;
    return geometry;
}

Rect geometryRect(const WindowGeometry& geometry, const Rect& frame, Size client,
                  const Rect& desktop) {
    Rect r = frame;
    if (geometry.size) {
        r.right = r.left + geometry.size->width + (frame.width() - client.width);
        r.bottom = r.top + geometry.size->height + (frame.height() - client.height);
    }
    if (geometry.offset) {
        const int width = r.width(), height = r.height();
        r.left = geometry.fromRight ? desktop.right - geometry.offset->x - width
                                    : desktop.left + geometry.offset->x;
        r.top = geometry.fromBottom ? desktop.bottom - geometry.offset->y - height
                                    : desktop.top + geometry.offset->y;
        r.right = r.left + width;
        r.bottom = r.top + height;
    }
    return r;
}

void applyStartOptions(WindowOps& window, const Rect& frame, Size client,
                       const StartOptions& start) {
    if (!window.isWindow()) return;
    if (start.geometry) {
        const Rect desktop = window.desktopRect();
        Rect r = geometryRect(*start.geometry, frame, client, desktop);
        clampToDesktop(r, desktop);
        // The stored on-top state was applied with the placement: leave the z-order alone.
        window.setPosition(r, false, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (start.iconic) window.showMinimised();
}

}  // namespace vexa
