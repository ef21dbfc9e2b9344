#include "palette/window_placement.h"

namespace vexa {

Size defaultWindowSize(const Rect& screen) {
    return {screen.width() / 3, screen.height() / 8};
}

Size windowSizeForClient(Size client, const WindowChrome& chrome) {
    return {client.width + chrome.left + chrome.right, client.height + chrome.top + chrome.bottom};
}

namespace {

int centredAxis(int low, int high, int extent) {
    int position = (low + high) / 2 - extent / 2;
    if (position < low)
        position = low;
    else if (position + extent > high)
        position = high - extent;
    return position;
}

}  // namespace

Point centredIn(const Rect& workArea, Size size) {
    return {centredAxis(workArea.left, workArea.right, size.width),
            centredAxis(workArea.top, workArea.bottom, size.height)};
}

}  // namespace vexa
